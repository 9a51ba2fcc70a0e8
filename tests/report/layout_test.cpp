#include "fixtures.h"
#include "report/fonts.h"
#include "report/layoutfile.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using namespace tav::report;
using namespace report_fixtures;

TEST(ReportLayout, SectionsAndControlsByNameAndByPosition)
{
    Layout l = layout(R"(
        {"name": "PageHeader", "kind": "pageHeader", "height": 600, "controls": [
            {"type": "label", "name": "Label1", "rect": [0, 0, 900, 255], "caption": "А"},
            {"type": "line", "name": "Line1", "line": [0, 300, 9000, 300]},
            {"type": "shape", "name": "Shape1", "rect": [100, 100, 375, 375], "shape": "circle", "visible": false}]},
        {"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "textBox", "name": "Text1", "rect": [0, 0, 900, 255], "field": "Name"}]})");
    EXPECT_EQ(l.count(), 2);
    EXPECT_EQ(l.section(1).name, "PageHeader");
    EXPECT_EQ(&l.section(2), &l.section("detail"));   // names match in any case
    EXPECT_EQ(&l.section(SectionKind::Detail), &l.section("Detail"));
    Section& ph = l.section("PageHeader");
    EXPECT_EQ(ph.count(), 3);
    EXPECT_EQ(&ph.control(1), &ph.control("Label1"));
    EXPECT_EQ(&ph.control(3), &ph.control("shape1"));
    EXPECT_EQ(ph.control("Line1").line, QLineF(0, 300, 9000, 300));
    EXPECT_EQ(ph.control("Shape1").shape, ShapeKind::Circle);
    EXPECT_FALSE(ph.control("Shape1").visible);
    EXPECT_EQ(l.control("Detail", "Text1").dataField, "Name");
    EXPECT_THROW(ph.control(0), std::out_of_range);
    EXPECT_THROW(ph.control(4), std::out_of_range);
    EXPECT_THROW(ph.control("Label2"), std::out_of_range);
    EXPECT_THROW(l.section("ReportFooter"), std::out_of_range);
    EXPECT_EQ(l.find(SectionKind::ReportFooter), nullptr);
}

TEST(ReportLayout, FontsAreNamedOnceAndInheritTheBaseFont)
{
    Layout l = layout(R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "label", "name": "A", "rect": [0, 0, 900, 255], "font": "big"},
            {"type": "label", "name": "B", "rect": [0, 0, 900, 255]},
            {"type": "label", "name": "C", "rect": [0, 0, 900, 255], "font": {"size": 14.25, "italic": true}}]})",
                      R"("fonts": {"big": {"family": "CourierCyr", "size": 14.25, "bold": true}})");
    const Section& d = l.section("Detail");
    EXPECT_EQ(d.control("A").font.family, "CourierCyr");
    EXPECT_DOUBLE_EQ(d.control("A").font.pointSize, 14.25);
    EXPECT_TRUE(d.control("A").font.bold);
    EXPECT_EQ(d.control("B").font.family, "Arial");
    EXPECT_DOUBLE_EQ(d.control("B").font.pointSize, 9);
    EXPECT_EQ(d.control("C").font.family, "Arial");
    EXPECT_TRUE(d.control("C").font.italic);
}

TEST(ReportLayout, MistakesInALayoutAreRefusedWithTheirPlace)
{
    const char* bad[] = {
        R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "label", "name": "A", "rect": [0, 0, 900, 255], "captoin": "x"}]})",     // misspelt key
        R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "picture", "name": "A", "rect": [0, 0, 900, 255]}]})",                   // unknown kind
        R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "label", "name": "A", "rect": [0, 0, 900]}]})",                          // three numbers
        R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "label", "name": "A", "rect": [0, 0, 900, 255]},
            {"type": "label", "name": "a", "rect": [0, 0, 900, 255]}]})",                     // two of one name
        R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "label", "name": "A", "rect": [0, 0, 900, 255], "font": "none"}]})",     // unknown font
        R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "label", "name": "A", "rect": [0, 0, 900, 255], "align": "middle"}]})",
        R"({"name": "Detail", "kind": "detail", "height": 300.5, "controls": []})",
        R"({"name": "Detail", "kind": "detail"}, {"name": "Detail2", "kind": "detail"})",     // two details
        R"({"name": "Detail", "kind": "body"})",
        R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "label", "name": "A", "rect": [0, 0, 900, 255], "border": 1, "borderColor": "blackish"}]})",
        R"({"name": "Detail", "kind": "detail", "height": 300, "controls": [
            {"type": "line", "name": "L", "line": [0, 0, 900, 0], "borderColor": "#000000"}]})",   // a line has no border
    };
    for (const char* b : bad) {
        try {
            layout(QString::fromUtf8(b));
            ADD_FAILURE() << "accepted: " << b;
        } catch (const LayoutError& e) {
            EXPECT_TRUE(e.message().contains("test")) << e.message().toStdString();
        }
    }
    EXPECT_THROW(parseLayout("{ not json", "x"), LayoutError);
    EXPECT_THROW(loadLayout(":/report/layouts/none.json"), LayoutError);
}

TEST(ReportFonts, WindowsFontsMapToLiberation)
{
    struct Case {
        const char* layout;
        const char* printed;
    } cases[] = {
        {"Arial", "Liberation Sans"}, {"Arial Cyr", "Liberation Sans"}, {"SwissCyr", "Liberation Sans"},
        {"MS Sans Serif", "Liberation Sans"}, {"Arial Narrow", "Liberation Sans Narrow"},
        {"Times New Roman", "Liberation Serif"}, {"Times New Roman Cyr", "Liberation Serif"},
        {"MS Serif", "Liberation Serif"}, {"Courier", "Liberation Mono"}, {"Courier New", "Liberation Mono"},
        {"CourierCyr", "Liberation Mono"}, {"Some Unknown Face", "Liberation Sans"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(mappedFamily(k.layout), k.printed) << k.layout;
        FontDef def;
        def.family = k.layout;
        def.pointSize = 9.75;
        const QFont f = reportFont(def);
        // The font really is installed (fonts-liberation), not a fallback.
        EXPECT_EQ(QFontInfo(f).family(), k.printed) << k.layout;
        EXPECT_EQ(f.pixelSize(), 195);   // 9.75 pt in twips
    }
}
