#pragma once
// Stored texts that a label could take for markup, and the check that a
// label draws one of them exactly as stored.

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QString>

namespace testing_support {

struct MarkedUpText {
    const char* what;
    QString stored;
    QString shown;   // the lines a person reads, broken at LF
};

inline const QList<MarkedUpText>& markedUpTexts()
{
    static const QList<MarkedUpText> texts = {
        {"a tag that hides the rest", "Пеницилин <title>Аналгин, Новокаин", "Пеницилин <title>Аналгин, Новокаин"},
        {"bold", "Хепатит <b>B</b>", "Хепатит <b>B</b>"},
        {"a picture", "<img src=\"zab.png\">", "<img src=\"zab.png\">"},
        {"an entity", "&lt;7", "&lt;7"},
        {"double blanks", "Кв.  Лозенец,  бл.  5", "Кв.  Лозенец,  бл.  5"},
        {"LF", "ул. Шипка 5\nвх. А", "ул. Шипка 5\nвх. А"},
        {"CR LF", "ул. Шипка 5\r\nвх. А", "ул. Шипка 5\nвх. А"},
        {"a lone CR", "ул. Шипка 5\rвх. А", "ул. Шипка 5\nвх. А"},
    };
    return texts;
}

// True when `label` draws what a plain-text label of its look and size
// draws for `shown`: no markup read, no blank or line break lost.
inline bool drawsAsPlain(QLabel* label, const QString& shown)
{
    QLabel plain;
    plain.setTextFormat(Qt::PlainText);
    plain.setText(shown);
    plain.setFont(label->font());
    plain.setPalette(label->palette());
    plain.setAlignment(label->alignment());
    plain.setWordWrap(label->wordWrap());
    plain.setFrameShape(label->frameShape());
    plain.setFrameShadow(label->frameShadow());
    plain.setLineWidth(label->lineWidth());
    plain.setMidLineWidth(label->midLineWidth());
    plain.setMargin(label->margin());
    plain.setIndent(label->indent());
    plain.setContentsMargins(label->contentsMargins());
    // Laid out as a shown window is, never on screen.
    plain.setAttribute(Qt::WA_DontShowOnScreen);
    plain.show();
    // The label's window may take a few passes to settle its layout.
    for (int pass = 0; pass < 10; ++pass) {
        const QSize before = label->size();
        QCoreApplication::processEvents();
        if (label->size() == before)
            break;
    }
    plain.setFixedSize(label->size());
    QCoreApplication::processEvents();
    // A window's picture has no alpha channel, a child's has.
    const auto picture = [](QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    return picture(label) == picture(&plain);
}

} // namespace testing_support
