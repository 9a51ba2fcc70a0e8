// The report engine: a long list paginated to PDF, and a one-page form.

#include "bench.h"

#include "db/database.h"
#include "report/layoutfile.h"
#include "report/report.h"

#include <QTemporaryDir>
#include <cstdio>

namespace {

const char* kListLayout = R"({"name": "rprBench", "caption": "Списък", "width": 9675,
    "margins": {"left": 720, "right": 720, "top": 720, "bottom": 720},
    "font": {"family": "Arial", "size": 8.25},
    "sections": [
      {"name": "PageHeader", "kind": "pageHeader", "height": 700, "controls": [
        {"type": "label", "name": "Label1", "rect": [0, 0, 9675, 375], "caption": "Дейности", "align": "center",
         "font": {"family": "Times New Roman Cyr", "size": 14.25, "bold": true}},
        {"type": "label", "name": "Label2", "rect": [0, 400, 1335, 300], "caption": "Дата", "border": 1, "font": {"size": 12, "bold": true}},
        {"type": "label", "name": "Label3", "rect": [1335, 400, 2805, 300], "caption": "Диагноза", "border": 1, "font": {"size": 12, "bold": true}},
        {"type": "label", "name": "Label4", "rect": [4140, 400, 930, 300], "caption": "код зъб", "border": 1, "font": {"size": 12, "bold": true}},
        {"type": "label", "name": "Label5", "rect": [5070, 400, 3060, 300], "caption": "Дейност", "border": 1, "font": {"size": 12, "bold": true}},
        {"type": "label", "name": "Label6", "rect": [8130, 400, 930, 300], "caption": "Код", "border": 1, "font": {"size": 12, "bold": true}}]},
      {"name": "Detail", "kind": "detail", "height": 300, "controls": [
        {"type": "textBox", "name": "Text1", "rect": [0, 0, 1335, 300], "field": "Data", "font": {"family": "Arial Narrow", "size": 12}},
        {"type": "textBox", "name": "Text2", "rect": [1335, 0, 2805, 300], "field": "Help", "font": {"family": "Arial Narrow", "size": 12}},
        {"type": "textBox", "name": "Text3", "rect": [4140, 0, 930, 300], "field": "KodZab", "font": {"family": "Arial Narrow", "size": 12}},
        {"type": "textBox", "name": "Text4", "rect": [5070, 0, 3060, 300], "field": "TextHelp", "font": {"family": "Arial Narrow", "size": 12}},
        {"type": "textBox", "name": "Text5", "rect": [8130, 0, 930, 300], "field": "KodHelp", "align": "center", "font": {"family": "Arial Narrow", "size": 12}}]},
      {"name": "PageFooter", "kind": "pageFooter", "height": 300, "controls": []},
      {"name": "ReportFooter", "kind": "reportFooter", "height": 400, "controls": [
        {"type": "label", "name": "Label7", "rect": [5070, 60, 3060, 300], "caption": "Общо:", "font": {"size": 12, "bold": true}},
        {"type": "function", "name": "Function1", "rect": [8130, 60, 1500, 300], "field": "Cena", "format": "0.00", "align": "right"}]}]})";

QTemporaryDir& outDir()
{
    static QTemporaryDir dir;
    return dir;
}

tav::db::Rows g_rows;

bench::Register listToPdf({
    "report: 300-row list paginated to PDF",
    [](const bench::Practice&) {
        if (g_rows.isEmpty()) {
            tav::db::Connection c = tav::db::Connection::main();
            g_rows = c.query("SELECT * FROM Help ORDER BY Data, KodHelp, RecID LIMIT 300");
        }
    },
    [](const bench::Practice&) {
        tav::report::Report r(tav::report::parseLayout(kListLayout, "bench"));
        r.setRows(g_rows);
        r.start();
        if (!r.renderToPdf(outDir().filePath("list.pdf")) || r.pageCount() < 6)
            std::fprintf(stderr, "list report failed\n");
    },
    20});

bench::Register formToPdf({
    "report: rptSpec form (one page) to PDF",
    {},
    [](const bench::Practice&) {
        tav::report::Report r(QStringLiteral(":/report/layouts/rptSpec.json"));
        r.setRows(tav::db::Rows(1));
        r.start();
        if (!r.renderToPdf(outDir().filePath("form.pdf")) || r.pageCount() != 1)
            std::fprintf(stderr, "form report failed\n");
    },
    20});

} // namespace
