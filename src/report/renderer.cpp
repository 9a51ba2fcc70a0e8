#include "report/renderer.h"

#include "db/values.h"
#include "report/fonts.h"
#include "report/format.h"
#include "report/layoutfile.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPageSize>
#include <QPainter>
#include <cmath>

namespace tav::report {

QVector<DrawItem> Rendered::page(int p) const
{
    if (p < 1 || p > pageCount)
        return {};
    return items.mid(pageStart[p - 1], pageStart[p] - pageStart[p - 1]);
}

QVector<DrawItem> Rendered::of(const QString& control) const
{
    QVector<DrawItem> out;
    for (const DrawItem& i : items)
        if (i.control.compare(control, Qt::CaseInsensitive) == 0)
            out << i;
    return out;
}

QSizeF paperSize(const Layout& layout)
{
    static const QHash<QString, QPageSize::PageSizeId> ids = {
        {"a3", QPageSize::A3}, {"a4", QPageSize::A4}, {"a5", QPageSize::A5},
        {"letter", QPageSize::Letter}, {"legal", QPageSize::Legal}};
    const QPageSize::PageSizeId id = ids.value(layout.paper.toLower(), QPageSize::A4);
    const QSizeF mm = QPageSize(id).size(QPageSize::Millimeter);
    // Whole twips: A4 is 11906 × 16838.
    QSizeF tw(std::round(mm.width() / 25.4 * kTwipsPerInch), std::round(mm.height() / 25.4 * kTwipsPerInch));
    if (layout.landscape)
        tw.transpose();
    return tw;
}

namespace {

// A text drawn narrower or smaller keeps at least this share of the layout's
// width or size: below it the letters are hard to read, and it is cut instead.
constexpr int kReadablePercent = 70;

// Lines of a caption: a CR (alone or before LF) or an LF starts a new line.
QStringList paragraphs(const QString& text)
{
    QStringList out;
    QString cur;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out << cur;
            cur.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
        } else {
            cur += c;
        }
    }
    out << cur;
    return out;
}

QString trimmedRight(QString s)
{
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

// A paragraph broken greedily into lines of at most `width`: only at blanks
// (and right after a character of `breakAfter`), and inside a word only when
// that word alone is wider than a line. Blanks at a break take no room; those
// at the end of the text stay (alignment counts them), as do those at its start.
QStringList wrapped(const QString& par, const QFontMetricsF& fm, double width, const QString& breakAfter)
{
    QStringList out;
    const int n = int(par.size());
    int start = 0;
    while (start < n) {
        if (fm.horizontalAdvance(trimmedRight(par.mid(start))) <= width) {
            out << par.mid(start);
            break;
        }
        // The last run of blanks, after some text, up to which the line fits.
        int end = -1, next = -1;
        for (int i = start; i < n;) {
            if (par[i] != QLatin1Char(' ') || i == start) {
                if (!breakAfter.isEmpty() && breakAfter.contains(par[i]) && i + 1 < n && par[i + 1] != QLatin1Char(' ')) {
                    if (fm.horizontalAdvance(par.mid(start, i + 1 - start)) > width)
                        break;
                    end = next = i + 1;
                }
                ++i;
                continue;
            }
            int j = i;
            while (j < n && par[j] == QLatin1Char(' '))
                ++j;
            if (trimmedRight(par.mid(start, i - start)).isEmpty()) {
                i = j;   // blanks that lead the text are part of it
                continue;
            }
            if (fm.horizontalAdvance(par.mid(start, i - start)) > width)
                break;
            end = i;
            next = j;
            i = j;
        }
        if (end < 0) {
            // The first word alone is wider than the line: as much of it as fits, one character at least.
            int k = 1;
            while (start + k < n && fm.horizontalAdvance(par.mid(start, k + 1)) <= width)
                ++k;
            if (start + k < n && par[start + k].isLowSurrogate())
                k = k > 1 ? k - 1 : k + 1;
            end = next = start + k;
        }
        out << par.mid(start, end - start);
        start = next;
    }
    return out;
}

class Builder {
public:
    Builder(const Layout& layout, const db::Rows& rows, const FormatHook& hook)
        : layout_(layout), rows_(rows), hook_(hook)
    {
        r_.paper = paperSize(layout);
        const auto usable = [](const Section* s) { return s && s->visible && s->height > 0 ? s : nullptr; };
        reportHeader_ = usable(layout.find(SectionKind::ReportHeader));
        pageHeader_ = usable(layout.find(SectionKind::PageHeader));
        detail_ = layout.find(SectionKind::Detail);
        if (detail_ && !detail_->visible)
            detail_ = nullptr;
        pageFooter_ = usable(layout.find(SectionKind::PageFooter));
        reportFooter_ = usable(layout.find(SectionKind::ReportFooter));
        bodyHeight_ = r_.paper.height() - layout.margins.top - layout.margins.bottom;
        footerTop_ = bodyHeight_ - (pageFooter_ ? pageFooter_->height : 0);
        sums();
    }

    Rendered run()
    {
        startPage();
        if (detail_) {
            for (int i = 0; i < rows_.size(); ++i) {
                if (y_ + detail_->height > footerTop_ && nextPageHasMoreRoom()) {
                    endPage();
                    startPage();
                }
                current_ = i;
                place(*detail_, &rows_[i], i);
            }
        }
        if (reportFooter_) {
            if (y_ + reportFooter_->height > footerTop_ && nextPageHasMoreRoom()) {
                endPage();
                startPage();
            }
            place(*reportFooter_, currentRow(), current_);
        }
        endPage();
        r_.pageStart << int(r_.items.size());
        return std::move(r_);
    }

private:
    // What does not fit moves on, unless a new page would give it no more
    // room (its body starts where this one's does): then it prints here.
    bool nextPageHasMoreRoom() const { return y_ > (pageHeader_ ? pageHeader_->height : 0); }

    const db::Row* currentRow() const { return current_ >= 0 && current_ < rows_.size() ? &rows_[current_] : nullptr; }

    void sums()
    {
        for (const Section& s : layout_.sections)
            for (const Control& c : s.controls)
                if (c.kind == ControlKind::Function && !sums_.contains(c.dataField.toLower())) {
                    Money total;
                    for (const db::Row& row : rows_)
                        total += Money::fromVariant(row.value(c.dataField));
                    sums_.insert(c.dataField.toLower(), total);
                }
    }

    void startPage()
    {
        ++page_;
        r_.pageStart << int(r_.items.size());
        y_ = 0;
        if (page_ == 1 && reportHeader_)
            place(*reportHeader_, rows_.isEmpty() ? nullptr : &rows_[0], rows_.isEmpty() ? -1 : 0);
        if (pageHeader_) {
            const int next = qMin(current_ + 1, int(rows_.size()) - 1);
            place(*pageHeader_, next >= 0 ? &rows_[next] : nullptr, next);
        }
    }

    void endPage()
    {
        if (pageFooter_) {
            y_ = footerTop_;
            place(*pageFooter_, currentRow(), current_);
        }
        r_.pageCount = page_;
    }

    void place(const Section& design, const db::Row* row, int rowIndex)
    {
        Section s = design;
        for (Control& c : s.controls) {
            if (c.kind == ControlKind::TextBox && row) {
                if (!row->names().isEmpty() && !row->contains(c.dataField))
                    throw LayoutError(QStringLiteral("Справка %1: полето \"%2\" на %3 не съществува")
                                          .arg(layout_.name, c.dataField, c.name));
                c.caption = formatValue(row->value(c.dataField), c.format);
            } else if (c.kind == ControlKind::Function) {
                const Money total = sums_.value(c.dataField.toLower());
                c.caption = formatValue(total.units() % 10000 == 0 ? QVariant(qint64(total.units() / 10000))
                                                                    : QVariant(total.toDouble()),
                                        c.format);
            }
        }
        if (hook_) {
            SectionFormat f{s, row, row ? rowIndex : -1, page_};
            hook_(f);
        }
        if (s.visible) {
            const QPointF origin(layout_.margins.left, layout_.margins.top + y_);
            for (const Control& c : s.controls)
                if (c.visible)
                    draw(c, s, origin, row ? rowIndex : -1);
        }
        y_ += design.height;
    }

    DrawItem base(const Control& c, const Section& s, int row) const
    {
        DrawItem d;
        d.page = page_;
        d.section = s.name;
        d.control = c.name;
        d.row = s.kind == SectionKind::Detail ? row : -1;
        return d;
    }

    void draw(const Control& c, const Section& s, const QPointF& origin, int row)
    {
        const QRectF box = QRectF(c.rect).translated(origin);
        switch (c.kind) {
        case ControlKind::Line: {
            DrawItem d = base(c, s, row);
            d.kind = ItemKind::Line;
            d.line = c.line.translated(origin);
            d.rect = box;
            d.pen = c.foreColor;
            d.penWidth = c.penWidth;
            r_.items << d;
            return;
        }
        case ControlKind::Shape: {
            DrawItem d = base(c, s, row);
            d.kind = c.shape == ShapeKind::Rectangle ? ItemKind::Rectangle : ItemKind::Ellipse;
            d.rect = box;
            if (c.shape == ShapeKind::Circle) {
                const double side = qMin(box.width(), box.height());
                d.rect = QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
            }
            d.pen = c.foreColor;
            d.penWidth = c.penWidth;
            if (c.opaque)
                d.fill = c.backColor;
            r_.items << d;
            return;
        }
        default:
            break;
        }
        if (c.opaque) {
            DrawItem d = base(c, s, row);
            d.kind = ItemKind::Rectangle;
            d.rect = box;
            d.fill = c.backColor;
            r_.items << d;
        }
        if (c.borderStyle == 1) {
            DrawItem d = base(c, s, row);
            d.kind = ItemKind::Rectangle;
            d.rect = box;
            d.pen = c.borderColor;
            d.penWidth = 15;
            r_.items << d;
        }
        text(c, s, box, row);
    }

    void text(const Control& c, const Section& s, const QRectF& box, int row)
    {
        if (c.caption.isEmpty())
            return;
        FontDef def = c.font;
        QFont font = reportFont(def);
        QFontMetricsF fm(font);
        const bool wrap = c.wrap == Wrap::Yes || (c.wrap == Wrap::Auto && box.height() >= 2 * fm.height());
        const QStringList pars = paragraphs(c.caption);

        QStringList lines;
        if (!wrap) {
            lines = pars;
        } else {
            lines = wrappedAll(pars, fm, box.width(), c.breakAfter);
            if (c.shrink && linesShown(fm, box, int(lines.size())) < lines.size())
                shrinkToFit(pars, c, box, def, lines);
            if (def.pointSize != c.font.pointSize) {
                font = reportFont(def);
                fm = QFontMetricsF(font);
            }
        }
        const double lineHeight = fm.height();

        for (int i = 0; i < lines.size(); ++i) {
            const double top = box.top() + i * lineHeight;
            if (top >= box.bottom())
                break;
            // A further line whose baseline falls below the box would show
            // only the tops of its letters: it is left out. The first line is
            // drawn even in a box lower than its font.
            if (i > 0 && top + fm.ascent() > box.bottom() + 0.5)
                break;
            if (lines[i].isEmpty())
                continue;
            QString line = lines[i];
            int stretch = 100;
            QFont drawn = font;
            double w = fm.horizontalAdvance(line);
            if (!wrap && w > box.width())
                w = narrowToFit(line, c.align, box.width(), fm, def, stretch, drawn);
            double x = box.left();
            if (c.align == Align::Right)
                x = box.right() - w;
            else if (c.align == Align::Center)
                x = box.left() + (box.width() - w) / 2;
            DrawItem d = base(c, s, row);
            d.kind = ItemKind::Text;
            d.rect = QRectF(x, top, w, lineHeight);
            d.clip = box;
            d.text = line;
            d.font = drawn;
            d.family = drawn.family();
            d.layoutFamily = c.font.family;
            d.pointSize = def.pointSize;
            d.stretch = stretch;
            d.bold = c.font.bold;
            d.italic = c.font.italic;
            d.baseline = top + fm.ascent();
            d.pen = c.foreColor;
            r_.items << d;
        }
    }

    static QStringList wrappedAll(const QStringList& pars, const QFontMetricsF& fm, double width, const QString& breakAfter)
    {
        QStringList lines;
        for (const QString& par : pars) {
            if (par.isEmpty())
                lines << par;
            else
                lines << wrapped(par, fm, width, breakAfter);   // measures it whole first
        }
        return lines;
    }

    // How many of `count` lines the box shows, by the rule of text(); `whole`:
    // only lines that fit with their descent, as a text drawn smaller has them.
    static int linesShown(const QFontMetricsF& fm, const QRectF& box, int count, bool whole = false)
    {
        int n = 0;
        while (n < count) {
            const double top = box.top() + n * fm.height();
            const double foot = top + (whole ? fm.height() : fm.ascent());
            if (top >= box.bottom() || (n > 0 && foot > box.bottom() + 0.5))
                break;
            ++n;
        }
        return n;
    }

    // The largest size, down to the readable one, at which every wrapped line
    // is shown; at the readable size what still overflows is cut with "…".
    static void shrinkToFit(const QStringList& pars, const Control& c, const QRectF& box, FontDef& def, QStringList& lines)
    {
        const int full = std::max(1, int(std::lround(c.font.pointSize * kTwipsPerPoint)));
        const int least = std::max(1, int(std::ceil(full * kReadablePercent / 100.0)));
        const auto at = [&](int size, QStringList& out) {
            FontDef d = c.font;
            d.pointSize = double(size) / kTwipsPerPoint;
            const QFontMetricsF fm(reportFont(d));
            out = wrappedAll(pars, fm, box.width(), c.breakAfter);
            return linesShown(fm, box, int(out.size()), true) == out.size();
        };
        QStringList best;
        int size = least;
        if (at(least, best)) {
            // Fits at the least size, not at the full one: the largest between.
            int lo = least, hi = full;
            while (hi - lo > 1) {
                const int mid = (lo + hi) / 2;
                QStringList trial;
                if (at(mid, trial)) {
                    lo = mid;
                    best = trial;
                } else {
                    hi = mid;
                }
            }
            size = lo;
        }
        def.pointSize = double(size) / kTwipsPerPoint;
        const QFontMetricsF fm(reportFont(def));
        const int shown = linesShown(fm, box, int(best.size()), true);
        if (shown < best.size()) {
            best = best.mid(0, shown);
            if (!best.isEmpty())   // a box of no height shows nothing
                best.last() = elided(best.last(), fm, box.width(), true);
        }
        lines = best;
    }

    // A line of a one-line box that is wider than the box: its letters drawn
    // narrower until it fits, down to the readable width; narrower still, it
    // is cut at its end with "…". Blanks after the text of a left-aligned
    // line take no room; the other alignments place the line by them.
    // Returns the width of the line as drawn.
    static double narrowToFit(QString& line, Align align, double width, const QFontMetricsF& fm, const FontDef& def,
                              int& stretch, QFont& font)
    {
        const auto needed = [&](const QFontMetricsF& m) {
            return m.horizontalAdvance(align == Align::Left ? trimmedRight(line) : line);
        };
        const double natural = needed(fm);
        if (natural <= width)
            return fm.horizontalAdvance(line);
        stretch = std::max(kReadablePercent, int(std::floor(100.0 * width / natural)));
        font = reportFont(def, stretch);
        while (needed(QFontMetricsF(font)) > width && stretch > kReadablePercent)
            font = reportFont(def, --stretch);
        const QFontMetricsF narrow(font);
        if (needed(narrow) > width)
            line = elided(line, narrow, width, false);
        return narrow.horizontalAdvance(line);
    }

    // The longest start of `line` that fits `width` with "…" after it;
    // `always` puts the mark after a line that fits whole too.
    static QString elided(const QString& line, const QFontMetricsF& fm, double width, bool always)
    {
        const QString mark = QStringLiteral("\u2026");
        if (!always && fm.horizontalAdvance(trimmedRight(line)) <= width)
            return trimmedRight(line);   // only blanks were too many
        int k = int(line.size());
        QString head = line;
        while (k > 0) {
            head = trimmedRight(line.left(k));
            if (fm.horizontalAdvance(head + mark) <= width)
                break;
            --k;
            if (k > 0 && line[k - 1].isHighSurrogate())
                --k;
        }
        return (k > 0 ? head : QString()) + mark;
    }

    const Layout& layout_;
    const db::Rows& rows_;
    const FormatHook& hook_;
    const Section* reportHeader_ = nullptr;
    const Section* pageHeader_ = nullptr;
    const Section* detail_ = nullptr;
    const Section* pageFooter_ = nullptr;
    const Section* reportFooter_ = nullptr;
    double bodyHeight_ = 0;
    double footerTop_ = 0;
    double y_ = 0;
    int page_ = 0;
    int current_ = -1;
    QHash<QString, Money> sums_;
    Rendered r_;
};

} // namespace

Rendered render(const Layout& layout, const db::Rows& rows, const FormatHook& hook)
{
    return Builder(layout, rows, hook).run();
}

void paintPage(QPainter& p, const Rendered& r, int page)
{
    if (page < 1 || page > r.pageCount)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    for (int i = r.pageStart[page - 1]; i < r.pageStart[page]; ++i) {
        const DrawItem& d = r.items[i];
        switch (d.kind) {
        case ItemKind::Text:
            p.setPen(d.pen);
            p.setFont(d.font);
            if (d.clipped()) {
                p.save();
                p.setClipRect(d.clip, Qt::IntersectClip);
                p.drawText(QPointF(d.rect.left(), d.baseline), d.text);
                p.restore();
            } else {
                p.drawText(QPointF(d.rect.left(), d.baseline), d.text);
            }
            break;
        case ItemKind::Line:
            p.setPen(QPen(d.pen, d.penWidth, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(d.line);
            break;
        case ItemKind::Rectangle:
        case ItemKind::Ellipse:
            p.setPen(d.pen.isValid() ? QPen(d.pen, d.penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin) : QPen(Qt::NoPen));
            p.setBrush(d.fill.isValid() ? QBrush(d.fill) : QBrush(Qt::NoBrush));
            if (d.kind == ItemKind::Rectangle)
                p.drawRect(d.rect);
            else
                p.drawEllipse(d.rect);
            break;
        }
    }
    p.restore();
}

} // namespace tav::report
