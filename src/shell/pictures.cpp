#include "shell/pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace tav {

namespace {

const QColor kInk(0x2b, 0x3a, 0x4f);
const QColor kPaper(0xfd, 0xfd, 0xfb);
const QColor kBlue(0x2f, 0x6f, 0xc0);
const QColor kGreen(0x2e, 0x9e, 0x48);
const QColor kRed(0xd0, 0x3b, 0x32);
const QColor kGrey(0x8a, 0x94, 0xa3);

QPen pen(const QColor& c, double w)
{
    QPen p(c, w);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}

QPainterPath toothPath(double x, double y, double w, double h)
{
    // A molar: rounded crown with two roots.
    QPainterPath p;
    const auto X = [&](double u) { return x + u * w; };
    const auto Y = [&](double v) { return y + v * h; };
    p.moveTo(X(0.50), Y(0.12));
    p.cubicTo(X(0.62), Y(0.00), X(0.98), Y(0.00), X(0.96), Y(0.30));
    p.cubicTo(X(0.95), Y(0.48), X(0.86), Y(0.56), X(0.84), Y(0.72));
    p.cubicTo(X(0.82), Y(0.90), X(0.78), Y(1.00), X(0.70), Y(1.00));
    p.cubicTo(X(0.60), Y(1.00), X(0.60), Y(0.66), X(0.50), Y(0.66));
    p.cubicTo(X(0.40), Y(0.66), X(0.40), Y(1.00), X(0.30), Y(1.00));
    p.cubicTo(X(0.22), Y(1.00), X(0.18), Y(0.90), X(0.16), Y(0.72));
    p.cubicTo(X(0.14), Y(0.56), X(0.05), Y(0.48), X(0.04), Y(0.30));
    p.cubicTo(X(0.02), Y(0.00), X(0.38), Y(0.00), X(0.50), Y(0.12));
    p.closeSubpath();
    return p;
}

void drawTooth(QPainter& g, double x, double y, double w, double h, const QColor& outline)
{
    g.setPen(pen(outline, 1.3));
    g.setBrush(kPaper);
    g.drawPath(toothPath(x, y, w, h));
}

void drawPlusBadge(QPainter& g, double cx, double cy, double r)
{
    g.setPen(pen(Qt::white, 1.0));
    g.setBrush(kGreen);
    g.drawEllipse(QPointF(cx, cy), r, r);
    g.setPen(pen(Qt::white, 1.8));
    g.drawLine(QPointF(cx - r * 0.55, cy), QPointF(cx + r * 0.55, cy));
    g.drawLine(QPointF(cx, cy - r * 0.55), QPointF(cx, cy + r * 0.55));
}

void drawPerson(QPainter& g, double cx, double top, double scale, const QColor& c)
{
    g.setPen(Qt::NoPen);
    g.setBrush(c);
    g.drawEllipse(QPointF(cx, top + 3.2 * scale), 3.2 * scale, 3.2 * scale);
    QPainterPath body;
    body.moveTo(cx - 6.5 * scale, top + 14.5 * scale);
    body.cubicTo(cx - 6.5 * scale, top + 8.0 * scale, cx + 6.5 * scale, top + 8.0 * scale,
                 cx + 6.5 * scale, top + 14.5 * scale);
    body.closeSubpath();
    g.drawPath(body);
}

// A patient card: a sheet with a folded corner and text lines.
void drawCard(QPainter& g, const QRectF& r)
{
    QPainterPath sheet;
    const double fold = r.width() * 0.28;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    g.setPen(pen(kInk, 1.1));
    g.setBrush(kPaper);
    g.drawPath(sheet);
    g.setBrush(QColor(0xdd, 0xe3, 0xea));
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    g.drawPath(corner);
    g.setPen(pen(kGrey, 1.1));
    for (int i = 0; i < 4; ++i) {
        const double y = r.top() + r.height() * (0.38 + 0.16 * i);
        g.drawLine(QPointF(r.left() + 2.2, y), QPointF(r.right() - 2.2 - (i == 3 ? 3 : 0), y));
    }
}

void drawPencil(QPainter& g)
{
    g.save();
    g.translate(17.0, 10.5);
    g.rotate(45);
    g.setPen(pen(kInk, 0.9));
    g.setBrush(QColor(0xf2, 0xb1, 0x2c));
    g.drawRect(QRectF(-1.9, -8.0, 3.8, 11.0));
    g.setBrush(kRed);
    g.drawRect(QRectF(-1.9, -10.0, 3.8, 2.0));
    QPainterPath tip;
    tip.moveTo(-1.9, 3.0);
    tip.lineTo(1.9, 3.0);
    tip.lineTo(0, 6.6);
    tip.closeSubpath();
    g.setBrush(QColor(0xf4, 0xdc, 0xb0));
    g.drawPath(tip);
    g.restore();
}

// A printer in the lower half; `paper` draws what comes out of it.
template <class Paper>
void drawPrinter(QPainter& g, Paper paper)
{
    // The sheet behind the printer.
    const QRectF sheet(5.5, 1.5, 13.0, 13.0);
    g.setPen(pen(kInk, 1.0));
    g.setBrush(kPaper);
    g.drawRect(sheet);
    paper(sheet);
    // Body.
    g.setPen(pen(kInk, 1.1));
    g.setBrush(QColor(0x5d, 0x6b, 0x7e));
    g.drawRoundedRect(QRectF(1.5, 12.0, 21.0, 8.5), 2.0, 2.0);
    g.setBrush(QColor(0x3f, 0x4b, 0x5b));
    g.drawRect(QRectF(5.0, 18.0, 14.0, 4.5));
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0x6b, 0xe0, 0x7a));
    g.drawEllipse(QPointF(19.3, 14.8), 1.1, 1.1);
}

void drawCalendar(QPainter& g, const QRectF& r, bool tick)
{
    g.setPen(pen(kInk, 1.1));
    g.setBrush(kPaper);
    g.drawRoundedRect(r, 1.5, 1.5);
    const double head = r.height() * 0.26;
    g.setBrush(kRed);
    QPainterPath h;
    h.addRoundedRect(QRectF(r.left(), r.top(), r.width(), head), 1.5, 1.5);
    g.drawPath(h);
    // Rings.
    g.setPen(pen(kInk, 1.4));
    g.drawLine(QPointF(r.left() + r.width() * 0.3, r.top() - 1.5), QPointF(r.left() + r.width() * 0.3, r.top() + 1.8));
    g.drawLine(QPointF(r.right() - r.width() * 0.3, r.top() - 1.5), QPointF(r.right() - r.width() * 0.3, r.top() + 1.8));
    // Day cells.
    g.setPen(Qt::NoPen);
    g.setBrush(kGrey);
    const double cw = r.width() / 4.0;
    const double ch = (r.height() - head) / 3.2;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            g.drawRect(QRectF(r.left() + cw * (col + 0.55), r.top() + head + ch * (row + 0.45), cw * 0.6, ch * 0.5));
    if (tick) {
        g.setPen(pen(kGreen, 2.2));
        g.setBrush(Qt::NoBrush);
        QPainterPath t;
        t.moveTo(r.left() + r.width() * 0.35, r.bottom() - r.height() * 0.32);
        t.lineTo(r.left() + r.width() * 0.52, r.bottom() - r.height() * 0.14);
        t.lineTo(r.right() + 1.0, r.top() + head + 1.0);
        g.drawPath(t);
    }
}

void drawClock(QPainter& g, const QPointF& c, double r)
{
    g.setPen(pen(kInk, 1.3));
    g.setBrush(kPaper);
    g.drawEllipse(c, r, r);
    g.setPen(pen(kInk, 1.0));
    for (int i = 0; i < 12; i += 3) {
        g.save();
        g.translate(c);
        g.rotate(i * 30);
        g.drawLine(QPointF(0, -r + 1.2), QPointF(0, -r + 2.6));
        g.restore();
    }
    g.setPen(pen(kBlue, 1.6));
    g.drawLine(c, c + QPointF(0, -r * 0.62));
    g.setPen(pen(kRed, 1.4));
    g.drawLine(c, c + QPointF(r * 0.5, r * 0.25));
}

void paintPicture(QPainter& g, const QString& name)
{
    if (name == QLatin1String("New")) {
        drawPerson(g, 10.0, 3.0, 1.15, kBlue);
        drawPlusBadge(g, 17.5, 17.0, 5.2);
    } else if (name == QLatin1String("Edit")) {
        drawCard(g, QRectF(2.5, 2.5, 14.0, 19.0));
        drawPencil(g);
    } else if (name == QLatin1String("Help")) {
        drawTooth(g, 3.0, 2.5, 18.0, 19.0, kBlue);
        g.setPen(pen(kRed, 2.0));
        g.drawLine(QPointF(12.0, 5.5), QPointF(12.0, 11.5));
        g.drawLine(QPointF(9.0, 8.5), QPointF(15.0, 8.5));
    } else if (name == QLatin1String("ZOK")) {
        drawPrinter(g, [&](const QRectF& s) {
            // A table of activities.
            g.setPen(pen(kBlue, 0.9));
            for (int i = 0; i < 3; ++i)
                g.drawLine(QPointF(s.left() + 1.8, s.top() + 2.5 + i * 3.0), QPointF(s.right() - 1.8, s.top() + 2.5 + i * 3.0));
            g.drawLine(QPointF(s.left() + 5.0, s.top() + 1.5), QPointF(s.left() + 5.0, s.top() + 9.5));
        });
    } else if (name == QLatin1String("Graf")) {
        drawPrinter(g, [&](const QRectF& s) {
            g.setPen(Qt::NoPen);
            g.setBrush(kRed);
            g.drawRect(QRectF(s.left() + 1.5, s.top() + 1.5, s.width() - 3.0, 2.5));
            g.setBrush(kGrey);
            for (int row = 0; row < 2; ++row)
                for (int col = 0; col < 3; ++col)
                    g.drawRect(QRectF(s.left() + 2.0 + col * 3.3, s.top() + 5.2 + row * 2.6, 2.2, 1.6));
        });
    } else if (name == QLatin1String("Pac")) {
        drawPrinter(g, [&](const QRectF& s) {
            drawPerson(g, s.center().x(), s.top() + 1.3, 0.62, kBlue);
        });
    } else if (name == QLatin1String("Time")) {
        drawClock(g, QPointF(12, 12), 9.5);
    } else if (name == QLatin1String("Grafic")) {
        drawCalendar(g, QRectF(2.5, 4.0, 17.0, 17.0), false);
        drawClock(g, QPointF(17.0, 17.0), 5.6);
    }
}

QPixmap render(const QString& name, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(size / 24.0, size / 24.0);
    paintPicture(g, name);
    return pm;
}

} // namespace

QStringList toolBarPictureNames()
{
    return {QStringLiteral("New"), QStringLiteral("Edit"), QStringLiteral("ZOK"), QStringLiteral("Graf"),
            QStringLiteral("Pac"), QStringLiteral("Time"), QStringLiteral("Help"), QStringLiteral("Grafic")};
}

QIcon toolBarPicture(const QString& name)
{
    if (!toolBarPictureNames().contains(name))
        return {};
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(render(name, size));
    return icon;
}

QPixmap programPicture(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter g(&pm);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(size / 64.0, size / 64.0);
    QRadialGradient disc(QPointF(26, 22), 40);
    disc.setColorAt(0, QColor(0x5b, 0x9b, 0xe6));
    disc.setColorAt(1, QColor(0x1d, 0x4f, 0x91));
    g.setPen(Qt::NoPen);
    g.setBrush(disc);
    g.drawEllipse(QRectF(2, 2, 60, 60));
    g.setPen(pen(QColor(0x1d, 0x3c, 0x66), 2.0));
    g.setBrush(Qt::white);
    g.drawPath(toothPath(15, 12, 34, 40));
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(255, 255, 255, 150));
    g.drawEllipse(QRectF(21, 16, 8, 5));
    return pm;
}

} // namespace tav
