// The three printouts as PDF: the words stand where the display list puts
// them. With TAV_REPORT_PDF_DIR set, the PDFs are kept there to be looked at.

#include "fixtures.h"

#include "printing/dentalcard.h"
#include "printing/outpatientsheet.h"
#include "printing/patientcard.h"
#include "report/dataenvironment.h"
#include "services/globals.h"
#include "support/program_folder.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::printing;
using namespace tav::report;
using namespace printing_test;

namespace {

const QString kEgn = "7503126540";

void fillPractice()
{
    addPatient(kEgn, {{"Names", "Иван Петров Колев"}, {"Pol", "М"}, {"DataR", "12.01.2016"}, {"ZBook", "12345678"},
                      {"RBook", "7788"}, {"PKod", "4000"}, {"Tawn", "Пловдив"}, {"Obsh", "Пловдив"}, {"Obl", "Пловдив"},
                      {"KV", "ж.к.Тракия "}, {"UL", "ул.Гладстон 12"}, {"BL", "45"}, {"VX", "Б"}, {"ET", "3"}, {"AP", "12"},
                      {"TKod", "032"}, {"DTel", "623344"}, {"MTel", "0888123456"}, {"Prof", "шлосер"}, {"Work", "Завод"},
                      {"KrGr", "A"}, {"Ph", "+"}, {"Nep", "Пеницилин, лидокаин"}, {"Osob", "Сърдечно болен"},
                      {"ZabOld", "Хепатит А"}, {"ZabNaw", "Диабет тип 2"}});
    addChart(kEgn, {{"Z1", "*"}, {"Z2", "C"}, {"Z11", "*"}, {"Z16", "P"}, {"Z21", "E"}, {"Z24", "C"}, {"Z30", "O"},
                    {"Z37", "X"}, {"Z45", "K"}, {"Z52", "III"}});
    addDoctor("Мария Иванова Петрова", "6001014321", "2200001");
    loginVars().nRecID = 1;
    const QString codes[] = {"101", "301", "508", "332", "509"};
    for (int i = 0; i < 30; ++i)
        addTreatment(kEgn, QDate(2024, 1, 10).addDays(i * 7), codes[i % 5], "Caries media", QString::number(11 + i % 37),
                     i % 5 == 2 ? "Екстракция" : "Обт.амалгама", i % 2 ? "З" : "");
    for (int i = 0; i < 7; ++i)
        addSheetLine(QDate(2025, 3, 3).addDays(i), "Caries media", i ? "3  0  1" : "1  0  1",
                     i ? "Обт.хим.композ." : "Преглед", i ? "3  6" : "");
    PrintEGN = kEgn;
    PrintDentalStatus = true;
}

// Words of the PDF with their boxes, in points from the sheet's top left.
QMultiMap<QString, QRectF> pdfWords(const QString& pdf)
{
    QMultiMap<QString, QRectF> words;
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty())
        return words;
    QProcess p;
    p.start(tool, {"-bbox", pdf, "-"});
    p.waitForFinished(20000);
    static const QRegularExpression re(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.insert(m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                           QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())));
    }
    return words;
}

void checkPdf(Report& report, const QString& file, const QStringList& controls)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(file);
    QString error;
    ASSERT_TRUE(report.renderToPdf(pdf, &error)) << error.toStdString();
    if (!qEnvironmentVariableIsEmpty("TAV_REPORT_PDF_DIR")) {
        const QString kept = QDir(qEnvironmentVariable("TAV_REPORT_PDF_DIR")).filePath(file);
        QFile::remove(kept);
        QFile::copy(pdf, kept);
    }
    const auto words = pdfWords(pdf);
    if (words.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    for (const QString& control : controls) {
        const auto items = textItems(report.rendered(), control);
        ASSERT_FALSE(items.isEmpty()) << control.toStdString();
        const DrawItem& i = items[0];
        const QString first = i.text.split(' ', Qt::SkipEmptyParts).value(0);
        bool found = false;
        for (const QRectF& w : words.values(first))
            found = found || (qAbs(w.left() - i.rect.left() / 20) < 1.5 && qAbs(w.bottom() - i.rect.bottom() / 20) < 2.5);
        EXPECT_TRUE(found) << control.toStdString() << " " << first.toStdString();
    }
}

} // namespace

TEST(PrintoutPdf, WordsStandAtTheirPlaces)
{
    testing_support::TestFolder folder;
    fillPractice();
    {
        rprKarton sheet;
        sheet.start();
        EXPECT_EQ(sheet.pageCount(), 2);
        checkPdf(sheet, "rprKarton.pdf", {"Label1", "Label4", "Label8", "Label9", "Label10", "Label21", "Text2", "Text5"});
        sheet.end();
    }
    {
        rprHelpData card(kEgn);
        card.start();
        EXPECT_EQ(card.pageCount(), 2);
        checkPdf(card, "rprHelpData.pdf", {"Label1", "rNames", "rAdres", "rTel", "Label7", "z_15", "s_18", "Text2"});
        card.end();
    }
    {
        rprPacient card(kEgn);
        card.start();
        EXPECT_EQ(card.pageCount(), 2);
        checkPdf(card, "rprPacient.pdf", {"Label1", "Label2", "Label19", "Label35", "Label52", "Label68", "Text3"});
        card.end();
    }
    PrintEGN.clear();
    PrintDentalStatus = false;
    loginVars() = {};
    DataEnvironment1::instance().restoreDesignTexts();
}
