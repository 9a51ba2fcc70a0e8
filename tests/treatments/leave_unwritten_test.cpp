// The modal price list and schedule can always be left: an edit that cannot
// be written is said, and closing then asks whether to go without it.

#include "databind/datacontrol.h"
#include "db/database.h"
#include "db/values.h"
#include "printing.h"
#include "services/globals.h"
#include "support/modal_script.h"
#include "support/program_folder.h"
#include "treatments/cenoraz.h"
#include "treatments/denhelp.h"
#include "treatments/grafic.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

// As the question window shows it, its CR a line break.
const QString kQuestion = "Данните не са записани.\nЗатваряте ли без запис?";

// A window open with an edit in `box` that cannot be written.
struct Subject {
    std::unique_ptr<QDialog> window;
    QLineEdit* box = nullptr;
    QString refusal;                  // how the message that says why begins
    std::function<QString()> stored;  // the stored value the edit would replace
};

void showActive(QDialog* w)
{
    w->show();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

Subject priceList()
{
    db::Connection::main().insert("Ceny", {"KodHelp", "TextHelp", "CenaHelp"}, {"10", "Преглед", 20.0});
    auto* w = new Cenoraz;
    Subject s{std::unique_ptr<QDialog>(w), w->txtPrice, "Невалидна цена", [] {
                  return db::Connection::main().scalar("SELECT CenaHelp FROM Ceny").toString();
              }};
    showActive(w);
    w->Text2->setText("Почистване");
    w->txtPrice->setFocus();
    w->txtPrice->setText("дванайсет");
    return s;
}

Subject schedule()
{
    CurrentDoctorCode = "2200001";
    Clock::setToday(QDate(2026, 3, 10));
    db::Connection::main().insert("Grafic", {"KodMedic", "Data"}, {"2200001", QDate(2026, 3, 1)});
    DenHelp::vars().sGraf = "0";
    auto* w = new Grafic;
    Subject s{std::unique_ptr<QDialog>(w), w->txtData, "Невалидна дата", [] {
                  return db::Connection::main().scalar("SELECT Data FROM Grafic").toString();
              }};
    showActive(w);
    w->Text1[4]->setText("Елена");
    w->txtData->setFocus();
    w->txtData->setText("31.02.2026");
    return s;
}

enum Way { CloseButton, Escape, CloseBox, Refresh };

void leave(QDialog* w, Way way)
{
    switch (way) {
    case CloseButton:
        QTest::mouseClick(w->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
        break;
    case Escape:
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        break;
    case CloseBox:
        w->windowHandle()->close();   // as the window's frame closes it
        break;
    case Refresh:
        QTest::mouseClick(w->findChild<QPushButton*>("cmdRefresh"), Qt::LeftButton);
        break;
    }
}

} // namespace

TEST(LeavingAnUnwrittenEdit, ClosingAsksAndRefreshOnlySays)
{
    struct Case {
        const char* what;
        Subject (*open)();
        Way way;
        const char* answer;   // the question's button; null: no question
        bool closes;
    };
    const Case cases[] = {
        {"price list, Затвори, ДА", priceList, CloseButton, "OKButton", true},
        {"price list, Затвори, НЕ", priceList, CloseButton, "CancelButton", false},
        {"price list, Esc, ДА", priceList, Escape, "OKButton", true},
        {"price list, Esc, НЕ", priceList, Escape, "CancelButton", false},
        {"price list, close box, ДА", priceList, CloseBox, "OKButton", true},
        {"price list, close box, НЕ", priceList, CloseBox, "CancelButton", false},
        {"schedule, Затвори, ДА", schedule, CloseButton, "OKButton", true},
        {"schedule, Затвори, НЕ", schedule, CloseButton, "CancelButton", false},
        {"schedule, Esc, ДА", schedule, Escape, "OKButton", true},
        {"schedule, Esc, НЕ", schedule, Escape, "CancelButton", false},
        {"schedule, close box, ДА", schedule, CloseBox, "OKButton", true},
        {"schedule, close box, НЕ", schedule, CloseBox, "CancelButton", false},
        {"schedule, Обнови", schedule, Refresh, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder folder;
        Subject s = c.open();
        const QString typed = s.box->text();
        const QString before = s.stored();
        QString message, question;
        ModalScript script;
        script.click("InfDialog", "OKButton", &message);
        if (c.answer)
            script.click("QuesDialog", c.answer, &question);
        leave(s.window.get(), c.way);
        QTest::qWait(20);
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(script.unexpected().isEmpty()) << script.unexpected().join(",").toStdString();
        EXPECT_TRUE(message.startsWith(s.refusal)) << message.toStdString();
        EXPECT_EQ(question, c.answer ? kQuestion : QString());
        EXPECT_EQ(s.window->isVisible(), !c.closes);
        EXPECT_EQ(s.stored(), before);   // nothing of the edit written
        if (!c.closes) {
            EXPECT_EQ(s.box->text(), typed);   // kept for correction
            // given up at last, it is gone without a further word
            ModalScript last;
            last.click("InfDialog", "OKButton").click("QuesDialog", "OKButton");
            s.window->reject();
            EXPECT_TRUE(last.finished());
            EXPECT_FALSE(s.window->isVisible());
        }
        EXPECT_EQ(s.stored(), before);
        s.window.reset();
        DenHelp::vars() = {};
    }
}
