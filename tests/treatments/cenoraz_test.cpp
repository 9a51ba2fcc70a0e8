// The practice's price list: the list, the frame's short name and price, the
// buttons.

#include "databind/datacontrol.h"
#include "databind/datagrid.h"
#include "databind/datanavigator.h"
#include "db/database.h"
#include "support/modal_script.h"
#include "printing.h"
#include "support/program_folder.h"
#include "treatments/cenoraz.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

class PriceList : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (w)
            w->reject();
        w.reset();
    }

    static void addService(const QString& kod, const QString& name, const QVariant& price, const QString& full = {})
    {
        db::Connection::main().insert("Ceny", {"KodHelp", "TextHelp", "CenaHelp", "FullHelp"},
                                      {kod, name, price, full.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : full});
    }

    static db::Rows stored()
    {
        return db::Connection::main().query("SELECT * FROM Ceny ORDER BY RecID");
    }

    void open()
    {
        w = std::make_unique<Cenoraz>();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }

    QPushButton* button(const char* name) const { return w->findChild<QPushButton*>(name); }
    QString caption() const { return w->findChild<DataNavigator*>()->caption(); }
    static QString money(const char* text) { return QString(text).replace('.', QLocale().decimalPoint()); }

    TestFolder folder;
    std::unique_ptr<Cenoraz> w;
};

} // namespace

TEST(PriceListRules, AShortNameKeepsItsFirstFifteenCharacters)
{
    const QList<QPair<QString, QString>> cases = {
        {"Екстракция мляко", "Екстракция мляк"},   // 16 Cyrillic letters
        {"Обтурация химио", "Обтурация химио"},    // 15: unchanged
        {"Преглед", "Преглед"},
        {"", ""},
        {"Professional cleaning", "Professional cl"},
    };
    for (const auto& [typed, kept] : cases)
        EXPECT_EQ(cutShortName(typed), kept) << typed.toStdString();
}

TEST_F(PriceList, ListsTheServicesInCodeOrderWithTheirPricesAndPosition)
{
    addService("20", "Пломба", 45.5, "Фотополимерна пломба, един поверхност");
    addService("10", "Преглед", 20.0);
    open();
    EXPECT_EQ(w->windowTitle(), QString("Ценоразпис"));
    QStringList captions;
    for (int c = 0; c < w->DBGrid1->columnCount(); ++c)
        captions << w->DBGrid1->columnCaption(c);
    EXPECT_EQ(captions, (QStringList{"Код", "Вид манулация", "Цена"}));
    EXPECT_TRUE(w->DBGrid1->isReadOnly());
    EXPECT_EQ(w->DBGrid1->model()->index(0, 2).data().toString(), money("20.00"));
    EXPECT_EQ(w->DBGrid1->model()->index(1, 2).data().toString(), money("45.50"));
    EXPECT_EQ(caption(), QString("Запис: 1"));
    EXPECT_EQ(w->Label2->text(), QString("10"));
    EXPECT_EQ(w->Text2->text(), QString("Преглед"));
    EXPECT_EQ(w->txtPrice->text(), money("20.00"));
    w->findChild<DataNavigator*>()->nextButton()->click();
    EXPECT_EQ(caption(), QString("Запис: 2"));
    EXPECT_EQ(w->lblFull->text(), QString("Фотополимерна пломба, един поверхност"));
    const QList<QPair<const char*, const char*>> tips = {{"cmdAdd", "Добавя празен ред в ценоразписа"},
                                                        {"cmdDelete", "Изтрива ред от ценоразписа"},
                                                        {"cmdUpdate", "Записва промените в ценоразписа"},
                                                        {"cmdClose", "Затваря прозореца"}};
    for (const auto& [name, tip] : tips)
        EXPECT_EQ(button(name)->toolTip(), QString(tip)) << name;
}

TEST_F(PriceList, TheShortNameIsCutWhenTheFocusLeavesItAndSavedCut)
{
    addService("10", "Преглед", 20.0);
    open();
    w->Text2->setFocus();
    w->Text2->setText("Екстракция мляко");
    w->txtPrice->setFocus();
    EXPECT_EQ(w->Text2->text(), QString("Екстракция мляк"));
    // a save straight from the box stores the cut name as well
    w->Text2->setFocus();
    w->Text2->setText("Обтурация химиополимер");
    w->cmdUpdate_Click();
    EXPECT_EQ(stored()[0].text("TextHelp"), QString("Обтурация химио"));
    // and so does moving on with the arrows, which leave the focus in the box
    addService("20", "Пломба", 45.0);
    w->reject();
    w.reset();
    open();
    w->Text2->setFocus();
    w->Text2->setText("Обтурация фотополимер");
    QTest::mouseClick(w->findChild<DataNavigator*>()->nextButton(), Qt::LeftButton);
    EXPECT_EQ(w->Data1->absolutePosition(), 1);
    EXPECT_EQ(stored()[0].text("TextHelp"), QString("Обтурация фотоп"));
}

TEST_F(PriceList, PricesAreReadAsMoneyAndOtherTextIsRefused)
{
    addService("10", "Преглед", 20.0);
    open();
    struct Case {
        QString typed;
        QVariant stored;   // invalid: refused
    };
    const Case cases[] = {
        {"12,50", 12.5}, {"12.50", 12.5}, {" 7 ", 7.0}, {"", QVariant()}, {"дванайсет", QVariant()}, {"1.2.3", QVariant()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        db::Connection::main().exec("UPDATE Ceny SET CenaHelp = 20");
        w->Data1->refresh();
        QString seen;
        ModalScript script;
        const bool refused = !c.stored.isValid() && !c.typed.isEmpty();
        if (refused)
            script.click("InfDialog", "OKButton", &seen);
        w->txtPrice->setText(c.typed);
        button("cmdUpdate")->click();
        const QVariant now = stored()[0].value("CenaHelp");
        if (refused) {
            EXPECT_TRUE(seen.startsWith("Невалидна цена")) << seen.toStdString();
            EXPECT_EQ(w->txtPrice->text(), c.typed);   // kept for correction
            EXPECT_DOUBLE_EQ(now.toDouble(), 20.0);
        } else if (c.typed.isEmpty()) {
            EXPECT_TRUE(now.isNull());
        } else {
            EXPECT_DOUBLE_EQ(now.toDouble(), c.stored.toDouble());
        }
        EXPECT_TRUE(script.finished());
    }
    w->txtPrice->setText("20");
}

TEST_F(PriceList, AddedRowsAndASecondAddOverAnUntouchedOne)
{
    addService("10", "Преглед", 20.0);
    open();
    button("cmdAdd")->click();
    EXPECT_TRUE(w->Data1->isNewRow());
    EXPECT_EQ(w->Data1->recordCount(), 2);
    EXPECT_EQ(caption(), QString("Запис: 2"));
    EXPECT_EQ(w->Text2->text(), QString());
    button("cmdAdd")->click();   // nothing more is added
    EXPECT_EQ(w->Data1->recordCount(), 2);
    w->Text2->setText("Почистване");
    w->txtPrice->setText("35,00");
    button("cmdUpdate")->click();
    db::Rows rows = stored();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[1].value("KodHelp").isNull());
    EXPECT_TRUE(rows[1].value("FullHelp").isNull());
    EXPECT_EQ(rows[1].text("TextHelp"), QString("Почистване"));
    EXPECT_DOUBLE_EQ(rows[1].value("CenaHelp").toDouble(), 35.0);
    // an added row that nobody filled in is not kept
    button("cmdAdd")->click();
    EXPECT_EQ(w->Data1->recordCount(), 3);
    w->findChild<DataNavigator*>()->firstButton()->click();
    EXPECT_EQ(w->Data1->recordCount(), 2);
    button("cmdAdd")->click();
    w->reject();
    w.reset();
    EXPECT_EQ(stored().size(), 2);
}

TEST_F(PriceList, DeletingTheLastRowLeavesNoCurrentRowAndNothingMoreToDelete)
{
    addService("10", "Преглед", 20.0);
    addService("20", "Пломба", 45.5);
    open();
    w->Data1->moveLast();
    QString seen;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen);
    button("cmdDelete")->click();
    EXPECT_FALSE(w->Data1->hasCurrent());
    EXPECT_EQ(w->Data1->recordCount(), 1);
    EXPECT_EQ(w->Text2->text(), QString());
    button("cmdDelete")->click();
    EXPECT_EQ(seen, kCenorazNoRow);
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].text("KodHelp"), QString("10"));
}

TEST_F(PriceList, WithoutACurrentRowNothingCanBeTypedToBeLost)
{
    auto editable = [this] { return QList<bool>{!w->Text2->isReadOnly(), !w->txtPrice->isReadOnly()}; };
    const QList<bool> both{true, true}, none{false, false};
    // an empty price list
    open();
    EXPECT_EQ(editable(), none);
    // an added row is typed into at once
    button("cmdAdd")->click();
    EXPECT_EQ(editable(), both);
    w->Text2->setText("Преглед");
    w->txtPrice->setText("20");
    button("cmdUpdate")->click();
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].text("TextHelp"), QString("Преглед"));
    // past the end after a delete
    button("cmdDelete")->click();
    ASSERT_FALSE(w->Data1->hasCurrent());
    EXPECT_EQ(editable(), none);
}

TEST_F(PriceList, ASavedRowIsShownAsStored)
{
    // After "Запиши" the row's selector no longer says it holds unstored
    // edits, though the price stays as typed rather than as money.
    addService("10", "Преглед", 20.0);
    open();
    w->txtPrice->setFocus();
    w->txtPrice->setText("50");
    EXPECT_EQ(w->DBGrid1->model()->headerData(0, Qt::Vertical).toString(), QString("✎"));
    QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(stored()[0].value("CenaHelp").toDouble(), 50.0);
    EXPECT_FALSE(w->Data1->isDirty());
    EXPECT_EQ(w->DBGrid1->model()->headerData(0, Qt::Vertical).toString(), QString("►"));
}

TEST_F(PriceList, OneClickOnDeleteAndTwoEntersDeleteOneRow)
{
    for (const char* kod : {"10", "20", "30", "40"})
        addService(kod, QString("Услуга ") + kod, 20.0);
    open();
    w->Data1->moveTo(1);
    QTest::mouseClick(button("cmdDelete"), Qt::LeftButton);
    // the focus is where the next choice begins, not on the button
    EXPECT_EQ(QApplication::focusWidget(), w->DBGrid1);
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QStringList codes;
    for (const db::Row& r : stored())
        codes << r.text("KodHelp");
    EXPECT_EQ(codes, (QStringList{"10", "30", "40"}));
    EXPECT_EQ(w->Label2->text(), QString("30"));
}

TEST_F(PriceList, CodesAreListedWithoutRegardToCaseLatinAndCyrillic)
{
    for (const char* kod : {"Г4", "в3", "B2", "a1"})
        addService(kod, "Услуга", 10.0);
    open();
    QStringList codes;
    for (int r = 0; r < w->Data1->recordCount(); ++r)
        codes << w->DBGrid1->model()->index(r, 0).data().toString();
    EXPECT_EQ(codes, (QStringList{"a1", "B2", "в3", "Г4"}));
    EXPECT_EQ(w->Label2->text(), QString("a1"));   // the first in that order is current
}
