// The conditions dialog and the patient lists by date range.

#include "fixtures.h"
#include "report/dataenvironment.h"
#include "report/renderer.h"
#include "statistics/patientlists.h"
#include "statistics/seekdati.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::report;
using namespace tav::statistics;
using namespace statistics_test;
using testing_support::ModalScript;
using testing_support::TestFolder;

TEST(DatePairs, CheckedAsTypedThenAsDaysOfTheCalendar)
{
    const struct {
        const char* start;
        const char* stop;
        DatePair::Outcome outcome;
        QDate from, to;
    } cases[] = {
        {"05.03.2021", "10.03.2021", DatePair::Ok, QDate(2021, 3, 5), QDate(2021, 3, 10)},
        {"05/03/2021", "10-03-2021", DatePair::Ok, QDate(2021, 3, 5), QDate(2021, 3, 10)},
        {" 5.03.2021", "5.3.2021  ", DatePair::Ok, QDate(2021, 3, 5), QDate(2021, 3, 5)},
        {"10.03.2021", "05.03.2021", DatePair::Ok, QDate(2021, 3, 10), QDate(2021, 3, 5)},   // as typed
        {"", "10.03.2021", DatePair::Skipped, {}, {}},
        {"05.03.2021", "", DatePair::Skipped, {}, {}},
        {"1.3.2021", "10.03.2021", DatePair::DateWrong, {}, {}},
        {"05.03.2021", "10.03.20211", DatePair::DateWrong, {}, {}},
        {"01.13.2021", "10.03.2021", DatePair::MonthWrong, {}, {}},
        {"05.03.2021", "01.99.2021", DatePair::MonthWrong, {}, {}},
        // Passes the length and month tests, yet is no day: once it ended the program.
        {"01.00.2021", "10.03.2021", DatePair::DateWrong, {}, {}},
        {"31.02.2021", "10.03.2021", DatePair::DateWrong, {}, {}},
        {"          ", "          ", DatePair::DateWrong, {}, {}},
        {"01.ab.2021", "10.03.2021", DatePair::DateWrong, {}, {}},
        {"00.03.2021", "10.03.2021", DatePair::DateWrong, {}, {}},
        {"32.03.2021", "10.03.2021", DatePair::DateWrong, {}, {}},
        {"05.03.20a1", "10.03.2021", DatePair::DateWrong, {}, {}},
        {"05..3.2021", "10.03.2021", DatePair::DateWrong, {}, {}},
    };
    for (const auto& k : cases) {
        const DatePair p = checkDatePair(QString::fromUtf8(k.start), QString::fromUtf8(k.stop));
        EXPECT_EQ(p.outcome, k.outcome) << k.start << " " << k.stop;
        if (k.outcome == DatePair::Ok) {
            EXPECT_EQ(p.start, k.from) << k.start;
            EXPECT_EQ(p.stop, k.to) << k.stop;
        }
    }
}

namespace {

class PatientLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        SeekDati::vars() = {};
        DataEnvironment1::instance().restoreDesignTexts();
        // Born and registered in both text forms; patients of two doctors.
        const struct {
            const char* egn;
            const char* name;
            QVariant dataB, dataR;
            const char* doctor;
        } patients[] = {
            {"2103050001", "Пета Март", "05.03.2021", "10/3/2021", "D1"},
            {"2103100002", "Десета Март", "10.03.2021", "5/3/2021", "D2"},
            {"2103040003", "Четвърта Март", "04.03.2021", "11/03/2021", "D1"},
            {"2103070004", "Седма Март", "7.3.2021", "07.03.2021", "D2"},
            {"2102280005", "Февруари", "28.02.2021", "4/3/2021", "D1"},
            {"2104050006", "Април Пети", "05.04.2021", "1/4/2021", "D1"},
            {"2103060007", "Без Дата", "06/03/2021", "", "D1"},
            {"2103060008", "Втора Шеста", "06.03.2021", "31.02.2021", "D2"},
            {"1003060009", "Век Друг", "06.03.1921", "06.03.2021", "D1"},
        };
        db::Connection c = db::Connection::main();
        for (const auto& p : patients)
            c.insert("Pacients", {"EGN", "Names", "DataB", "DataR", "LKod"},
                     {QString::fromUtf8(p.egn), QString::fromUtf8(p.name), p.dataB, p.dataR, QString::fromUtf8(p.doctor)});
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DataEnvironment1::instance().restoreDesignTexts();
        QLocale::setDefault(QLocale::system());
    }

    static QStringList column(Report& r, const QString& control)
    {
        QStringList out;
        for (const DrawItem& i : r.rendered().of(control))
            if (i.kind == ItemKind::Text)
                out << i.text;
        return out;
    }
    static void search(SeekDati* d, int pair, const QString& start, const QString& stop)
    {
        d->dateBox(pair, 0)->setText(start);
        d->dateBox(pair, 1)->setText(stop);
    }

    TestFolder folder_;
};

} // namespace

TEST_F(PatientLists, BornListByTheDatesReadFromTheTextInDateOrder)
{
    SeekDati* d = SeekDati::showShared();
    search(d, 0, "05.03.2021", "10.03.2021");
    d->SeekButton_Click();
    EXPECT_EQ(SeekDati::vars().sVidSpr, "1");
    EXPECT_EQ(SeekDati::vars().sDataStart, "03/05/2021");
    EXPECT_EQ(SeekDati::vars().sDataStop, "03/10/2021");
    EXPECT_EQ(SeekDati::vars().dStart, QDate(2021, 3, 5));
    EXPECT_EQ(SeekDati::vars().dStop, QDate(2021, 3, 10));

    rprDataR* r = rprDataR::instance();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->caption(), "Tavlinora");
    // Both ends included, every doctor's patients, "7.3.2021" and "06/03/2021"
    // read as dates; 4 March and 6 March 1921 left out.
    EXPECT_EQ(column(*r, "Text2"), QStringList({"Пета Март", "Без Дата", "Втора Шеста", "Седма Март", "Десета Март"}));
    EXPECT_EQ(column(*r, "Text3"), QStringList({"05.03.2021", "06/03/2021", "06.03.2021", "7.3.2021", "10.03.2021"}));
    EXPECT_EQ(column(*r, "Text1").value(0), "2103050001");
    EXPECT_EQ(column(*r, "Label2"), QStringList{"родени от"});
    EXPECT_EQ(column(*r, "Label6"), QStringList{"Дата на раждане"});
    EXPECT_EQ(column(*r, "Label4"), QStringList{"05.03.2021"});
    EXPECT_EQ(column(*r, "Label5"), QStringList{"10.03.2021"});
    EXPECT_EQ(column(*r, "Label9"), QStringList{"за пациентите"});
    // Lines one under the other below the heading rule.
    const auto names = r->rendered().of("Text2");
    EXPECT_DOUBLE_EQ(names[0].rect.top(), 720 + 1650);
    EXPECT_DOUBLE_EQ(names[1].rect.top(), 720 + 1650 + 255);
    EXPECT_DOUBLE_EQ(names[0].rect.left(), 840 + 4545);
    if (!qEnvironmentVariableIsEmpty("TAV_REPORT_PDF_DIR"))
        r->renderToPdf(QDir(qEnvironmentVariable("TAV_REPORT_PDF_DIR")).filePath("rprDataR.pdf"));

    // Closing the list unloads the dialog.
    r->preview()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(rprDataR::instance(), nullptr);
    EXPECT_EQ(SeekDati::instance(), nullptr);
}

TEST_F(PatientLists, RegisteredAndVisitListsHoldTheSameRowsUnderTheirOwnHeadings)
{
    SeekDati* d = SeekDati::showShared();
    search(d, 1, "05.03.2021", "10.03.2021");
    d->SeekButton_Click();
    rprDataR* r = rprDataR::instance();
    ASSERT_NE(r, nullptr);
    const QStringList registered = {"Десета Март", "Век Друг", "Седма Март", "Пета Март"};
    EXPECT_EQ(column(*r, "Text2"), registered);
    EXPECT_EQ(column(*r, "Text3"), QStringList({"5/3/2021", "06.03.2021", "07.03.2021", "10/3/2021"}));
    EXPECT_EQ(column(*r, "Label2"), QStringList{"регистрирани от"});
    EXPECT_EQ(column(*r, "Label6"), QStringList{"Дата на регист."});

    // The visit list goes by the registration date too.
    search(d, 2, "05.03.2021", "10.03.2021");
    d->dateBox(1, 0)->clear();
    d->SeekButton_Click();
    rprDataP* p = rprDataP::instance();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(SeekDati::vars().sVidSpr, "3");
    EXPECT_EQ(column(*p, "Text2"), registered);
    EXPECT_EQ(column(*p, "Label2"), QStringList{"посетили кабинета от"});
    EXPECT_EQ(column(*p, "Label6"), QStringList{"Дата на посещ."});
    EXPECT_EQ(column(*p, "Label4"), QStringList{"05.03.2021"});
    EXPECT_TRUE(column(*p, "Label9").isEmpty());
    EXPECT_NE(SeekDati::instance(), nullptr);
    if (!qEnvironmentVariableIsEmpty("TAV_REPORT_PDF_DIR"))
        p->renderToPdf(QDir(qEnvironmentVariable("TAV_REPORT_PDF_DIR")).filePath("rprDataP.pdf"));

    // A new range for an open list prepares it anew; the dialog stays.
    search(d, 2, "01.04.2021", "30.04.2021");
    d->SeekButton_Click();
    ASSERT_NE(rprDataP::instance(), nullptr);
    EXPECT_EQ(column(*rprDataP::instance(), "Text2"), QStringList{"Април Пети"});
    EXPECT_NE(SeekDati::instance(), nullptr);
    // An empty range lists nobody.
    search(d, 2, "01.01.2030", "31.12.2030");
    d->SeekButton_Click();
    EXPECT_TRUE(column(*rprDataP::instance(), "Text2").isEmpty());
}

TEST_F(PatientLists, EachFaultyPairHasItsMessageAndTheNextPairGoesOn)
{
    SeekDati* d = SeekDati::showShared();
    search(d, 0, "31.02.2021", "10.03.2021");
    search(d, 1, "05.03.2021", "10.13.2021");
    search(d, 2, "05.03.2021", "10.03.2021");
    SeekDati::vars().sVidSpr = "x";
    QStringList seen;
    ModalScript script;
    for (int i = 0; i < 2; ++i)
        script.then("InfDialog", [&](QWidget* w) {
            seen << ModalScript::textOf(w).replace('\n', '\r');
            w->close();
        });
    d->SeekButton_Click();
    EXPECT_EQ(seen, QStringList({kMsgDateWrong, kMsgMonthWrong}));
    EXPECT_EQ(SeekDati::vars().sVidSpr, "3");
    EXPECT_EQ(rprDataR::instance(), nullptr);
    EXPECT_NE(rprDataP::instance(), nullptr);
}

TEST_F(PatientLists, EnteringARangeEmptiesTheOthersAndCancelClosesWithItsMessage)
{
    SeekDati* d = SeekDati::showShared();
    EXPECT_EQ(d->windowTitle(), "Условия за търсене");
    search(d, 0, "05.03.2021", "10.03.2021");
    search(d, 2, "05.03.2021", "10.03.2021");
    QApplication::setActiveWindow(d);
    d->dateBox(1, 0)->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(d->dateBox(0, 0)->text().isEmpty());
    EXPECT_TRUE(d->dateBox(0, 1)->text().isEmpty());
    EXPECT_TRUE(d->dateBox(2, 0)->text().isEmpty());
    EXPECT_EQ(d->dateBox(1, 0)->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(d->dateBox(1, 1)->palette().color(QPalette::Base), QColor(Qt::white));

    // The combo texts are kept trimmed and in capitals; Search becomes the default.
    d->combo(2)->setEditText("  пловдив ");
    EXPECT_EQ(SeekDati::vars().sSeekRepTawn, "ПЛОВДИВ");
    EXPECT_TRUE(d->findChild<QPushButton*>("SeekButton")->isDefault());

    // Nothing filled: Search does nothing.
    {
        ModalScript none;
        d->SeekButton_Click();
        EXPECT_TRUE(none.unexpected().isEmpty());
    }
    EXPECT_EQ(rprDataR::instance(), nullptr);

    QString seen;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen);
    d->SeekButton_Click();
    d->CancelButton_Click();
    EXPECT_EQ(seen, kMsgNoConditions);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(SeekDati::instance(), nullptr);
}
