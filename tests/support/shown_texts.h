#pragma once
// What a person reads on a window: the texts of its visible controls
// (labels, buttons, frame titles, text boxes), each checked on the rendered
// window itself. A text counts as shown when the control lies inside the
// window, no other control stands over it, and the window's picture changes
// where the control stands when the text is taken away.

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSignalBlocker>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace testing_support {

struct ShownTexts {
    QStringList texts;    // the texts found shown, in no particular order
    QStringList faults;   // "text: why it is not seen"
    bool shows(const QString& text) const { return texts.contains(text); }
};

namespace shown_detail {

struct Control {
    QPointer<QWidget> widget;
    QString text;
    QRect rect;   // in the window's coordinates
    bool leaf;    // frames hold other controls and may enclose them
};

inline QString textOf(QWidget* w)
{
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->echoMode() == QLineEdit::Normal ? e->text() : QString();
    return {};
}

inline void setTextOf(QWidget* w, const QString& text)
{
    const QSignalBlocker block(w);
    if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(text);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
}

inline bool sameRegion(const QImage& a, const QImage& b, const QRect& r)
{
    const QRect in = r.intersected(a.rect());
    if (!b.rect().contains(in))
        return false;   // the picture changed its size
    for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

inline QImage picture(QWidget* window)
{
    QCoreApplication::processEvents();
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace shown_detail

// The texts of `window`'s visible controls as they are drawn now. Controls
// that paint their own content instead of their text are passed in `apart`
// and left to the caller.
inline ShownTexts shownTexts(QWidget* window, const QList<QWidget*>& apart = {})
{
    using namespace shown_detail;
    std::vector<Control> controls;
    const QRect area = window->rect();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->window() != window || apart.contains(w))
            continue;
        const QString text = textOf(w);
        if (text.trimmed().isEmpty())
            continue;
        controls.push_back({w, text, QRect(w->mapTo(window, QPoint(0, 0)), w->size()),
                            qobject_cast<QGroupBox*>(w) == nullptr});
    }
    // A text box's cursor moves with its text: it stands at the start in
    // both pictures, so only the text itself makes them differ.
    std::vector<std::pair<QPointer<QLineEdit>, int>> cursors;
    for (const Control& c : controls)
        if (auto* e = qobject_cast<QLineEdit*>(c.widget.data())) {
            cursors.emplace_back(e, e->cursorPosition());
            const QSignalBlocker block(e);
            e->setCursorPosition(0);
        }
    const QImage with = picture(window);
    for (const Control& c : controls)
        setTextOf(c.widget, QString());
    const QImage without = picture(window);
    for (const Control& c : controls)
        setTextOf(c.widget, c.text);
    for (auto& [e, position] : cursors)
        if (e) {
            const QSignalBlocker block(e);
            e->setCursorPosition(position);
        }
    QCoreApplication::processEvents();

    ShownTexts out;
    for (const Control& c : controls) {
        QString fault;
        if (!area.contains(c.rect))
            fault = QStringLiteral("reaches outside the window");
        for (const Control& other : controls) {
            if (!fault.isEmpty())
                break;
            if (&other == &c || !c.leaf || !other.leaf || !c.rect.intersects(other.rect))
                continue;
            fault = QStringLiteral("overlaps \"%1\"").arg(other.text);
        }
        if (fault.isEmpty() && sameRegion(with, without, c.rect))
            fault = QStringLiteral("is not drawn");
        if (fault.isEmpty())
            out.texts << c.text;
        else
            out.faults << c.text + QStringLiteral(": ") + fault;
    }
    return out;
}

// The captions of a menu bar's or a menu's items as drawn: each item lies
// inside it and its caption changes the picture where the item stands.
inline ShownTexts shownItems(QWidget* bar)
{
    using namespace shown_detail;
    auto* menuBar = qobject_cast<QMenuBar*>(bar);
    auto* menu = qobject_cast<QMenu*>(bar);
    ShownTexts out;
    if (!menuBar && !menu)
        return out;
    const QList<QAction*> actions = bar->actions();
    std::vector<std::pair<QAction*, QRect>> items;
    for (QAction* a : actions)
        if (a->isVisible() && !a->isSeparator() && !a->text().isEmpty())
            items.emplace_back(a, menuBar ? menuBar->actionGeometry(a) : menu->actionGeometry(a));
    // Held at its size, so that both pictures match pixel for pixel.
    const QSize minimum = bar->minimumSize(), maximum = bar->maximumSize();
    bar->setFixedSize(bar->size());
    const QImage with = picture(bar);
    QStringList texts;
    for (auto& [a, r] : items) {
        texts << a->text();
        a->setText(QStringLiteral(" "));
    }
    const QImage without = picture(bar);
    for (size_t i = 0; i < items.size(); ++i)
        items[i].first->setText(texts[int(i)]);
    bar->setMinimumSize(minimum);
    bar->setMaximumSize(maximum);
    for (size_t i = 0; i < items.size(); ++i) {
        const QRect r = items[i].second;
        if (r.isEmpty() || !bar->rect().contains(r))
            out.faults << texts[int(i)] + QStringLiteral(": not inside");
        else if (sameRegion(with, without, r))
            out.faults << texts[int(i)] + QStringLiteral(": is not drawn");
        else
            out.texts << texts[int(i)];
    }
    return out;
}

} // namespace testing_support
