#include "databind/datacontrol.h"
#include "databind/datanavigator.h"
#include "db/database.h"
#include "support/modal_script.h"
#include "support/program_folder.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace tav;
using testing_support::ModalScript;
using testing_support::TestFolder;

namespace {

// A window like the price list: a navigator, a bound price box and the
// caption "Запис: " + number set on each reposition.
class Navigator : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        price = new QLineEdit(&window);
        nav = new DataNavigator(&window);
        layout->addWidget(price);
        layout->addWidget(nav);
        data = new DataControl(&window);
        data->bind(price, "CenaHelp", DataControl::Format::Money);
        QObject::connect(data, &DataControl::reposition, [this] {
            data->setCaption("Запис: " + QString::number(data->absolutePosition() + 1));
        });
        nav->setDataControl(data);
    }

    void open(int rows)
    {
        for (int i = 0; i < rows; ++i)
            db::Connection::main().insert("Ceny", {"KodHelp", "TextHelp", "CenaHelp"},
                                          {QString::number(i + 1), "Услуга", 10.0 + i});
        data->setRecordSource("Ceny", "ORDER BY KodHelp, RecID");
        data->refresh();
        window.show();
    }

    // First, previous, next, last: which can be pressed.
    QString enabled() const
    {
        QString s;
        for (QToolButton* b : {nav->firstButton(), nav->previousButton(), nav->nextButton(), nav->lastButton()})
            s += b->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return s;
    }

    TestFolder folder;
    QWidget window;
    QLineEdit* price = nullptr;
    DataNavigator* nav = nullptr;
    DataControl* data = nullptr;
};

TEST_F(Navigator, MovesThroughTheRowsAndShowsTheCaption)
{
    open(3);
    EXPECT_EQ(nav->caption(), QString("Запис: 1"));
    EXPECT_EQ(enabled(), QString("0011"));
    struct Step {
        QToolButton* button;
        int position;
        QString buttons;
    };
    const Step steps[] = {
        {nav->nextButton(), 1, "1111"},
        {nav->lastButton(), 2, "1100"},
        {nav->previousButton(), 1, "1111"},
        {nav->firstButton(), 0, "0011"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.position);
        QTest::mouseClick(s.button, Qt::LeftButton);
        EXPECT_EQ(data->absolutePosition(), s.position);
        EXPECT_EQ(nav->caption(), "Запис: " + QString::number(s.position + 1));
        EXPECT_EQ(enabled(), s.buttons);
    }
    // an edit is written when the navigator leaves the row
    price->setText("12,50");
    QTest::mouseClick(nav->nextButton(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(db::Connection::main().scalar("SELECT CenaHelp FROM Ceny WHERE KodHelp = '1'").toDouble(), 12.5);
}

TEST_F(Navigator, PastTheLastRowAndWithNoRows)
{
    open(2);
    QTest::mouseClick(nav->lastButton(), Qt::LeftButton);
    ASSERT_TRUE(data->deleteCurrent(DataControl::AfterDelete::NoStepBack));
    EXPECT_FALSE(data->hasCurrent());
    EXPECT_EQ(nav->caption(), QString("Запис: 0"));
    EXPECT_EQ(price->text(), QString());
    EXPECT_EQ(enabled(), QString("1101"));   // back to the rows, no further
    QTest::mouseClick(nav->previousButton(), Qt::LeftButton);
    EXPECT_EQ(data->absolutePosition(), 0);
    EXPECT_EQ(price->text(), "10" + QString(QLocale().decimalPoint()) + "00");
    ASSERT_TRUE(data->deleteCurrent(DataControl::AfterDelete::NoStepBack));
    EXPECT_EQ(enabled(), QString("0000"));
    EXPECT_EQ(data->recordCount(), 0);
}

TEST_F(Navigator, AMoveThatCannotWriteTheRowSaysSoAndStays)
{
    open(2);
    QString seen;
    ModalScript script;
    script.click("InfDialog", "OKButton", &seen);
    price->setText("дванайсет");
    QTest::mouseClick(nav->nextButton(), Qt::LeftButton);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(seen.startsWith("Невалидна цена")) << seen.toStdString();
    EXPECT_EQ(data->absolutePosition(), 0);
    EXPECT_EQ(price->text(), QString("дванайсет"));
    EXPECT_DOUBLE_EQ(db::Connection::main().scalar("SELECT CenaHelp FROM Ceny WHERE KodHelp = '1'").toDouble(), 10.0);
    // a window whose Error handler reports the error itself gets no second message
    QStringList reported;
    QObject::connect(data, &DataControl::error, [&](const QString& text, int& response) {
        reported << text;
        response = 0;
    });
    QTest::mouseClick(nav->nextButton(), Qt::LeftButton);
    EXPECT_EQ(reported.size(), 1);
    EXPECT_EQ(data->absolutePosition(), 0);
    const QString dir = qEnvironmentVariable("TAV_SCREENSHOTS");
    if (!dir.isEmpty())
        window.grab().save(QDir(dir).filePath("datanavigator.png"));
}

} // namespace
