// Stored text on the price list's, the fee booking's and the schedule's
// labels and titles is shown as it stands: never read as markup, its blanks
// and line breaks kept.

#include "databind/datacontrol.h"
#include "db/database.h"
#include "db/values.h"
#include "printing.h"
#include "services/globals.h"
#include "statistics/period.h"
#include "support/plain_texts.h"
#include "support/program_folder.h"
#include "treatments/cenoraz.h"
#include "treatments/denhelp.h"
#include "treatments/grafic.h"
#include "treatments/schet.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::drawsAsPlain;
using testing_support::markedUpTexts;
using testing_support::TestFolder;

namespace {

template <class W>
std::unique_ptr<W> shown(std::unique_ptr<W> w)
{
    w->show();
    QApplication::setActiveWindow(w.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return w;
}

} // namespace

TEST(ShownText, ThePriceListsLabelsShowTheStoredCodeAndFullName)
{
    for (const auto& t : markedUpTexts()) {
        SCOPED_TRACE(t.what);
        TestFolder folder;
        db::Connection::main().insert("Ceny", {"KodHelp", "TextHelp", "CenaHelp", "FullHelp"},
                                      {t.stored, "Преглед", 20.0, t.stored});
        auto w = shown(std::make_unique<Cenoraz>());
        EXPECT_TRUE(drawsAsPlain(w->Label2, t.shown));
        EXPECT_TRUE(drawsAsPlain(w->lblFull, t.shown));
        w->reject();
    }
}

TEST(ShownText, TheFeeBookingsServiceLineShowsTheStoredTreatment)
{
    TestFolder folder;
    statistics::periodVars().sDataStart = "03/01/2026";
    statistics::periodVars().sDataStop = "03/31/2026";
    const auto& texts = markedUpTexts();
    for (int i = 0; i < texts.size(); ++i)
        db::Connection::main().insert("Help", {"EGN", "Data", "KodHelp", "TextHelp", "Cena", "Schet"},
                                      {"7501020018", QDate(2026, 3, 2 + i), "301", texts[i].stored, 21.13, 0});
    auto w = shown(std::make_unique<Schet>());
    w->resize(760, 560);
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    for (int i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(texts[i].what);
        ASSERT_TRUE(w->Data1->moveTo(i));
        EXPECT_TRUE(drawsAsPlain(w->Label1[1], "301 " + texts[i].shown));
        if (!dir.isEmpty())
            w->grab().save(QDir(dir).filePath(QString("schet_text_%1.png").arg(i)));
    }
    w->reject();
    statistics::periodVars() = {};
}

TEST(ShownText, TheSchedulesTitleShowsTheDoctorAsStored)
{
    // A single "[*]" is where Qt puts its modified-mark; a doctor's name
    // keeps it as typed.
    const QList<QPair<QString, QString>> names = {
        {"Мария Иванова", "Мария Иванова"},
        {"Мария [*] Иванова", "Мария [*] Иванова"},
        {"[*]", "[*]"},
        {"Д[*][*]", "Д[*][*]"},
    };
    for (const auto& [name, seen] : names) {
        SCOPED_TRACE(name.toStdString());
        TestFolder folder;
        CurrentDoctorCode = "2200001";
        CurrentDoctorName = name;
        DenHelp::vars().sGraf = "0";
        auto w = shown(std::make_unique<Grafic>());
        ASSERT_TRUE(w->windowHandle());
        EXPECT_EQ(w->windowHandle()->title(), "График за прегледите на д-р " + seen);
        w->reject();
        DenHelp::vars() = {};
    }
}
