// The printed form of rptSpec with its static content.

#include "fixtures.h"
#include "report/layoutfile.h"
#include "report/report.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tav::report;
using namespace report_fixtures;

namespace {

constexpr int kLeft = 220;
constexpr int kTop = 220;
constexpr int kDetail = kTop + 6330;   // the detail follows the page header

// The form prints its detail once, for the one TempSpec row.
Rendered rptSpecForm()
{
    static const Rendered r = [] {
        Report rpt(QStringLiteral(":/report/layouts/rptSpec.json"));
        rpt.setRows(rows({"F10112"}, {{0}}));
        rpt.start();
        return rpt.rendered();
    }();
    return r;
}

QVector<DrawItem> textOf(const QString& control)
{
    return texts(rptSpecForm().of(control));
}

} // namespace

TEST(RptSpecForm, ReportAsDesigned)
{
    const Layout l = loadLayout(":/report/layouts/rptSpec.json");
    EXPECT_EQ(l.name, "rptSpec");
    EXPECT_EQ(l.caption, "Спецификация");
    EXPECT_EQ(l.width, 11115);
    EXPECT_EQ(l.margins.left, 220);
    EXPECT_EQ(l.margins.right, 220);
    EXPECT_EQ(l.margins.top + l.margins.bottom, 660);
    ASSERT_EQ(l.count(), 3);
    EXPECT_EQ(l.section(1).name, "PageHeader");
    EXPECT_EQ(l.section(1).height, 6330);
    EXPECT_EQ(l.section(2).name, "Detail");
    EXPECT_EQ(l.section(2).height, 9570);
    EXPECT_EQ(l.section(3).name, "PageFooter");
    EXPECT_EQ(l.section(3).height, 0);
    EXPECT_TRUE(l.section(3).controls.isEmpty());
    EXPECT_EQ(l.font.family, "MS Serif");
    EXPECT_DOUBLE_EQ(l.font.pointSize, 6.75);
    // No control has a colour of its own, and nothing is bound to a field.
    for (const Section& s : l.sections)
        for (const Control& c : s.controls) {
            EXPECT_EQ(c.foreColor, QColor(Qt::black)) << c.name.toStdString();
            EXPECT_EQ(c.borderColor, QColor(Qt::black)) << c.name.toStdString();
            EXPECT_FALSE(c.opaque) << c.name.toStdString();
            EXPECT_TRUE(c.kind == ControlKind::Label || c.kind == ControlKind::Line || c.kind == ControlKind::Shape);
            if (c.kind == ControlKind::Shape) {
                EXPECT_EQ(c.shape, ShapeKind::Rectangle);
            }
        }
}

TEST(RptSpecForm, PrintsOnOnePageOfA4)
{
    const Rendered r = rptSpecForm();
    EXPECT_EQ(r.pageCount, 1);
    EXPECT_EQ(r.paper, QSizeF(11906, 16838));
    // The page measures 11555 × 16560 with its margins.
    double right = 0, bottom = 0;
    for (const DrawItem& i : r.items) {
        const QRectF b = i.kind == ItemKind::Text ? i.clip : i.rect;
        right = qMax(right, b.right());
        bottom = qMax(bottom, b.bottom());
    }
    EXPECT_LE(right, 11555 - 220 + 1);
    EXPECT_DOUBLE_EQ(bottom, kTop + 15900);
}

TEST(RptSpecForm, StaticTextsStandWhereTheFormPutsThem)
{
    struct Case {
        const char* label;
        const char* text;   // first line
        int left, top, width;
        bool header;
        Align align;
    } cases[] = {
        {"Label6", "Регистрационен номер на леченото", 60, 60, 3135, true, Align::Left},
        {"Label4", "Име на леч. заведение", 60, 570, 2055, true, Align::Left},
        {"Label27", "№", 6015, 1290, 240, true, Align::Left},
        {"Label21", "БУЛСТАТ", 6900, 1215, 885, true, Align::Left},
        {"Label3", "СПЕЦИФИКАЦИЯ", 0, 2055, 11115, true, Align::Center},
        {"Label41", "ЗА ПЕРИОДА    ОТ:", 4665, 3645, 1725, true, Align::Left},
        {"Label58", "х", 3015, 3930, 210, true, Align::Left},
        {"Label46", "ЛПК", 6945, 5145, 510, true, Align::Left},
        {"Label61", "Извършени дейности", 1425, 5835, 6270, true, Align::Center},
        {"Label71", "x", 0, 45, 945, false, Align::Center},
        {"Label70", "6.44", 8355, 405, 1275, false, Align::Center},
        {"Label103", "Дентални дейности за лица дo 18 години", 1470, 2010, 6210, false, Align::Left},
        {"Label148", "68.93", 8355, 4500, 1275, false, Align::Center},
        {"Label157", "Общо ( I +II ):", 1470, 5205, 6210, false, Align::Left},
        {"Label168", "Назначени медицински направления бл. МЗ-НЗОК № 3А", 945, 6225, 6750, false, Align::Left},
        {"Label165", "за тримесечие", 9090, 5910, 2025, false, Align::Center},
        {"Label228", "печат", 9555, 9225, 840, false, Align::Center},
    };
    for (const Case& k : cases) {
        const auto items = textOf(k.label);
        ASSERT_FALSE(items.isEmpty()) << k.label;
        const DrawItem& i = items[0];
        EXPECT_EQ(i.text, QString::fromUtf8(k.text)) << k.label;
        EXPECT_DOUBLE_EQ(i.rect.top(), (k.header ? kTop : kDetail) + k.top) << k.label;
        if (k.align == Align::Left)
            EXPECT_DOUBLE_EQ(i.rect.left(), kLeft + k.left) << k.label;
        else
            EXPECT_NEAR(i.rect.center().x(), kLeft + k.left + k.width / 2.0, 0.01) << k.label;
        EXPECT_EQ(i.family, "Liberation Sans") << k.label;
    }
    EXPECT_TRUE(textOf("Label3")[0].bold);
    EXPECT_DOUBLE_EQ(textOf("Label3")[0].pointSize, 12);
    EXPECT_DOUBLE_EQ(textOf("Label55")[0].pointSize, 9.75);
    EXPECT_DOUBLE_EQ(textOf("Label58")[0].pointSize, 14.25);
    EXPECT_EQ(QString(textOf("Label58")[0].text[0]), QString(QChar(0x0445)));   // the Cyrillic letter
    EXPECT_EQ(textOf("Label78")[0].text, QString(QChar(0x0445)));
    EXPECT_EQ(textOf("Label82")[0].text, "x");
}

TEST(RptSpecForm, EveryTextFitsItsBoxAndLongTextsWrapInTwoLines)
{
    for (const DrawItem& i : texts(rptSpecForm().items)) {
        // The signature rule of underscores runs a little past its box and
        // is cut there, as on the fund's form.
        if (i.control == "Label188")
            continue;
        EXPECT_FALSE(i.clipped()) << i.control.toStdString() << " " << i.text.toStdString();
    }
    for (const char* name : {"Label6", "Label55", "Label67", "Label109", "Label139", "Label145", "Label162", "Label63"})
        EXPECT_EQ(textOf(name).size(), 2) << name;
    EXPECT_EQ(textOf("Label63")[0].text, "Сума");
    EXPECT_EQ(textOf("Label63")[1].text, "(лв.)");
    EXPECT_TRUE(textOf("Label162")[1].text.endsWith(" на УС на НЗОК"));
    for (const char* name : {"Label35", "Label39", "Label61", "Label73", "Label127", "Label133"})
        EXPECT_EQ(textOf(name).size(), 1) << name;
}

TEST(RptSpecForm, WrappedCaptionsBreakAtTheirBlanks)
{
    // "ПО Т.310" breaks at its blank, never between the point and the digits.
    const auto l55 = textOf("Label55");
    ASSERT_EQ(l55.size(), 2);
    EXPECT_TRUE(l55[0].text.endsWith(" ПО")) << l55[0].text.toStdString();
    EXPECT_TRUE(l55[1].text.startsWith("Т.310 ал.2")) << l55[1].text.toStdString();
    // Every wrapped caption is its text broken at blanks only: joined by one
    // blank, the lines give it back.
    const Layout l = loadLayout(":/report/layouts/rptSpec.json");
    for (const Section& s : l.sections)
        for (const Control& c : s.controls) {
            const auto lines = textOf(c.name);
            if (lines.size() < 2 || c.caption.contains('\r'))
                continue;
            QStringList parts;
            for (const DrawItem& i : lines) {
                EXPECT_FALSE(i.text.startsWith(' ') || i.text.endsWith(' ')) << c.name.toStdString();
                parts << i.text;
            }
            EXPECT_EQ(parts.join(' '), c.caption.simplified()) << c.name.toStdString();
        }
}

TEST(RptSpecForm, WithNoValuesTheCellsReadZeroAndTheBoxesAreEmpty)
{
    for (int n : {68, 69, 80, 86, 87, 92, 93, 99, 110, 111, 116, 122, 123, 128, 129, 134, 135, 140, 141, 146, 147, 153, 159})
        EXPECT_EQ(textOf(QString("Label%1").arg(n)).value(0).text, "0") << n;
    const QStringList prices = {"6.44", "21.13", "21.13", "6.44", "25.13", "11.98", "25.13", "21.92", "68.93"};
    const int priceCells[] = {70, 88, 94, 112, 124, 130, 136, 142, 148};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(textOf(QString("Label%1").arg(priceCells[i]))[0].text, prices[i]);
    QStringList empty = {"Label9", "Label13", "Label14", "Label25", "Label26", "Label28", "Label10", "Label8", "Label34",
                         "Label32", "Label30", "Label16", "Label18", "Label20", "Label22", "Label42", "Label50", "Label54",
                         "Label45", "Label7", "Label52", "Label96", "Label150", "Label156", "Label169", "Label170",
                         "Label181", "Label182", "Label187"};
    for (int n = 195; n <= 220; ++n)
        empty << QString("Label%1").arg(n);
    const Layout l = loadLayout(":/report/layouts/rptSpec.json");
    for (const QString& name : empty) {
        EXPECT_TRUE(textOf(name).isEmpty()) << name.toStdString();
        const Control* c = l.section("PageHeader").find(name);
        if (!c)
            c = l.section("Detail").find(name);
        EXPECT_NE(c, nullptr) << name.toStdString();   // the label exists, to be written
    }
}

TEST(RptSpecForm, RowsOfOneCharacterBoxes)
{
    struct Row {
        const char* box;
        int left, top;
        QStringList lines;
        QStringList labels;
    };
    const Row boxRows[] = {
        {"Shape1", 3195, 90, {"Line11", "Line10", "Line9", "Line8", "Line7", "Line6", "Line12", "Line13", "Line4"},
         QStringList{"Label45", "Label195", "Label196", "Label197", "Label198", "Label199", "Label200", "Label201", "Label202", "Label203"}},
        {"Shape26", 7455, 4710, {"Line18", "Line17", "Line16", "Line15", "Line14", "Line5", "Line20", "Line21", "Line1"},
         QStringList{"Label7", "Label204", "Label205", "Label206", "Label207", "Label208", "Label209", "Label210", "Label211", "Label212"}},
        {"Shape27", 7455, 5085, {"Line28", "Line27", "Line26", "Line25", "Line24", "Line23", "Line29", "Line30", "Line22"},
         QStringList{"Label52", "Label213", "Label214", "Label215", "Label216", "Label217", "Label218", "Label219", "Label220", "LabelUIN10"}},
    };
    Layout l = loadLayout(":/report/layouts/rptSpec.json");
    const Rendered r = rptSpecForm();
    for (const Row& row : boxRows) {
        const auto box = r.of(row.box);
        ASSERT_EQ(box.size(), 1);
        EXPECT_EQ(box[0].rect, QRectF(kLeft + row.left, kTop + row.top, 3525, 375));
        for (int i = 0; i < 9; ++i) {
            const auto line = r.of(row.lines[i]);
            ASSERT_EQ(line.size(), 1) << row.lines[i].toStdString();
            const double x = kLeft + row.left + 330 + 360 * i;
            EXPECT_EQ(line[0].line, QLineF(x, kTop + row.top, x, kTop + row.top + 375)) << row.lines[i].toStdString();
        }
        for (int i = 0; i < row.labels.size(); ++i) {
            const Control& c = l.section("PageHeader").control(row.labels[i]);
            // The tenth labels of the EGN and UIN rows stand one above the other.
            const int left = i == 9 && QString(row.box) != "Shape1" ? 10695 : row.left + 15 + 360 * i;
            EXPECT_EQ(c.rect, QRect(left, row.top + 45, 285, 285)) << row.labels[i].toStdString();
            EXPECT_EQ(c.font.family, "CourierCyr");
            EXPECT_DOUBLE_EQ(c.font.pointSize, 14.25);
            EXPECT_TRUE(c.font.bold);
            EXPECT_EQ(c.align, Align::Center);
        }
    }
    // A digit written into a box sits inside its cell.
    l.control("PageHeader", "Label204").setCaption("8");
    const Rendered filled = render(l, rows({"F10112"}, {{0}}));
    const DrawItem digit = filled.of("Label204")[0];
    EXPECT_LT(digit.baseline, digit.clip.bottom());   // only the room below the digits is cut
    EXPECT_GT(digit.rect.left(), kLeft + 7785);
    EXPECT_LT(digit.rect.right(), kLeft + 7785 + 360);
}

TEST(RptSpecForm, ThePdfCarriesTheTextsAtTheirPositions)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("rptSpec.pdf");
    Report rpt(QStringLiteral(":/report/layouts/rptSpec.json"));
    rpt.setRows(rows({"F10112"}, {{0}}));
    rpt.start();
    QString error;
    ASSERT_TRUE(rpt.renderToPdf(pdf, &error)) << error.toStdString();
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF"));
    f.close();
    if (!qEnvironmentVariableIsEmpty("TAV_REPORT_PDF_DIR"))
        QFile::copy(pdf, QDir(qEnvironmentVariable("TAV_REPORT_PDF_DIR")).filePath("rptSpec.pdf"));

    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QProcess p;
    p.start(tool, {"-bbox", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(20000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    // Words with their boxes in points from the sheet's top left corner.
    QMap<QString, QRectF> words;
    static const QRegularExpression re(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!words.contains(m.captured(5)))
            words.insert(m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                               QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())));
    }
    const Rendered r = rpt.rendered();
    for (const char* control : {"Label3", "Label40", "Label43", "Label221", "Label15", "Label62", "Label228"}) {
        const DrawItem i = texts(r.of(control))[0];
        const QString first = i.text.split(' ', Qt::SkipEmptyParts).value(0);
        ASSERT_TRUE(words.contains(first)) << first.toStdString();
        const QRectF w = words[first];
        EXPECT_NEAR(w.left(), i.rect.left() / 20, 1.0) << control;
        EXPECT_NEAR(w.bottom(), i.rect.bottom() / 20, 1.5) << control;
    }
}
