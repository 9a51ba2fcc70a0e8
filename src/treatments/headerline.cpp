#include "treatments/headerline.h"

#include "services/plaintext.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace tav {

namespace {
const QString kEllipsis = QString(QChar(0x2026));
}

HeaderLine::HeaderLine(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

QString HeaderLine::firstLine(bool* more) const
{
    QStringList lines = plainLines(text()).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    while (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    *more = lines.size() > 1;
    return lines.value(0);
}

int HeaderLine::neededWidth() const
{
    bool more = false;
    const QString first = firstLine(&more);
    // Rounded up, with a pixel to spare: the elision measures in fractions.
    return int(std::ceil(QFontMetricsF(font()).horizontalAdvance(more ? first + kEllipsis : first))) + 1
           + contentsMargins().left() + contentsMargins().right();
}

QString HeaderLine::shownText() const
{
    bool more = false;
    const QString first = firstLine(&more);
    // A line break a one-line label cannot show counts as text cut off.
    return fontMetrics().elidedText(more ? first + kEllipsis : first, Qt::ElideRight, contentsRect().width());
}

bool HeaderLine::isCut() const
{
    bool more = false;
    const QString first = firstLine(&more);
    return more || shownText() != first;
}

void HeaderLine::refit()
{
    const QString tip = isCut() ? Qt::convertFromPlainText(plainLines(text())) : QString();
    if (tip != toolTip())
        setToolTip(tip);
}

bool HeaderLine::event(QEvent* e)
{
    // The text may have changed since the last fit: the tip shown is today's.
    if (e->type() == QEvent::ToolTip)
        refit();
    return QLabel::event(e);
}

void HeaderLine::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    drawFrame(&p);
    style()->drawItemText(&p, contentsRect(), int(QStyle::visualAlignment(layoutDirection(), alignment())), palette(),
                          isEnabled(), shownText(), foregroundRole());
}

void HeaderLine::resizeEvent(QResizeEvent* e)
{
    QLabel::resizeEvent(e);
    refit();
}

int SplitRow(int room, int firstNeeds, int secondNeeds, int firstDefault)
{
    // Both fit: the default width, moved only as far as the other needs.
    // They do not: the default, unless the other needs less than its own.
    const int a = firstNeeds;
    const int b = room - secondNeeds;
    return std::clamp(std::clamp(firstDefault, std::min(a, b), std::max(a, b)), 0, std::max(room, 0));
}

} // namespace tav
