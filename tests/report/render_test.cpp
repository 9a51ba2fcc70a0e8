#include "fixtures.h"
#include "report/fonts.h"
#include "report/format.h"
#include "report/renderer.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace tav::report;
using namespace report_fixtures;

namespace {

// Sheet y of a section's top: the top margin is 838, the usable height 15000.
constexpr int kTop = 838;
constexpr int kLeft = 500;

const char* kList = R"(
    {"name": "ReportHeader", "kind": "reportHeader", "height": 1000, "controls": [
        {"type": "label", "name": "Title", "rect": [0, 0, 9000, 300], "caption": "Списък"}]},
    {"name": "PageHeader", "kind": "pageHeader", "height": 500, "controls": [
        {"type": "label", "name": "Head", "rect": [0, 0, 3000, 255], "caption": "Име"}]},
    {"name": "Detail", "kind": "detail", "height": 300, "controls": [
        {"type": "textBox", "name": "Text1", "rect": [0, 0, 3000, 255], "field": "Name"},
        {"type": "textBox", "name": "Text2", "rect": [3000, 0, 1000, 255], "field": "N", "align": "right"}]},
    {"name": "PageFooter", "kind": "pageFooter", "height": 400, "controls": [
        {"type": "label", "name": "Foot", "rect": [0, 0, 3000, 255], "caption": "страница"}]},
    {"name": "ReportFooter", "kind": "reportFooter", "height": 600, "controls": [
        {"type": "label", "name": "TotalCaption", "rect": [0, 0, 2000, 255], "caption": "Общо:"},
        {"type": "function", "name": "Total", "rect": [3000, 0, 1000, 255], "field": "N", "align": "right"}]})";

QVector<int> detailRowsOnPage(const Rendered& r, int page)
{
    QVector<int> out;
    for (const DrawItem& i : r.page(page))
        if (i.control == "Text1")
            out << i.row;
    return out;
}

class ReportRender : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

} // namespace

TEST_F(ReportRender, PaginatesWithHeadersAndFootersInTheirPlaces)
{
    const Rendered r = render(layout(kList), numberedRows(100));
    ASSERT_EQ(r.pageCount, 3);
    // Page 1 after report header (1000) and page header (500): 43 rows fit
    // above the page footer at 14600; page 2 after the page header: 47 rows,
    // the last ending exactly at the footer.
    QVector<int> p1 = detailRowsOnPage(r, 1), p2 = detailRowsOnPage(r, 2), p3 = detailRowsOnPage(r, 3);
    ASSERT_EQ(p1.size(), 43);
    ASSERT_EQ(p2.size(), 47);
    ASSERT_EQ(p3.size(), 10);
    EXPECT_EQ(p1.front(), 0);
    EXPECT_EQ(p2.front(), 43);
    EXPECT_EQ(p3.back(), 99);

    EXPECT_EQ(r.of("Title").size(), 1);
    EXPECT_EQ(r.of("Title")[0].page, 1);
    EXPECT_DOUBLE_EQ(r.of("Title")[0].rect.top(), kTop);
    const auto heads = r.of("Head");
    const auto feet = r.of("Foot");
    ASSERT_EQ(heads.size(), 3);
    ASSERT_EQ(feet.size(), 3);
    for (int p = 1; p <= 3; ++p) {
        EXPECT_EQ(heads[p - 1].page, p);
        EXPECT_DOUBLE_EQ(heads[p - 1].rect.top(), p == 1 ? kTop + 1000 : kTop);
        EXPECT_EQ(feet[p - 1].page, p);
        EXPECT_DOUBLE_EQ(feet[p - 1].rect.top(), kTop + 14600);
    }
    // Details follow one another; the first of a page comes under the header.
    const auto rows1 = r.of("Text1");
    EXPECT_DOUBLE_EQ(rows1[0].rect.top(), kTop + 1500);
    EXPECT_DOUBLE_EQ(rows1[1].rect.top(), kTop + 1800);
    EXPECT_DOUBLE_EQ(rows1[43].rect.top(), kTop + 500);
    EXPECT_DOUBLE_EQ(rows1[89].rect.top() + 300, kTop + 14600);
    // The report footer once, after the last detail, with the sum.
    const auto total = r.of("Total");
    ASSERT_EQ(total.size(), 1);
    EXPECT_EQ(total[0].page, 3);
    EXPECT_DOUBLE_EQ(total[0].rect.top(), kTop + 500 + 10 * 300);
    EXPECT_EQ(total[0].text, "5050");
    EXPECT_DOUBLE_EQ(total[0].rect.left(), kLeft + 3000 + 1000 - total[0].rect.width());
}

TEST_F(ReportRender, AReportFooterThatDoesNotFitStartsAPage)
{
    const Rendered r = render(layout(kList), numberedRows(90));   // page 2 ends full
    ASSERT_EQ(r.pageCount, 3);
    EXPECT_TRUE(detailRowsOnPage(r, 3).isEmpty());
    EXPECT_EQ(r.of("Head").size(), 3);
    ASSERT_EQ(r.of("Total").size(), 1);
    EXPECT_EQ(r.of("Total")[0].page, 3);
    EXPECT_DOUBLE_EQ(r.of("Total")[0].rect.top(), kTop + 500);
}

TEST_F(ReportRender, EdgesOfPagination)
{
    {   // no rows: one page with every section but the detail
        const Rendered r = render(layout(kList), {});
        EXPECT_EQ(r.pageCount, 1);
        EXPECT_EQ(r.of("Title").size(), 1);
        EXPECT_EQ(r.of("Head").size(), 1);
        EXPECT_EQ(r.of("Foot").size(), 1);
        EXPECT_TRUE(r.of("Text1").isEmpty());
        ASSERT_EQ(r.of("Total").size(), 1);
        EXPECT_EQ(r.of("Total")[0].text, "0");
        EXPECT_DOUBLE_EQ(r.of("Total")[0].rect.top(), kTop + 1500);
    }
    {   // details of 1500 in 15000: exactly ten to a page
        const Layout l = layout(R"({"name": "Detail", "kind": "detail", "height": 1500, "controls": [
            {"type": "textBox", "name": "Text1", "rect": [0, 0, 3000, 255], "field": "Name"}]})");
        EXPECT_EQ(render(l, numberedRows(10)).pageCount, 1);
        EXPECT_EQ(render(l, numberedRows(20)).pageCount, 2);
        const Rendered r = render(l, numberedRows(21));
        EXPECT_EQ(r.pageCount, 3);
        EXPECT_EQ(detailRowsOnPage(r, 3), QVector<int>{20});
        EXPECT_EQ(r.pageStart.size(), 4);
        EXPECT_EQ(r.pageStart.back(), r.items.size());
    }
    {   // a report header that leaves less room than a detail (or the report
        // footer) needs: it starts the next page, under the page header
        const Layout l = layout(R"(
            {"name": "ReportHeader", "kind": "reportHeader", "height": 14000},
            {"name": "PageHeader", "kind": "pageHeader", "height": 500, "controls": [
                {"type": "label", "name": "Head", "rect": [0, 0, 3000, 255], "caption": "Име"}]},
            {"name": "Detail", "kind": "detail", "height": 1000, "controls": [
                {"type": "textBox", "name": "Text1", "rect": [0, 0, 3000, 255], "field": "Name"}]},
            {"name": "ReportFooter", "kind": "reportFooter", "height": 1000, "controls": [
                {"type": "label", "name": "End", "rect": [0, 0, 3000, 255], "caption": "Край"}]})");
        for (int n : {0, 2}) {
            SCOPED_TRACE(n);
            const Rendered r = render(l, numberedRows(n));
            EXPECT_EQ(r.pageCount, 2);
            EXPECT_TRUE(detailRowsOnPage(r, 1).isEmpty());
            EXPECT_EQ(detailRowsOnPage(r, 2).size(), n);
            ASSERT_EQ(r.of("End").size(), 1);
            EXPECT_EQ(r.of("End")[0].page, 2);
            for (const DrawItem& i : r.items)
                EXPECT_LE(i.rect.bottom(), kTop + 15000) << i.control.toStdString() << " on page " << i.page;
        }
    }
    {   // a detail taller than a page still prints, one to a page
        const Layout l = layout(R"({"name": "Detail", "kind": "detail", "height": 20000, "controls": [
            {"type": "textBox", "name": "Text1", "rect": [0, 0, 3000, 255], "field": "Name"}]})");
        const Rendered r = render(l, numberedRows(3));
        EXPECT_EQ(r.pageCount, 3);
        for (int p = 1; p <= 3; ++p)
            EXPECT_EQ(detailRowsOnPage(r, p), QVector<int>{p - 1});
    }
}

TEST_F(ReportRender, SumsOfAFieldOverTheReport)
{
    const Layout l = layout(R"(
        {"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "textBox", "name": "Text1", "rect": [0, 0, 3000, 255], "field": "Cena", "format": "0.00"}]},
        {"name": "ReportFooter", "kind": "reportFooter", "height": 300, "controls": [
            {"type": "function", "name": "Sum1", "rect": [0, 0, 2000, 255], "field": "Cena", "format": "####.##"},
            {"type": "function", "name": "Sum2", "rect": [2000, 0, 2000, 255], "field": "Cena"},
            {"type": "function", "name": "Sum3", "rect": [4000, 0, 2000, 255], "field": "Times"}]})");
    // Binary doubles would give 27.569999...; NULL counts as 0.
    const Rendered r = render(l, rows({"Cena", "Times"}, {{21.13, 26}, {6.44, 15}, {QVariant(), QVariant()},
                                                          {0.1, 1}, {0.2, 1}}));
    EXPECT_EQ(r.of("Sum1")[0].text, "27.87");
    EXPECT_EQ(r.of("Sum2")[0].text, "27.87");
    EXPECT_EQ(r.of("Sum3")[0].text, "43");
    const auto cells = r.of("Text1");
    ASSERT_EQ(cells.size(), 4);   // the NULL row prints nothing
    EXPECT_EQ(cells[0].text, "21.13");
    EXPECT_EQ(cells[2].text, "0.10");
}

TEST_F(ReportRender, TheFillSetsTextsAndVisibilityPerPlacement)
{
    const Layout l = layout(R"(
        {"name": "Detail", "kind": "detail", "height": 400, "controls": [
            {"type": "label", "name": "Label1", "rect": [0, 0, 3000, 255]},
            {"type": "shape", "name": "Shape1", "rect": [3000, 0, 375, 375], "shape": "circle", "visible": false},
            {"type": "shape", "name": "Shape2", "rect": [4000, 0, 600, 300], "shape": "oval"},
            {"type": "shape", "name": "Shape3", "rect": [5000, 0, 600, 300]}]},
        {"name": "PageFooter", "kind": "pageFooter", "height": 300, "controls": [
            {"type": "label", "name": "PageNo", "rect": [0, 0, 3000, 255]}]})");
    int calls = 0;
    const Rendered r = render(l, numberedRows(3), [&](SectionFormat& f) {
        ++calls;
        if (f.section.name == "Detail") {
            f.section.control("Label1").setCaption(f.row->text("Name") + "!");
            f.section.control("Shape1").setVisible(f.rowIndex == 1);
            f.section.control("Shape3").setVisible(f.rowIndex != 1);
        } else {
            f.section.control("PageNo").setCaption(QString("Стр. %1").arg(f.page));
        }
    });
    EXPECT_EQ(calls, 4);
    const auto labels = r.of("Label1");
    ASSERT_EQ(labels.size(), 3);
    EXPECT_EQ(labels[2].text, "ред 3!");
    // The hidden circle only where the fill showed it, and nowhere else.
    const auto circles = r.of("Shape1");
    ASSERT_EQ(circles.size(), 1);
    EXPECT_EQ(circles[0].row, 1);
    EXPECT_EQ(circles[0].kind, ItemKind::Ellipse);
    EXPECT_EQ(circles[0].rect, QRectF(kLeft + 3000, kTop + 400, 375, 375));
    EXPECT_EQ(r.of("Shape3").size(), 2);
    // An oval fills its box; a circle is round within it.
    EXPECT_EQ(r.of("Shape2")[0].rect, QRectF(kLeft + 4000, kTop, 600, 300));
    EXPECT_EQ(r.of("PageNo")[0].text, "Стр. 1");
}

TEST_F(ReportRender, AlignmentCountsTrailingBlanks)
{
    const Layout l = layout(R"({"name": "Detail", "kind": "detail", "height": 1200, "controls": [
        {"type": "label", "name": "R", "rect": [2000, 0, 4000, 330], "align": "right", "caption": "1 2 3       ", "font": {"size": 14.25}},
        {"type": "label", "name": "R0", "rect": [2000, 400, 4000, 330], "align": "right", "caption": "1 2 3", "font": {"size": 14.25}},
        {"type": "label", "name": "C", "rect": [2000, 800, 4000, 330], "align": "center", "caption": "  а  б    "},
        {"type": "label", "name": "L", "rect": [2000, 800, 4000, 330], "caption": "  а"}]})");
    const Rendered r = render(l, numberedRows(1));
    const DrawItem right = r.of("R")[0], right0 = r.of("R0")[0], centre = r.of("C")[0], left = r.of("L")[0];
    EXPECT_EQ(right.text, "1 2 3       ");   // nothing trimmed
    EXPECT_DOUBLE_EQ(right.rect.right(), kLeft + 6000);
    EXPECT_DOUBLE_EQ(right0.rect.right(), kLeft + 6000);
    const QFontMetricsF fm(right.font);
    EXPECT_NEAR(right.rect.width(), fm.horizontalAdvance("1 2 3") + 7 * fm.horizontalAdvance(' '), 0.01);
    // the blanks take room at the right, so the digits stand further left
    EXPECT_LT(right.rect.left() + 1, right0.rect.left());
    EXPECT_NEAR(centre.rect.center().x(), kLeft + 4000, 0.01);
    EXPECT_DOUBLE_EQ(left.rect.left(), kLeft + 2000);   // leading blanks are text too
    EXPECT_EQ(left.text, "  а");
}

TEST_F(ReportRender, CarriageReturnsWrappingAndClipping)
{
    const QString longText = "Обстоен преглед за установяване на орален статус и изготвяне на амбулаторен лист";
    const Layout l = layout(QStringLiteral(R"j({"name": "Detail", "kind": "detail", "height": 3000, "controls": [
        {"type": "label", "name": "Two", "rect": [0, 0, 3000, 630], "caption": "1000 София\rж.к. Младост, бл.5"},
        {"type": "label", "name": "CrLf", "rect": [0, 700, 3000, 500], "caption": "ред 1\r\nред 2\nред 3"},
        {"type": "label", "name": "Single", "rect": [0, 1400, 3000, 255], "caption": "%1"},
        {"type": "label", "name": "Multi", "rect": [3500, 0, 3000, 1400], "caption": "%1"},
        {"type": "label", "name": "Forced", "rect": [0, 1700, 3000, 900], "wrap": false, "caption": "%1"},
        {"type": "label", "name": "Blanks", "rect": [3500, 1500, 1005, 570], "align": "center", "caption": "Сума              (лв.)"}]})j")
                                     .arg(longText));
    const Rendered r = render(l, numberedRows(1));
    const auto two = r.of("Two");
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(two[0].text, "1000 София");
    EXPECT_EQ(two[1].text, "ж.к. Младост, бл.5");
    EXPECT_DOUBLE_EQ(two[1].rect.top() - two[0].rect.top(), QFontMetricsF(two[0].font).height());
    EXPECT_FALSE(two[1].clipped());

    // The third line starts inside the box but its baseline falls below the
    // foot: only the tops of its letters would show, so it is left out.
    const auto crlf = r.of("CrLf");
    ASSERT_EQ(crlf.size(), 2);
    EXPECT_EQ(crlf[1].text, "ред 2");

    // A single-line box never wraps: one line, too long even when narrowed,
    // so cut at its end with a mark of the cut, within the box.
    const auto single = r.of("Single");
    ASSERT_EQ(single.size(), 1);
    EXPECT_TRUE(single[0].text.endsWith(QChar(0x2026))) << single[0].text.toStdString();
    EXPECT_TRUE(longText.startsWith(single[0].text.chopped(1)));
    EXPECT_FALSE(single[0].clipped());
    const auto forced = r.of("Forced");
    ASSERT_EQ(forced.size(), 1);

    // A box of several lines wraps at words, within its width.
    const auto multi = r.of("Multi");
    ASSERT_GE(multi.size(), 3);
    QString joined;
    for (const DrawItem& i : multi) {
        EXPECT_FALSE(i.clipped()) << i.text.toStdString();
        joined += (joined.isEmpty() ? "" : " ") + i.text;
    }
    EXPECT_EQ(joined, longText);

    // Blanks at a wrap point take no room: the centred word stands in the middle.
    const auto blanks = r.of("Blanks");
    ASSERT_EQ(blanks.size(), 2);
    EXPECT_EQ(blanks[0].text, "Сума");
    EXPECT_EQ(blanks[1].text, "(лв.)");
    EXPECT_NEAR(blanks[0].rect.center().x(), kLeft + 3500 + 1005 / 2.0, 0.01);
}

TEST_F(ReportRender, PaintedTextStaysInsideItsBox)
{
    const Layout l = layout(R"({"name": "Detail", "kind": "detail", "height": 600, "controls": [
        {"type": "label", "name": "Cut", "rect": [0, 0, 1000, 255], "caption": "ШШШШШШШШШШШШШШШШШШШШ"},
        {"type": "label", "name": "Tall", "rect": [2000, 0, 1000, 120], "caption": "Ш", "font": {"size": 14.25}}]})");
    const Rendered r = render(l, numberedRows(1));
    // One pixel = 15 twips, as the screen at 96 dpi.
    QImage img(int(r.paper.width() / 15), 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.scale(1 / 15.0, 1 / 15.0);
        paintPage(p, r, 1);
    }
    auto inkIn = [&](int x0, int x1, int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += qGray(img.pixel(x, y)) < 160;
        return n;
    };
    const int top = kTop / 15, left = kLeft / 15;
    EXPECT_GT(inkIn(left, left + 66, top, top + 17), 20);           // inside the box
    EXPECT_EQ(inkIn(left + 68, left + 130, top, top + 17), 0);      // beyond its right edge
    EXPECT_GT(inkIn(left + 133, left + 200, top, top + 8), 0);      // the tall letter's top part
    EXPECT_EQ(inkIn(left + 133, left + 200, top + 9, top + 40), 0); // cut at the box's foot
}

TEST_F(ReportRender, DisplayListCarriesFontsAndKinds)
{
    const Layout l = layout(R"({"name": "Detail", "kind": "detail", "height": 600, "controls": [
        {"type": "label", "name": "A", "rect": [0, 0, 3000, 330], "caption": "Текст", "font": {"family": "Arial Narrow", "size": 15.75, "bold": true},
         "border": 1, "backStyle": "opaque", "backColor": "#E0E0E0", "foreColor": "#0000FF", "borderColor": "#FF0000"},
        {"type": "textBox", "name": "B", "rect": [3000, 0, 3000, 330], "field": "Name", "border": 1, "foreColor": "#0000FF"},
        {"type": "line", "name": "Diag", "line": [0, 500, 3000, 0]},
        {"type": "label", "name": "Empty", "rect": [0, 0, 300, 300]}]})");
    const Rendered r = render(l, numberedRows(1));
    const auto a = r.of("A");
    ASSERT_EQ(a.size(), 3);   // background, border, text
    EXPECT_EQ(a[0].kind, ItemKind::Rectangle);
    EXPECT_EQ(a[0].fill, QColor("#E0E0E0"));
    EXPECT_FALSE(a[0].pen.isValid());
    EXPECT_EQ(a[1].kind, ItemKind::Rectangle);
    EXPECT_FALSE(a[1].fill.isValid());
    EXPECT_EQ(a[1].pen, QColor("#FF0000"));   // the border has its own colour
    // With none given the border is black, whatever the text's colour.
    const auto b = r.of("B");
    ASSERT_EQ(b.size(), 2);
    EXPECT_EQ(b[0].kind, ItemKind::Rectangle);
    EXPECT_EQ(b[0].pen, QColor(Qt::black));
    EXPECT_EQ(b[1].pen, QColor("#0000FF"));
    EXPECT_EQ(a[2].kind, ItemKind::Text);
    EXPECT_EQ(a[2].family, "Liberation Sans Narrow");
    EXPECT_EQ(a[2].layoutFamily, "Arial Narrow");
    EXPECT_DOUBLE_EQ(a[2].pointSize, 15.75);
    EXPECT_EQ(a[2].font.pixelSize(), 315);
    EXPECT_TRUE(a[2].bold);
    EXPECT_EQ(a[2].pen, QColor("#0000FF"));
    EXPECT_EQ(a[2].section, "Detail");
    EXPECT_EQ(a[2].row, 0);
    const auto diag = r.of("Diag");
    ASSERT_EQ(diag.size(), 1);
    EXPECT_EQ(diag[0].kind, ItemKind::Line);
    EXPECT_EQ(diag[0].line, QLineF(kLeft, kTop + 500, kLeft + 3000, kTop));
    EXPECT_TRUE(r.of("Empty").isEmpty());   // an empty label draws nothing
}

TEST_F(ReportRender, ABoundFieldThatDoesNotExistIsAnError)
{
    const Layout l = layout(R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
        {"type": "textBox", "name": "Text1", "rect": [0, 0, 3000, 255], "field": "Nme"}]})");
    EXPECT_THROW(render(l, numberedRows(1)), LayoutError);
}

namespace {

// Checks that `lines` are `text` broken greedily at blanks: each break falls
// on a run of blanks, and the next line's first word would not have fitted.
// A word longer than the line is the one place a line may end inside a word.
void expectBrokenAtBlanks(const QString& text, const QVector<DrawItem>& lines, double width, const char* what)
{
    ASSERT_FALSE(lines.isEmpty()) << what;
    const QFontMetricsF fm(lines[0].font);
    int pos = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i].text;
        ASSERT_EQ(text.mid(pos, line.size()), line) << what << " line " << i;
        pos += int(line.size());
        if (i + 1 == lines.size())
            break;
        const bool atBlank = pos < text.size() && text[pos] == ' ';
        if (atBlank) {
            while (pos < text.size() && text[pos] == ' ')
                ++pos;
            const QString next = text.mid(pos).section(' ', 0, 0);
            EXPECT_GT(fm.horizontalAdvance(line + ' ' + next), width) << what << ": \"" << next.toStdString()
                                                                     << "\" fitted after line " << i;
        } else {
            // Inside a word: only a word wider than the whole line.
            const int start = int(text.lastIndexOf(' ', pos - 1)) + 1;
            int end = int(text.indexOf(' ', pos));
            if (end < 0)
                end = int(text.size());
            EXPECT_GT(fm.horizontalAdvance(text.mid(start, end - start)), width)
                << what << ": line " << i << " \"" << line.toStdString() << "\" ends inside a word that fits a line";
        }
    }
    EXPECT_EQ(pos, text.size()) << what;
}

} // namespace

TEST_F(ReportRender, LinesBreakOnlyAtBlanks)
{
    // Hyphens, slashes and points followed by digits are no break points.
    const QString legend = "C-кариес P-пулпит g-гангрена r-корен O-обтурация e-липсв.зъб K-коронка X-изк.зъб "
                           "Pa-парадонт. 1,2,3-ст.подвиж.";
    const QString path = "ж.к.Младост/бл.5/вх.А/ет.3 ул.Цар-Борис-III/№17 т.310/ал.2";
    const QString hyphens = "медико-дентален център за медико-дентална помощ";
    const Layout l = layout(QStringLiteral(R"j({"name": "Detail", "kind": "detail", "height": 4000, "controls": [
        {"type": "label", "name": "Legend", "rect": [0, 0, 1515, 2415], "caption": "%1",
         "font": {"family": "CourierCyr", "size": 9.75, "bold": true}},
        {"type": "label", "name": "Path", "rect": [2000, 0, 1900, 1500], "caption": "%2"},
        {"type": "label", "name": "Hyphens", "rect": [4000, 0, 1300, 1500], "caption": "%3"},
        {"type": "label", "name": "Long", "rect": [6000, 0, 1000, 1500], "caption": "а ШШШШШШШШШШШШШ б в"}]})j")
                                     .arg(legend, path, hyphens));
    const Rendered r = render(l, numberedRows(1));

    // Twelve characters of the monospace font to a line: the last word alone
    // is longer than that, and only it is cut.
    QStringList legendLines;
    for (const DrawItem& i : r.of("Legend"))
        legendLines << i.text;
    EXPECT_EQ(legendLines, QStringList({"C-кариес", "P-пулпит", "g-гангрена", "r-корен", "O-обтурация", "e-липсв.зъб",
                                        "K-коронка", "X-изк.зъб", "Pa-парадонт.", "1,2,3-ст.под", "виж."}));
    expectBrokenAtBlanks(legend, r.of("Legend"), 1515, "Legend");
    expectBrokenAtBlanks(path, r.of("Path"), 1900, "Path");
    expectBrokenAtBlanks(hyphens, r.of("Hyphens"), 1300, "Hyphens");
    for (const char* name : {"Path", "Hyphens"}) {
        EXPECT_GE(r.of(name).size(), 2) << name;
        for (const DrawItem& i : r.of(name))
            EXPECT_FALSE(i.clipped()) << name << " " << i.text.toStdString();
    }

    // A word wider than the line is cut where the line is full, and the words
    // after it go on from there.
    const auto longWord = r.of("Long");
    ASSERT_GE(longWord.size(), 3);
    EXPECT_EQ(longWord[0].text, "а");
    EXPECT_TRUE(longWord[1].text.startsWith("ШШШ"));
    EXPECT_FALSE(longWord[1].clipped());
    EXPECT_GT(QFontMetricsF(longWord[1].font).horizontalAdvance(longWord[1].text + "Ш"), 1000);
    expectBrokenAtBlanks("а ШШШШШШШШШШШШШ б в", longWord, 1000, "Long");
}

TEST_F(ReportRender, ABoxMayAlsoBreakRightAfterItsBreakCharacters)
{
    // A list of codes joined by commas, with no blank in it: the box that
    // names the comma breaks after one, a box that does not only inside a word.
    const QString codes = "101,301А,301Б,302В,303A,304B,332,333,508,509,103";
    const Layout l = layout(QStringLiteral(R"j({"name": "Detail", "kind": "detail", "height": 2000, "controls": [
        {"type": "textBox", "name": "Codes", "rect": [0, 0, 2910, 1200], "field": "Name", "breakAfter": ","},
        {"type": "textBox", "name": "Plain", "rect": [3000, 0, 2910, 1200], "field": "Name"},
        {"type": "textBox", "name": "Words", "rect": [6000, 0, 1500, 1200], "field": "N", "breakAfter": ","}]})j"));
    const Rendered r = render(l, rows({"Name", "N"}, {{codes, "едно, две, три, четири, пет"}}));

    const auto lines = r.of("Codes");
    ASSERT_GE(lines.size(), 2);
    QStringList parts;
    for (const DrawItem& i : lines) {
        EXPECT_FALSE(i.clipped()) << i.text.toStdString();
        EXPECT_LE(i.rect.width(), 2910);
        parts << i.text;
    }
    for (int k = 0; k + 1 < parts.size(); ++k)
        EXPECT_TRUE(parts[k].endsWith(',')) << parts[k].toStdString();
    EXPECT_EQ(parts.join(QString()), codes);
    // The first line holds as many codes as fit: the next one would not.
    const QFontMetricsF fm(lines[0].font);
    const QString next = codes.mid(parts[0].size()).section(',', 0, 0) + ",";
    EXPECT_GT(fm.horizontalAdvance(parts[0] + next), 2910);

    // Without the option the list is one word, cut where the line is full.
    const auto plain = r.of("Plain");
    ASSERT_GE(plain.size(), 2);
    EXPECT_FALSE(plain[0].text.endsWith(','));

    // With blanks after the commas the blank rule breaks as before.
    for (const DrawItem& i : r.of("Words"))
        EXPECT_FALSE(i.text.startsWith(' ')) << i.text.toStdString();
    expectBrokenAtBlanks("едно, две, три, четири, пет", r.of("Words"), 1500, "Words");
}

TEST_F(ReportRender, AOneLineTextTooWideIsDrawnNarrowerAndOnlyThenCut)
{
    // A monospace font: 144 twips a character at 12 pt, 50 to the 7200-twip box.
    const QString name = "на Екатерина Николаева Хаджиниколова    ЕГН 8005151236";   // 54
    const struct {
        const char* control;
        QString caption;
        const char* align;
        int stretch;        // as drawn
        bool cut;
    } cases[] = {
        {"Fits", QString(49, QChar(0x0416)), "left", 100, false},
        {"BlanksAfter", QString(48, QChar(0x0416)) + "    ", "left", 100, false},
        {"Centred", name, "center", 92, false},
        {"Right", QString(60, QChar(0x0416)), "right", 83, false},
        {"AtTheLimit", QString(71, QChar(0x0416)), "left", 70, false},
        {"TooLong", name + " " + name, "center", 70, true},
        {"TooLongRight", name + " " + name, "right", 70, true},
    };
    QStringList controls;
    int top = 0;
    for (const auto& k : cases) {
        controls << QStringLiteral(R"({"type": "label", "name": "%1", "rect": [1000, %2, 7200, 315], "caption": "%3",
                                       "align": "%4", "font": {"family": "CourierCyr", "size": 12, "bold": true}})")
                        .arg(k.control)
                        .arg(top)
                        .arg(k.caption, k.align);
        top += 400;
    }
    const Layout l = layout(QStringLiteral(R"({"name": "Detail", "kind": "detail", "height": 4000, "controls": [%1]})")
                                .arg(controls.join(',')));
    const Rendered r = render(l, numberedRows(1));
    const QFont layoutFont = reportFont(l.section("Detail").control("Fits").font);
    for (const auto& k : cases) {
        SCOPED_TRACE(k.control);
        const auto items = r.of(k.control);
        ASSERT_EQ(items.size(), 1);
        const DrawItem& d = items[0];
        EXPECT_EQ(d.stretch, k.stretch);
        EXPECT_DOUBLE_EQ(d.pointSize, 12);
        EXPECT_EQ(d.family, "Liberation Mono");
        // Blanks after a left-aligned text may run past the box: they show nothing.
        const QFontMetricsF fm(d.font);
        EXPECT_LE(d.rect.left() + fm.horizontalAdvance(d.text.trimmed()), d.clip.right() + 0.01);
        EXPECT_GE(d.rect.left(), d.clip.left() - 0.01);
        if (k.stretch == 100) {
            EXPECT_EQ(d.font, layoutFont);   // a text that fits is drawn as the layout has it
        }
        if (!k.cut) {
            EXPECT_EQ(d.text, k.caption);
            continue;
        }
        // Cut at its end: as much as fits at the readable width, then the mark.
        ASSERT_TRUE(d.text.endsWith(QChar(0x2026)));
        const QString kept = d.text.chopped(1);
        EXPECT_TRUE(k.caption.startsWith(kept));
        EXPECT_GT(fm.horizontalAdvance(k.caption.left(kept.size() + 1) + QChar(0x2026)), 7200);
    }
    EXPECT_NEAR(r.of("Centred")[0].rect.center().x(), kLeft + 1000 + 3600, 0.5);
    EXPECT_NEAR(r.of("Right")[0].rect.right(), kLeft + 8200, 0.5);
    EXPECT_NEAR(r.of("TooLongRight")[0].rect.right(), kLeft + 8200, 0.5);

    // Painted, the narrowed line reaches the box's right edge and not beyond.
    QImage img(int(r.paper.width() / 15), 120, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.scale(1 / 15.0, 1 / 15.0);
        p.translate(0, -(kTop + 800));   // the third box, "Right", at the image's top
        paintPage(p, r, 1);
    }
    auto inkIn = [&](int x0, int x1) {
        int n = 0;
        for (int y = 0; y < 21; ++y)
            for (int x = x0; x < x1; ++x)
                n += qGray(img.pixel(x, y)) < 160;
        return n;
    };
    const int right = (kLeft + 8200) / 15;
    EXPECT_GT(inkIn(right - 12, right), 0);
    EXPECT_EQ(inkIn(right + 1, right + 60), 0);
}

TEST_F(ReportRender, EachLineOfAOneLineBoxIsNarrowedAlone)
{
    // A box of two lines that does not wrap: each part keeps its line.
    const QString first = "1000 София, общ.Столична, обл.София-град";
    const QString second = "ж.к.Младост 1ул.Александър Малинов 25, бл.45, вх.Б, ет.3, ап.12";
    const Layout l = layout(QStringLiteral(R"({"name": "Detail", "kind": "detail", "height": 1000, "controls": [
        {"type": "label", "name": "Address", "rect": [0, 0, 7095, 630], "caption": "%1\r%2", "wrap": false,
         "font": {"family": "CourierCyr", "size": 12, "bold": true}}]})")
                                .arg(first, second));
    const Rendered r = render(l, numberedRows(1));
    const auto lines = r.of("Address");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].text, first);
    EXPECT_EQ(lines[0].stretch, 100);
    EXPECT_EQ(lines[1].text, second);
    EXPECT_LT(lines[1].stretch, 100);
    EXPECT_GE(lines[1].stretch, 70);
    EXPECT_DOUBLE_EQ(lines[1].rect.top() - lines[0].rect.top(), QFontMetricsF(lines[0].font).height());
    for (const DrawItem& i : lines)
        EXPECT_FALSE(i.clipped()) << i.text.toStdString();
}

TEST_F(ReportRender, AShrinkingBoxDrawsItsWrappedLinesSmallerUntilAllShow)
{
    // Fourteen codes do not fit two lines of 12 pt; forty do not fit even at
    // the readable size. A box without the flag keeps its two lines as before.
    const QString fourteen = "101,301,301А,301Б,302В,303A,304B,103,508,509,332,333,508,509";
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many << QString::number(301 + i);
    const Layout l = layout(R"({"name": "Detail", "kind": "detail", "height": 2000, "controls": [
        {"type": "textBox", "name": "Codes", "rect": [0, 0, 2910, 555], "field": "Name", "breakAfter": ",", "shrink": true,
         "font": {"family": "Lucida Sans Unicode", "size": 12}},
        {"type": "textBox", "name": "Plain", "rect": [3000, 0, 2910, 555], "field": "Name", "breakAfter": ",",
         "font": {"family": "Lucida Sans Unicode", "size": 12}},
        {"type": "textBox", "name": "Short", "rect": [6000, 0, 2910, 555], "field": "N", "breakAfter": ",", "shrink": true,
         "font": {"family": "Lucida Sans Unicode", "size": 12}},
        {"type": "textBox", "name": "Many", "rect": [0, 1000, 2910, 555], "field": "M", "breakAfter": ",", "shrink": true,
         "font": {"family": "Lucida Sans Unicode", "size": 12}},
        {"type": "textBox", "name": "Flat", "rect": [3000, 1000, 2910, 0], "field": "M", "breakAfter": ",", "shrink": true,
         "wrap": true}]})");
    const Rendered r = render(l, rows({"Name", "N", "M"}, {{fourteen, "101,301,508", many.join(',')}}));

    const auto join = [](const QVector<DrawItem>& items) {
        QString s;
        for (const DrawItem& i : items)
            s += i.text;
        return s;
    };
    const auto codes = r.of("Codes");
    EXPECT_EQ(join(codes), fourteen);
    for (const DrawItem& i : codes) {
        EXPECT_FALSE(i.clipped()) << i.text.toStdString();
        EXPECT_LT(i.pointSize, 12);
        EXPECT_GE(i.pointSize, 12 * 0.7);
        EXPECT_EQ(i.font.pixelSize(), int(std::lround(i.pointSize * 20)));
    }
    const auto plain = r.of("Plain");
    ASSERT_EQ(plain.size(), 2);
    EXPECT_DOUBLE_EQ(plain[0].pointSize, 12);
    EXPECT_NE(join(plain), fourteen);

    const auto shortList = r.of("Short");
    ASSERT_EQ(shortList.size(), 1);
    EXPECT_DOUBLE_EQ(shortList[0].pointSize, 12);

    // At the readable size the lines that show are kept, the last cut with the mark.
    const auto cut = r.of("Many");
    ASSERT_GE(cut.size(), 2);
    EXPECT_DOUBLE_EQ(cut[0].pointSize, 8.4);
    EXPECT_TRUE(cut.last().text.endsWith(QChar(0x2026)));
    EXPECT_TRUE(many.join(',').startsWith(join(cut).chopped(1)));
    for (const DrawItem& i : cut) {
        EXPECT_FALSE(i.clipped()) << i.text.toStdString() << " " << i.rect.bottom() << " " << i.clip.bottom();
        EXPECT_LE(i.rect.width(), 2910);
    }
    EXPECT_TRUE(r.of("Flat").isEmpty());   // a box of no height shows nothing
}
