// Long names and addresses on the printed records: every character on the
// page, a line too long for its box drawn narrower, each address part on its
// own line; the texts of several lines wrap as before. With
// TAV_REPORT_PDF_DIR set, the printouts are kept there to be looked at.

#include "fixtures.h"

#include "printing/dentalcard.h"
#include "printing/outpatientsheet.h"
#include "printing/patientcard.h"
#include "printing/spacing.h"
#include "report/dataenvironment.h"
#include "services/globals.h"
#include "support/program_folder.h"

#include <QDate>
#include <QDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::printing;
using namespace tav::report;
using namespace printing_test;

namespace {

const QString kName = "Екатерина Николаева Хаджиниколова";
const QString kEgn = "8005151236";
const QString kNameLine = "на " + kName + "    ЕГН " + kEgn;
const QString kTownPart = "1000 София, общ.Столична, обл.София-град";
const QString kStreetPart = "ж.к.Младост 1ул.Александър Малинов 25, бл.45, вх.Б, ет.3, ап.12";
const QString kNep = "Пеницилин, лидокаин, артикаин, латекс, йод и всички локални анестетици";
const QString kOsob = "Сърдечно болна, на антикоагуланти от 2019 г.; преди всяка екстракция да се мери кръвното налягане";
const QString kDoctor = "Мария Николаева Хаджиниколова";
const QStringList kCodes = {"101", "301", "301А", "301Б", "302В", "303A", "304B",
                            "103", "508", "509", "332", "333", "508", "509"};

class LongTexts : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new testing_support::TestFolder;
        addPatient(kEgn, {{"Names", kName}, {"Pol", "Ж"}, {"PKod", "1000"}, {"Tawn", "София"}, {"Obsh", "Столична"},
                          {"Obl", "София-град"}, {"KV", "ж.к.Младост 1"}, {"UL", "ул.Александър Малинов 25"},
                          {"BL", "45"}, {"VX", "Б"}, {"ET", "3"}, {"AP", "12"}, {"Nep", kNep}, {"Osob", kOsob}});
        for (const QString& code : kCodes)
            addTreatment(kEgn, QDate(2025, 3, 3), code, "Caries media", "36", "Обт.хим.композ.");
        doctor_ = addDoctor(kDoctor, "6001014321", "2200001");
        // The sheet's rows as its preparation leaves them: three characters, spread.
        for (const QString& code : kCodes)
            addSheetLine(QDate(2025, 3, 3), "Caries media", SpreadTextWide(code.left(3)).trimmed(), "Обт.хим.композ.",
                         "3  6");
    }
    static void TearDownTestSuite()
    {
        DataEnvironment1::instance().restoreDesignTexts();
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override
    {
        PrintEGN = kEgn;
        PrintDentalStatus = false;
        loginVars().nRecID = doctor_;
    }
    void TearDown() override
    {
        PrintEGN.clear();
        loginVars() = {};
    }

    template <class R>
    static Rendered print(R& report, const QString& file)
    {
        report.start();
        if (!qEnvironmentVariableIsEmpty("TAV_REPORT_PDF_DIR"))
            report.renderToPdf(QDir(qEnvironmentVariable("TAV_REPORT_PDF_DIR")).filePath(file));
        Rendered r = report.rendered();
        report.end();
        return r;
    }

private:
    inline static testing_support::TestFolder* folder_ = nullptr;
    inline static qint64 doctor_ = 0;
};

// The control draws exactly these lines, none running past its box's sides.
void expectWholeLines(const Rendered& r, const QString& control, const QStringList& lines)
{
    SCOPED_TRACE(control.toStdString());
    const auto items = textItems(r, control);
    QStringList texts;
    for (const DrawItem& i : items) {
        texts << i.text;
        EXPECT_GE(i.rect.left(), i.clip.left() - 0.01) << i.text.toStdString();
        EXPECT_LE(i.rect.right(), i.clip.right() + 0.01) << i.text.toStdString();
    }
    EXPECT_EQ(texts, lines);
}

// A text of several lines, wrapped at blanks in the layout's own font.
void expectWrappedAsDesigned(const Rendered& r, const QString& control, const QString& text)
{
    SCOPED_TRACE(control.toStdString());
    const auto items = textItems(r, control);
    EXPECT_GE(items.size(), 2);
    QStringList texts;
    for (const DrawItem& i : items) {
        texts << i.text;
        EXPECT_EQ(i.stretch, 100);
        EXPECT_DOUBLE_EQ(i.pointSize, 12);
    }
    EXPECT_EQ(texts.join(' '), text);
}

QStringList sortedCodes(const Rendered& r, const QString& control)
{
    QStringList codes;
    for (const DrawItem& i : textItems(r, control))
        codes << i.text;
    std::sort(codes.begin(), codes.end());
    return codes;
}

} // namespace

TEST_F(LongTexts, BothCardsPrintTheWholeNameLineAndEachAddressPartOnItsLine)
{
    QStringList codes = kCodes;
    std::sort(codes.begin(), codes.end());
    rprHelpData withList(kEgn);
    rprPacient ofOne(kEgn);
    const struct {
        Rendered r;
        const char *name, *address, *nep, *osob, *code;
    } cards[] = {
        {print(withList, "long-rprHelpData.pdf"), "rNames", "rAdres", "rNep", "rOsob", "Text5"},
        {print(ofOne, "long-rprPacient.pdf"), "Label2", "Label19", "Label31", "Label30", "Text5"},
    };
    for (const auto& card : cards) {
        SCOPED_TRACE(card.name);
        // Fourteen characters more than the box: narrower letters, nothing cut.
        expectWholeLines(card.r, card.name, {kNameLine});
        EXPECT_LT(textItems(card.r, card.name).value(0).stretch, 100);
        // The street, block and flat on the second line, however long the first.
        expectWholeLines(card.r, card.address, {kTownPart, kStreetPart});
        EXPECT_EQ(textItems(card.r, card.address).value(0).stretch, 100);
        EXPECT_LT(textItems(card.r, card.address).value(1).stretch, 100);
        expectWrappedAsDesigned(card.r, card.nep, kNep);
        expectWrappedAsDesigned(card.r, card.osob, kOsob);
        EXPECT_EQ(sortedCodes(card.r, card.code), codes);
    }
}

TEST_F(LongTexts, TheSheetPrintsTheWholeNameAndDoctorLine)
{
    rprKarton sheet;
    const Rendered r = print(sheet, "long-rprKarton.pdf");
    ASSERT_EQ(r.pageCount, 3);   // five rows on the first page, six on the next
    const auto everyPage = [&](const QString& line) { return QStringList(QList<QString>(r.pageCount, line)); };
    expectWholeLines(r, "Label4", everyPage(kName));
    expectWholeLines(r, "Label8", everyPage("д-р " + kDoctor));
    EXPECT_LT(textItems(r, "Label8").value(0).stretch, 100);
    expectWholeLines(r, "Label1", {"8 0 0 5 1 5 1 2 3 6"});
    QStringList codes;
    for (const QString& code : kCodes)
        codes << SpreadTextWide(code.left(3)).trimmed();
    expectWholeLines(r, "Text4", codes);
}
