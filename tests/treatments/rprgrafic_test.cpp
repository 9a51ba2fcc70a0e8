// The printed day of the appointment book, read from its display list.

#include "db/database.h"
#include "db/values.h"
#include "report/dataenvironment.h"
#include "report/layoutfile.h"
#include "services/globals.h"
#include "support/modal_script.h"
#include "printing.h"
#include "support/program_folder.h"
#include "treatments/rprgrafic.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::report;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

const QString kDoctor = "2200001";

class PrintedDay : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDoctorCode = kDoctor;
        CurrentDoctorName = "Мария Иванова";
        DataEnvironment1::instance().restoreDesignTexts();
    }

    static void addDay(const QString& doctor, const QDate& d, const QString& ch0, const QString& ch25 = {})
    {
        db::Connection::main().insert("Grafic", {"KodMedic", "Data", "Ch0", "Ch11", "Ch25"},
                                      {doctor, d, ch0, "обед", nullIfEmpty(ch25)});
    }

    // The texts a control drew, in the order of the printed blocks.
    static QStringList drawn(Report& r, const QString& control)
    {
        QStringList out;
        for (const DrawItem& i : r.rendered().of(control))
            if (i.kind == ItemKind::Text)
                out << i.text;
        return out;
    }

    TestFolder folder;
};

} // namespace

TEST(PrintedDayLayout, TwoColumnsOfThirteenHalfHoursUnderTheHeading)
{
    Layout l = loadLayout(":/report/layouts/rprGrafic.json");
    EXPECT_EQ(l.dataMember, "comGraf");
    const Section& header = l.section(1);
    EXPECT_EQ(header.kind, SectionKind::PageHeader);
    EXPECT_EQ(header.control(1).caption, "График");
    EXPECT_EQ(header.control(2).caption, "за посещенията на");
    EXPECT_EQ(header.control(3).name, "Label3");
    EXPECT_EQ(header.control(4).name, "Label6");
    EXPECT_EQ(header.control(4).caption, "при д-р");
    int lines = 0, hours = 0, names = 0;
    for (const Control& c : header.controls) {
        lines += c.kind == ControlKind::Line;
        hours += c.caption == "Час";
        names += c.caption == "Име на пациента";
    }
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(hours, 2);
    EXPECT_EQ(names, 2);

    const Section& detail = l.section(SectionKind::Detail);
    const QStringList left = {"7.30 - ", "8.00 - ", "8.30 - ", "9.00 - ", "9.30 - ", "10.00 - ", "10.30 - ",
                              "11.00 - ", "11.30 - ", "12.00 - ", "12.30 - ", "13.00 -", "13.30 - "};
    const QStringList right = {"14.00 - ", "14.30 - ", "15.00 - ", "15.30 - ", "16.00 - ", "16.30 - ", "17.00 - ",
                               "17.30 - ", "18.00 - ", "18.30 - ", "19.00 - ", "19.30 - ", "20.00 - "};
    for (int row = 0; row < 13; ++row) {
        for (int side = 0; side < 2; ++side) {
            const int slot = row + 13 * side;
            SCOPED_TRACE(slot);
            const Control& label = detail.control(QString("lblCh%1").arg(slot));
            const Control& field = detail.control(QString("txtCh%1").arg(slot));
            EXPECT_EQ(label.caption, (side ? right : left)[row]);
            EXPECT_EQ(field.dataField, QString("Ch%1").arg(slot));
            EXPECT_EQ(label.rect.top(), field.rect.top());
            EXPECT_LT(label.rect.right(), field.rect.left());
            if (side) {
                EXPECT_EQ(label.rect.top(), detail.control(QString("lblCh%1").arg(row)).rect.top());
                EXPECT_GT(label.rect.left(), detail.control(QString("txtCh%1").arg(row)).rect.right());
            }
        }
    }
    EXPECT_EQ(l.section(SectionKind::PageFooter).controls.size(), 0);
}

TEST_F(PrintedDay, PrintsTheDoctorsRowsOfTheDayAndNothingElse)
{
    addDay(kDoctor, QDate(2026, 3, 7), "Иван", "Радка");
    addDay(kDoctor, QDate(2026, 3, 7), "Петър");            // a second row of one day prints twice
    addDay("2200002", QDate(2026, 3, 7), "чужд");           // another doctor's
    addDay(kDoctor, QDate(2026, 3, 8), "друг ден");
    rprGrafic r(QDate(2026, 3, 7));
    r.start();
    EXPECT_EQ(drawn(r, "Label3"), QStringList{"07.03.2026 - Събота"});
    EXPECT_EQ(drawn(r, "Label6"), QStringList{"при д-р Мария Иванова"});
    EXPECT_EQ(drawn(r, "txtCh0"), (QStringList{"Иван", "Петър"}));
    EXPECT_EQ(drawn(r, "txtCh25"), QStringList{"Радка"});
    EXPECT_EQ(drawn(r, "txtCh11"), (QStringList{"обед", "обед"}));
    EXPECT_EQ(drawn(r, "lblCh11"), (QStringList{"13.00 -", "13.00 -"}));
    EXPECT_EQ(r.pageCount(), 1);
    const DataEnvironment1::Command& c = DataEnvironment1::instance().command(1);
    EXPECT_EQ(c.params, (QVariantList{kDoctor, QDate(2026, 3, 7)}));

    // a day without a row: the heading alone
    rprGrafic empty(QDate(2026, 3, 9));
    empty.start();
    EXPECT_EQ(drawn(empty, "Label3"), QStringList{"09.03.2026 - Понеделник"});
    EXPECT_TRUE(drawn(empty, "lblCh0").isEmpty());
    EXPECT_TRUE(empty.rows().isEmpty());
}

TEST_F(PrintedDay, TheHeadingAndTheRowsComeFromTheOneDayThePromptGives)
{
    addDay(kDoctor, QDate(2011, 1, 1), "Нова година");
    addDay(kDoctor, QDate(2010, 12, 31), "Стара година");
    addDay(kDoctor, QDate(2011, 1, 5), "избран");
    Clock::setToday(QDate(2010, 12, 31));
    struct Case {
        const char* what;
        std::function<void(ModalScript&, QString*)> answer;
        QString heading;
        QString row;
    };
    const Case cases[] = {
        {"a chosen day",
         [](ModalScript& s, QString* prompt) {
             s.then("ChoiceDialog", [prompt](QWidget* w) {
                 *prompt = ModalScript::textOf(w);
                 w->findChild<QLineEdit*>("Text1")->setText("05.01.2011");
                 w->findChild<QPushButton*>("OKButton")->click();
             });
         },
         "05.01.2011 - Сряда", "избран"},
        {"cancelled: tomorrow, in the next year",
         [](ModalScript& s, QString* prompt) {
             s.click("ChoiceDialog", "CancelButton", prompt).click("InfDialog", "OKButton");
         },
         "01.01.2011 - Събота", "Нова година"},
        {"the frame closed: tomorrow too",
         [](ModalScript& s, QString* prompt) {
             s.then("ChoiceDialog", [prompt](QWidget* w) {
                 *prompt = ModalScript::textOf(w);
                 w->close();
             });
         },
         "01.01.2011 - Събота", "Нова година"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QString prompt;
        ModalScript script;
        c.answer(script, &prompt);
        rprGrafic r;
        r.start();
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(prompt, "Изберете дата за изготвяне на графика.");
        EXPECT_EQ(drawn(r, "Label3"), QStringList{c.heading});
        EXPECT_EQ(drawn(r, "txtCh0"), QStringList{c.row});
    }
}
