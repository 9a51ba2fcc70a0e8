#pragma once
// Stored or typed text shown as it stands: never read as HTML, its line
// breaks kept, and in a window title never taken for the modified-mark.

#include <QLabel>
#include <QString>

namespace tav {

// A lone CR (an older practice's line break) breaks a plain label too;
// CR LF and LF are left as they are.
inline QString plainLines(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') && (i + 1 >= text.size() || text.at(i + 1) != QLatin1Char('\n')))
            out += QLatin1Char('\n');
        else
            out += c;
    }
    return out;
}

// Qt drops a single "[*]" from a title as the place of its modified-mark and
// shows "[*][*]" as one literal "[*]".
inline QString titleText(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    return out;
}

inline void setPlainText(QLabel* label, const QString& text)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(plainLines(text));
}

} // namespace tav
