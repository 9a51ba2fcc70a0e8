#pragma once
// Rows, fixtures and display-list readers for the printed records' tests.

#include "db/database.h"
#include "printing/cardtexts.h"
#include "report/dataenvironment.h"
#include "report/renderer.h"
#include "support/egn_digits.h"
#include "support/program_folder.h"

#include <QString>
#include <QVariant>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace printing_test {

using Fields = QList<std::pair<QString, QVariant>>;

using testing_support::egnOf;

// A row in memory, as the database would give it.
tav::db::Row rowOf(const Fields& fields);
// A card's rows in memory; no fields, no row.
tav::printing::CardInput cardInputOf(const Fields& patient, const Fields& chart);

// Rows put straight into the program folder's main database.
void addPatient(const QString& egn, const Fields& fields = {});
void addChart(const QString& egn, const Fields& fields);
qint64 addDoctor(const QString& names, const QString& egn, const QString& code);
void addTreatment(const QString& egn, const QDate& date, const QString& code, const QString& help = {},
                  const QString& tooth = {}, const QString& text = {}, const QString& vid = {});
// `count` fillings of tooth 36 a day apart from `first`, in one transaction.
void addFillings(const QString& egn, int count, const QDate& first);
void addSheetLine(const QDate& date, const QString& help, const QString& code, const QString& text,
                  const QString& tooth);
void clearTable(const QString& table);

// Text items of one control, every page and row.
QVector<tav::report::DrawItem> textItems(const tav::report::Rendered& r, const QString& control);
QVector<tav::report::DrawItem> allTexts(const tav::report::Rendered& r);
// The control's lines as drawn, joined with "\n"; empty when nothing is drawn.
QString drawn(const tav::report::Rendered& r, const QString& control);
// Items of one page of one section.
QVector<tav::report::DrawItem> itemsOf(const tav::report::Rendered& r, int page, const QString& section);
// The data rows printed on a page, in order.
QList<int> detailRows(const tav::report::Rendered& r, int page);

// A card printed from the rows of one test folder for the whole suite.
template <class Card>
class CardPrint : public ::testing::Test {
protected:
    static void SetUpTestSuite() { folder_ = new testing_support::TestFolder; }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
        tav::DataEnvironment1::instance().restoreDesignTexts();
    }

    static tav::report::Rendered print(const QString& egn)
    {
        Card card(egn);
        card.start();
        tav::report::Rendered r = card.rendered();
        card.end();
        return r;
    }

private:
    inline static testing_support::TestFolder* folder_ = nullptr;
};

} // namespace printing_test
