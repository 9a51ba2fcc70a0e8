// The treatment list beside a card opened for correction.

#include "fixtures.h"

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "patients/kartonadd.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "services/globals.h"
#include "support/program_folder.h"
#include "treatments/viewhelp.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QHeaderView>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using namespace treatments_test;
using testing_support::TestFolder;

namespace {

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Counts the patient's Help rows at the moment a window closes.
class RowsAtClose : public QObject {
public:
    RowsAtClose(QWidget* w, QString egn) : egn_(std::move(egn)) { w->installEventFilter(this); }
    int rows = -1;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Close)
            rows = db::Connection::main().scalar("SELECT COUNT(*) FROM Help WHERE EGN = ?", {egn_}).toInt();
        return false;
    }

private:
    QString egn_;
};

class List : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDoctorCode = "220001";
        patients::prompts().info = [this](const QString& text, QWidget*) { messages << text; };
        patients::prompts().ask = [](const QString&, QWidget*, const QString&) { return true; };
        addPatient(egn, "Иван Петров Колев");
        KartonAdd::vars() = {};
    }
    void TearDown() override
    {
        delete ViewHelp::instance();
        delete KartonAdd::instance();
        delete SeekName::instance();
        settle();
        patients::prompts() = {};
        CardMode.clear();
    }
    KartonAdd* correct(const QString& who)
    {
        CardMode = "Edit";
        SeekName::vars().sFindEGN = who;
        SeekName::vars().sFindName = "Иван Петров Колев          ";
        return KartonAdd::showShared();
    }

    TestFolder folder;
    const QString egn = egnOf("750312123");
    QStringList messages;
};

} // namespace

TEST_F(List, BesideACorrectedCardReadOnly)
{
    addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041", true, "36", "Caries media", "Обт.амалгама"});
    addHelp({egn, QDate(2019, 5, 1), "509", "220002", "000007", false, "47", "R.gangr.", "Екстракция"});
    addHelp({egn, QDate(2026, 3, 2), "101", "220003", "000005", true, "", "Преглед"});
    addHelp({egnOf("800101123"), QDate(2026, 3, 2), "101", "220001", "000006"});
    KartonAdd* card = correct(egn);
    ViewHelp* list = ViewHelp::instance();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->windowTitle(), QString("Стоматологична помощ"));
    const QStringList captions = {"Дата", "Диагноза, статус", "Код зъб", "Лечение", "Код дейн.", "Здр. каса"};
    DataGrid* g = list->grid();
    ASSERT_EQ(g->columnCount(), captions.size());
    for (int i = 0; i < captions.size(); ++i)
        EXPECT_EQ(g->columnCaption(i), captions[i]);
    // All doctors and years, by date, then code; no new-row line.
    ASSERT_EQ(g->model()->rowCount(), 3);
    const QStringList order = {"509", "101", "301"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(g->model()->index(i, 4).data().toString(), order[i]);
    EXPECT_EQ(g->model()->index(0, 0).data().toString(), QString("01.05.2019"));
    EXPECT_EQ(g->model()->index(2, 5).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    // Nothing is edited there.
    EXPECT_TRUE(g->isReadOnly());
    EXPECT_FALSE(g->editCell(1));
    // Beside the card, not over its corner.
    EXPECT_FALSE(list->frameGeometry().contains(card->frameGeometry().topLeft()));
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));

    // The card closing takes the list with it.
    card->close();
    settle();
    EXPECT_EQ(ViewHelp::instance(), nullptr);
}

TEST_F(List, APatientWithoutRowsAndANewCard)
{
    correct(egn);
    ASSERT_NE(ViewHelp::instance(), nullptr);
    EXPECT_EQ(ViewHelp::instance()->data3()->recordCount(), 0);
    EXPECT_EQ(ViewHelp::instance()->grid()->model()->rowCount(), 0);
    delete KartonAdd::instance();
    delete ViewHelp::instance();
    CardMode = "New";
    KartonAdd::showShared();
    EXPECT_EQ(ViewHelp::instance(), nullptr);
}

TEST_F(List, ClosedBeforeTheCardDeletesThePatient)
{
    addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041"});
    KartonAdd* card = correct(egn);
    ASSERT_NE(ViewHelp::instance(), nullptr);
    RowsAtClose watch(ViewHelp::instance(), egn);
    card->cmdDelete_Click();
    settle();
    EXPECT_EQ(watch.rows, 1);   // the rows were still there when the list closed
    EXPECT_EQ(ViewHelp::instance(), nullptr);
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    EXPECT_EQ(countRows("Help"), 0);
}

TEST_F(List, RendersBesideTheCard)
{
    addHelp({egn, QDate(2026, 3, 2), "301", "220001", "000041", true, "36", "Caries media", "Обт.амалгама"});
    addHelp({egn, QDate(2026, 3, 2), "101", "220001", "000041", true, "", "Преглед"});
    addHelp({egn, QDate(2026, 3, 9), "509", "220001", "000044", false, "47", "R.gangr.", "Екстракция"});
    KartonAdd* card = correct(egn);
    ViewHelp* list = ViewHelp::instance();
    ASSERT_NE(list, nullptr);
    settle();
    const QImage img = list->grab().toImage();
    int width = list->grid()->verticalHeader()->width();
    for (int c = 0; c < list->grid()->columnCount(); ++c)
        width += list->grid()->columnWidth(c);
    EXPECT_LE(width, list->grid()->width());   // every column in view
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty()) {
        img.save(QDir(dir).filePath("viewhelp.png"));
        // The two windows as they stand on the screen.
        const QRect both = card->frameGeometry().united(list->frameGeometry());
        QImage screen(both.size(), QImage::Format_RGB32);
        screen.fill(QColor(0x6f, 0x86, 0xa6));
        QPainter p(&screen);
        p.drawImage(card->geometry().topLeft() - both.topLeft(), card->grab().toImage());
        p.drawImage(list->geometry().topLeft() - both.topLeft(), img);
        p.end();
        screen.save(QDir(dir).filePath("card_and_list.png"));
    }
}

TEST_F(List, PlacedWhereTheScreenHasRoom)
{
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        const char* what;
        QRect card;
        bool right, below;
    };
    const Case cases[] = {
        {"room at the right", QRect(avail.left(), avail.top(), avail.width() / 3, avail.height() / 2), true, false},
        {"room below only", QRect(avail.left(), avail.top(), avail.width() - 10, avail.height() / 3), false, true},
        {"no room: over the card", QRect(avail.left(), avail.top(), avail.width() - 10, avail.height() - 10), false, false},
    };
    KartonAdd::vars().sKorEGN = egn;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        QWidget card;
        card.setGeometry(k.card);
        card.show();
        ViewHelp* list = ViewHelp::showShared(&card);
        const QRect at = list->frameGeometry();
        EXPECT_TRUE(avail.contains(at)) << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();
        EXPECT_EQ(at.left() > card.frameGeometry().right(), k.right);
        EXPECT_EQ(at.top() > card.frameGeometry().bottom(), k.below);
        delete list;
    }
}

TEST(ListPlacement, ClearOfTheCardsFrameYetToCome)
{
    // The card has just been shown: the window manager has not framed it yet,
    // so its rectangle is the bare window; the main window's frame is what it gets.
    const QRect avail(0, 0, 1280, 1024);
    const QSize mapped(2, 25);
    const QSize list(760, 380);
    struct Case {
        const char* what;
        QRect card;
        QSize cardFrame;   // empty while the window manager has not framed it
        bool clear;        // false: no room, the list stands over the card
    };
    const Case cases[] = {
        {"below a card just shown", QRect(239, 200, 800, 532), QSize(), true},
        {"below a framed card", QRect(239, 200, 802, 557), mapped, true},
        {"right of a card just shown", QRect(0, 0, 600, 500), QSize(), true},
        {"right of a framed card", QRect(0, 0, 602, 525), mapped, true},
        {"no room", QRect(0, 0, 1200, 990), QSize(), false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const QRect at = ListPlacement(k.card, k.cardFrame, mapped, list, QSize(100, 103), avail);
        const QRect card(k.card.topLeft(), k.card.size() + (k.cardFrame.isEmpty() ? mapped : QSize(0, 0)));
        const QRect frame(at.topLeft(), at.size() + mapped);
        EXPECT_TRUE(avail.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        EXPECT_EQ(!frame.intersects(card), k.clear) << frame.y() << " " << card.bottom();
        EXPECT_GE(at.width(), 420 - mapped.width());
    }
}

TEST(ListPlacement, BesideTheCardOnlyWhereItsFrameFitsWhole)
{
    // 1000 pixels of screen below a panel. The list keeps at least 420 x 200
    // (its layout's own minimum where larger) inside its frame; beside the
    // card only where that and its frame fit, else over the card.
    const QRect avail(0, 40, 1440, 1000);
    const QSize mapped(2, 25);
    const QSize list(760, 380);
    enum Where { Right, Below, Over };
    struct Case {
        const char* what;
        QRect card;        // just shown: the frame is yet to come
        QSize minimum;     // the list's layout minimum
        Where where;
    };
    const Case cases[] = {
        // was put below at 834, 180 high
        {"too little room below for 200 and the frame", QRect(319, 274, 800, 532), QSize(100, 103), Over},
        {"room below for 200 and the frame", QRect(319, 254, 800, 532), QSize(100, 103), Below},
        {"room right for 420 but not for the frame", QRect(213, 40, 800, 532), QSize(100, 103), Below},
        {"room right for 420 and the frame", QRect(212, 40, 800, 532), QSize(100, 103), Right},
        {"room right, but not for the list's own minimum", QRect(150, 40, 800, 532), QSize(500, 103), Below},
        {"room below, but not for the list's own minimum", QRect(319, 254, 800, 532), QSize(100, 250), Over},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const QRect at = ListPlacement(k.card, QSize(), mapped, list, k.minimum, avail);
        const QRect frame(at.topLeft(), at.size() + mapped);
        const QRect card(k.card.topLeft(), k.card.size() + mapped);
        EXPECT_TRUE(avail.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        EXPECT_GE(at.width(), std::max(420, k.minimum.width()));
        EXPECT_GE(at.height(), std::max(200, k.minimum.height())) << at.y();
        const Where where = frame.left() > card.right() ? Right : frame.top() > card.bottom() ? Below : Over;
        EXPECT_EQ(where, k.where) << frame.x() << "," << frame.y();
        if (k.where == Over) {
            EXPECT_EQ(at.size(), list);
        }
    }
}
