#include "fixtures.h"

#include "patients/kartonadd.h"
#include "patients/prompts.h"
#include "patients/seekname.h"
#include "databind/datacontrol.h"
#include "printing/cardtexts.h"
#include "services/globals.h"
#include "support/program_folder.h"
#include "treatments/denhelp.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace tav;
using namespace tav::patients;
using namespace patients_test;
using testing_support::TestFolder;

namespace {

class Seek : public ::testing::Test {
protected:
    void SetUp() override
    {
        CurrentDoctorCode = "220001";
        prompts().info = [this](const QString& text, QWidget*) { messages << text; };
        SeekName::vars() = {};
    }
    void TearDown() override
    {
        delete DenHelp::instance();
        delete KartonAdd::instance();
        delete SeekName::instance();
        prompts() = {};
        SeekName::setPrintedCardOpener({});
        PatientSearchMode = 0;
    }
    SeekName* open(int mode)
    {
        PatientSearchMode = mode;
        SeekName* s = SeekName::showShared();
        s->Form_Activate();
        return s;
    }
    QComboBox* list() { return SeekName::instance()->findChild<QComboBox*>("Combo1"); }
    QProgressBar* bar() { return SeekName::instance()->findChild<QProgressBar*>("ProgBar"); }
    void search(const QString& typed)
    {
        SeekName::instance()->findChild<QLineEdit*>("Text1")->setText(typed);
        SeekName::instance()->OKButton_Click();
    }
    void choose(int row)
    {
        list()->setCurrentIndex(row);
        SeekName::instance()->Combo1_Click();
    }

    TestFolder folder;
    QStringList messages;
};

} // namespace

TEST_F(Seek, CaptionsByMode)
{
    EXPECT_EQ(open(1)->windowTitle(), QString("Корекция - Търсене по име"));
    EXPECT_EQ(open(2)->windowTitle(), QString("Стоматологична помощ - Търсене по име"));
    EXPECT_EQ(open(3)->windowTitle(), QString("Справка за пациент - Търсене по име"));
    // The window is wide enough for its longest caption in a bold title bar
    // beside the frame's icon and three buttons.
    QFont title = QApplication::font();
    title.setBold(true);
    EXPECT_GE(SeekName::instance()->width(),
              QFontMetrics(title).horizontalAdvance("Стоматологична помощ - Търсене по име") + 130);
    delete SeekName::instance();
    EXPECT_EQ(open(0)->windowTitle(), QString("Търсене на пациент"));
}

TEST_F(Seek, ListsTheDoctorsPatientsByFirstName)
{
    addPatient(egnOf("750312654"), "Иван Петров Колев", "220001");
    addPatient(egnOf("750312655"), "Иван Георгиев", "220002");
    addPatient(egnOf("750312656"), "Иванка Петрова", "220001");
    addPatient(egnOf("750312657"), QVariant(QMetaType::fromType<QString>()), "220001");
    addPatient(egnOf("750312658"), "Иван", "220001");
    open(1);
    search("иван");
    EXPECT_EQ(messages, QStringList{"Завърших търсенето на имената!"});
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->itemText(0), QString("Иван Петров Колев") + QString(50, ' ') + egnOf("750312654"));
    EXPECT_EQ(list()->itemText(1), QString("Иван") + QString(50, ' ') + egnOf("750312658"));
    EXPECT_EQ(bar()->minimum(), 1);
    EXPECT_EQ(bar()->maximum(), 4);
    EXPECT_EQ(bar()->value(), 4);
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty())
        SeekName::instance()->grab().save(QDir(dir).filePath("seekname.png"));
    // each search replaces the list
    messages.clear();
    search("Петров");
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(messages, QStringList{"Завърших търсенето на имената!"});
}

TEST_F(Seek, NoPatientsAndOnePatient)
{
    addPatient(egnOf("750312654"), "Иван Петров", "220002");
    open(1);
    search("Иван");
    EXPECT_EQ(messages, QStringList{"Няма записани пациенти в БД!\r Прекъсвам търсенето!"});
    EXPECT_EQ(list()->count(), 0);
    messages.clear();
    addPatient(egnOf("750312655"), "Мария", "220001");
    search("Мария");
    EXPECT_EQ(bar()->minimum(), 1);
    EXPECT_EQ(bar()->maximum(), 10);
    EXPECT_EQ(bar()->value(), 1);
    ASSERT_EQ(list()->count(), 1);
    choose(0);
    EXPECT_EQ(SeekName::vars().sFindName, QString("Мария") + QString(10, ' '));
    EXPECT_EQ(SeekName::vars().sFindEGN, egnOf("750312655"));
}

TEST_F(Seek, ChoosingOpensTheCardForCorrection)
{
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "220001", {{"Z21", "C"}});
    open(1);
    search("Иван");
    messages.clear();
    choose(0);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(CardMode, QString("Edit"));
    KartonAdd* card = KartonAdd::instance();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->windowTitle(), QString("Картон - Корекция"));
    EXPECT_EQ(KartonAdd::vars().sKorEGN, egn);
    EXPECT_EQ(card->findChild<QLineEdit*>("Text2")->text(), QString("Иван Петров Колев"));
    EXPECT_EQ(card->txtFields(51)->text(), QString("C"));
    // closing the card unloads the search
    card->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(SeekName::instance(), nullptr);
}

TEST_F(Seek, TreatmentsAndPrintedCardModes)
{
    const QString egn = egnOf("750312654");
    addPatient(egn, "Иван Петров Колев", "220001");
    open(2);
    search("Иван");
    choose(0);
    EXPECT_EQ(DenHelp::vars().sVidDen, QString("Edit"));
    EXPECT_EQ(KartonAdd::instance(), nullptr);
    // The treatment form took the patient and emptied the list.
    ASSERT_NE(DenHelp::instance(), nullptr);
    EXPECT_TRUE(DenHelp::instance()->isVisible());
    EXPECT_EQ(DenHelp::vars().sEGN, egn);
    EXPECT_EQ(list()->count(), 0);

    delete DenHelp::instance();
    int printed = 0;
    QString printedEgn;
    SeekName::setPrintedCardOpener([&] {
        ++printed;
        printedEgn = SeekName::vars().sFindEGN;
    });
    open(3);
    search("Иван");
    choose(0);
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(printedEgn, egn);
    EXPECT_EQ(DenHelp::instance(), nullptr);
}

TEST_F(Seek, AFoundPatientIsReachedWhateverTheLengthOfHisEgn)
{
    // The import stores the fund's numbers as they stand: each entry hands
    // on its patient's EGN whole, to the card, the treatment form and the
    // printed card.
    const QString egns[] = {"900101001", "9001010022", "90010100223", "9001010033 "};
    QStringList names;
    for (const QString& egn : egns) {
        names << "Иван Пациент" + QString::number(names.size());
        addPatient(egn, names.back(), "220001");
    }
    QString printedName;
    SeekName::setPrintedCardOpener(
        [&] { printedName = printing::readCardInput(SeekName::vars().sFindEGN).patient.text("Names"); });
    for (int i = 0; i < int(std::size(egns)); ++i) {
        const QString& egn = egns[i];
        SCOPED_TRACE(egn.toStdString() + "|");
        const QString item = names[i] + QString(50, ' ') + egn;
        for (int mode = 1; mode <= 3; ++mode) {
            SCOPED_TRACE(mode);
            open(mode);
            search("Иван");
            ASSERT_EQ(list()->count(), int(std::size(egns)));
            EXPECT_EQ(list()->itemText(i), item);
            messages.clear();
            choose(i);
            EXPECT_EQ(SeekName::vars().sFindEGN, egn);
            EXPECT_EQ(SeekName::vars().sFindName, item.left(item.size() - 50));
            EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join("; "));
            if (mode == 1) {
                KartonAdd* card = KartonAdd::instance();
                ASSERT_NE(card, nullptr);
                EXPECT_TRUE(card->record().isStored());
                EXPECT_EQ(card->findChild<QLineEdit*>("Text2")->text(), names[i]);
                delete card;
            } else if (mode == 2) {
                DenHelp* form = DenHelp::instance();
                ASSERT_NE(form, nullptr);
                EXPECT_EQ(DenHelp::vars().sEGN, egn);
                ASSERT_TRUE(form->data1()->hasCurrent());
                EXPECT_EQ(form->data1()->text("Names"), names[i]);
                delete form;
            } else {
                EXPECT_EQ(printedName, names[i]);
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
}

TEST_F(Seek, TheKeyboardChoosesFromTheFirstEntryOn)
{
    // Nothing is chosen by the search itself; Down in the closed list
    // chooses the first patient found, the next Down the second.
    const QString first = egnOf("750312654"), second = egnOf("750312656");
    addPatient(first, "Иван Петров Колев", "220001");
    addPatient(second, "Иван Георгиев", "220001");
    open(1);
    search("Иван");
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->currentIndex(), -1);
    EXPECT_TRUE(SeekName::vars().sFindEGN.isEmpty());
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(SeekName::vars().sFindEGN, first);
    EXPECT_EQ(KartonAdd::vars().sKorEGN, first);
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(SeekName::vars().sFindEGN, second);
    EXPECT_EQ(KartonAdd::vars().sKorEGN, second);
}

TEST_F(Seek, CancelSaysNothingChosenAndCloses)
{
    open(1);
    SeekName::instance()->CancelButton_Click();
    EXPECT_EQ(messages, QStringList{"Няма избрани имена!"});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(SeekName::instance(), nullptr);
    EXPECT_TRUE(SeekName::vars().sFindEGN.isEmpty());
}
