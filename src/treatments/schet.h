#pragma once
// Fee booking: the treatment rows of the period last confirmed in the period
// dialog (all doctors), the booked flag ticked row by row, and three sums in
// lev: booked, remaining and total. The sums are always those of the listed
// rows as stored; a Null price counts as 0.

#include "db/database.h"
#include "db/values.h"
#include "services/hourglass.h"

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui { class Schet; }
class QCheckBox;
class QLabel;
class QPushButton;

namespace tav {

class DataControl;
class DataGrid;

// The sums of a list of treatment rows (fields Cena and Schet).
struct FeeSums {
    Money all;      // every row's price
    Money booked;   // the prices of the rows marked booked
    Money remaining() const { return all - booked; }
};
FeeSums feeSums(const db::Rows& rows);

// A sum as the window shows it: the value with the decimals it has (none
// for a whole number) and the regional decimal sign, then " лв.".
QString feeSumText(Money m);

class Schet : public QDialog {
    Q_OBJECT
public:
    // The window's public state, kept after it closes.
    struct Vars {
        Money nAll;       // sum of all listed prices
        Money nZav;       // sum of the booked ones
        int nExit = 0;    // 1 after a load that found no rows
    };
    static Vars& vars();

    // Shows the window without blocking (created or raised), over `owner`.
    static void showShared(QWidget* owner = nullptr);
    // The open window, or nullptr.
    static Schet* instance();

    // Loads the period's rows; an empty period is said at once.
    explicit Schet(QWidget* parent = nullptr);
    ~Schet() override;

    DataControl* Data1 = nullptr;
    DataGrid* DBGrid1 = nullptr;
    QCheckBox* chkFields = nullptr;
    QList<QLabel*> Label1;   // 0..5
    QPushButton* cmdUpdate = nullptr;

    void cmdUpdate_Click();

    void done(int r) override;

private:
    void load();
    void Data1_Reposition();
    // The three sums of the listed rows, into vars() and the labels.
    void showSums();
    // The "Услуга" line: the row's code and treatment as stored.
    void showService();
    bool writeCurrent();

    std::unique_ptr<Ui::Schet> ui;
    std::optional<Hourglass> wait_;
};

inline const QString kNoFeesMessage = QStringLiteral("Няма данни за осчетоводяване!");
inline const QString kNoFeeRow = QStringLiteral("Няма избран ред за осчетоводяване.");

} // namespace tav
