// Showing the printouts: each print shows what it was asked for, and a
// closed preview closes the window that launched it.

#include "fixtures.h"

#include "db/paths.h"
#include "printing/dentalcard.h"
#include "printing/outpatientsheet.h"
#include "printing/patientcard.h"
#include "printing/printouts.h"
#include "report/dataenvironment.h"
#include "services/globals.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QPointer>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::printing;
using namespace tav::report;
using namespace printing_test;

namespace {

void deleteClosed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

class ShowPrintout : public ::testing::Test {
protected:
    void SetUp() override
    {
        addDoctor("Мария Иванова", "6001014321", "2200001");
        loginVars().nRecID = 1;
        addPatient(a_, {{"Names", "Иван Петров"}});
        addPatient(b_, {{"Names", "Радка Маринова"}});
        addTreatment(a_, QDate(2024, 5, 1), "101", "Status A");
        addTreatment(b_, QDate(2024, 5, 2), "508", "Periodontitis B");
        addTreatment(b_, QDate(2024, 5, 3), "301", "Caries B");
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "ReportPreview")
                w->close();
        deleteClosed();
        PrintEGN.clear();
        PrintDentalStatus = false;
        loginVars() = {};
        DataEnvironment1::instance().restoreDesignTexts();
    }

    // A launching window's unload, counted.
    std::function<void()> caller(const QString& name)
    {
        return [this, name] { closed_ << name; };
    }

    testing_support::TestFolder folder_;
    const QString a_ = egnOf("750312654");
    const QString b_ = egnOf("820101123");
    QStringList closed_;
};

} // namespace

TEST_F(ShowPrintout, ASecondSheetClosesTheOpenOneWithoutItsCallerAndShowsTheNewLines)
{
    PrintEGN = a_;
    addSheetLine(QDate(2024, 5, 1), "Status", "1  0  1", "Преглед", "");
    rprKarton* first = ShowOutpatientSheet(caller("first"));
    ASSERT_NE(first, nullptr);
    QPointer<QWidget> firstWindow = first->preview();
    ASSERT_TRUE(firstWindow && firstWindow->isVisible());
    EXPECT_EQ(firstWindow->windowTitle(), "Амбулаторен лист");
    EXPECT_EQ(drawn(first->rendered(), "Text5"), "Преглед");

    // The treatment form prints again: TempKarton now holds only the new rows.
    clearTable("TempKarton");
    addSheetLine(QDate(2024, 5, 2), "Caries", "3  0  1", "Обт.амалгама", "3  6");
    rprKarton* second = ShowOutpatientSheet(caller("second"));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second->preview(), firstWindow.data());
    EXPECT_FALSE(firstWindow->isVisible());
    EXPECT_EQ(drawn(second->rendered(), "Text5"), "Обт.амалгама");
    EXPECT_TRUE(closed_.isEmpty());   // the treatment form that asked stays
    deleteClosed();
    EXPECT_TRUE(firstWindow.isNull());
    EXPECT_EQ(rprKarton::instance(), second);

    second->preview()->close();
    deleteClosed();
    EXPECT_EQ(closed_, QStringList{"second"});
    EXPECT_EQ(rprKarton::instance(), nullptr);
}

TEST_F(ShowPrintout, ACardAskedAgainIsFilledAnewWithWhatIsStoredNow)
{
    struct Kind {
        const char* name;
        std::function<Report*(const QString&, std::function<void()>)> show;
        std::function<Report*()> live;
    };
    const Kind kinds[] = {
        {"rprHelpData", [](const QString& e, std::function<void()> f) -> Report* { return ShowDentalCard(e, f); },
         []() -> Report* { return rprHelpData::instance(); }},
        {"rprPacient", [](const QString& e, std::function<void()> f) -> Report* { return ShowPatientCard(e, f); },
         []() -> Report* { return rprPacient::instance(); }},
    };
    for (const Kind& k : kinds) {
        closed_.clear();
        Report* first = k.show(a_, caller("A"));
        ASSERT_NE(first, nullptr) << k.name;
        QPointer<QWidget> firstWindow = first->preview();
        EXPECT_EQ(firstWindow->windowTitle(), "Tavlinora");
        EXPECT_EQ(drawn(first->rendered(), "Text2"), "Status A");

        // The doctor saves another activity with the card still open and asks again.
        addTreatment(a_, QDate(2024, 5, 9), "301", "Caries A");
        Report* again = k.show(a_, caller("again"));
        ASSERT_NE(again, nullptr) << k.name;
        EXPECT_FALSE(firstWindow->isVisible()) << k.name;
        EXPECT_EQ(drawn(again->rendered(), "Text2"), "Status A\nCaries A") << k.name;
        EXPECT_TRUE(closed_.isEmpty()) << k.name;   // the window that asked stays
        deleteClosed();
        firstWindow = again->preview();
        first = again;

        Report* second = k.show(b_, caller("B"));
        ASSERT_NE(second, nullptr);
        EXPECT_NE(second, first);
        EXPECT_FALSE(firstWindow->isVisible()) << k.name;
        EXPECT_EQ(drawn(second->rendered(), "Text2"), "Periodontitis B\nCaries B") << k.name;
        EXPECT_TRUE(closed_.isEmpty()) << k.name;   // the window that asked stays
        deleteClosed();
        EXPECT_EQ(k.live(), second);

        second->preview()->close();
        deleteClosed();
        EXPECT_EQ(closed_, QStringList{"B"}) << k.name;
        EXPECT_EQ(k.live(), nullptr);
        db::Connection::main().exec("DELETE FROM Help WHERE Help = ?", {"Caries A"});
    }
}

TEST_F(ShowPrintout, TwoCardsOfDifferentPatientsOpenAtOnceEachWithItsOwnRows)
{
    rprHelpData* withList = ShowDentalCard(a_, caller("treatments"));
    rprPacient* card = ShowPatientCard(b_, caller("search"));
    ASSERT_NE(withList, nullptr);
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(withList->preview()->isVisible());
    EXPECT_TRUE(card->preview()->isVisible());
    EXPECT_EQ(drawn(withList->rendered(), "Text5"), "101");
    EXPECT_EQ(drawn(withList->rendered(), "rNames"), "на Иван Петров    ЕГН " + a_);
    EXPECT_EQ(drawn(card->rendered(), "Text5"), "508\n301");
    EXPECT_EQ(drawn(card->rendered(), "Label2"), "на Радка Маринова    ЕГН " + b_);
    // Laid out again after the other card re-targeted comPac: still its own rows.
    withList->layout();
    EXPECT_EQ(drawn(withList->rendered(), "Text5"), "101");

    card->preview()->close();
    deleteClosed();
    EXPECT_EQ(closed_, QStringList{"search"});
    EXPECT_TRUE(withList->preview()->isVisible());
    withList->preview()->close();
    deleteClosed();
    EXPECT_EQ(closed_, (QStringList{"search", "treatments"}));
}

TEST_F(ShowPrintout, AReportThatCannotBeReadSaysSoAndLeavesTheCallerOpen)
{
    ASSERT_TRUE(QFile::remove(DatabasePath));
    const std::function<void*()> shows[] = {
        [this]() -> void* { return ShowOutpatientSheet(caller("sheet")); },
        [this]() -> void* { return ShowDentalCard(a_, caller("card")); },
        [this]() -> void* { return ShowPatientCard(a_, caller("search")); },
    };
    for (const auto& show : shows) {
        QString shown;
        testing_support::ModalScript script;
        script.click("InfDialog", "OKButton", &shown);
        EXPECT_EQ(show(), nullptr);
        EXPECT_TRUE(script.finished());
        EXPECT_FALSE(shown.isEmpty());
    }
    EXPECT_TRUE(closed_.isEmpty());
    EXPECT_EQ(rprKarton::instance(), nullptr);
    EXPECT_EQ(rprHelpData::instance(), nullptr);
    EXPECT_EQ(rprPacient::instance(), nullptr);
}
