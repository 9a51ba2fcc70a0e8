#pragma once
// The period dialog: the two days of a period report, checked, kept in the
// shared period members, and the report of the chosen kind run on them.

#include "statistics/period.h"
#include "statistics/periodcheck.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui { class SeekDate; }
class QLineEdit;
class QPushButton;

namespace tav::statistics {

class SeekDate : public QDialog {
    Q_OBJECT
public:
    // The public members, kept after the dialog unloads.
    static PeriodVars& vars() { return periodVars(); }

    static SeekDate* instance();
    // Modeless, one instance (created or raised).
    static SeekDate* showShared();
    static void unloadShared();

    // The Save dialog's question for the file name; "" when cancelled.
    // Tests replace it; empty restores the real dialog.
    using SaveNameQuestion = std::function<QString(QWidget* owner, const SaveRequest&)>;
    static void setSaveNameQuestion(SaveNameQuestion question);

    explicit SeekDate(QWidget* parent = nullptr);
    ~SeekDate() override;

    void OKButton_Click();
    void CancelButton_Click();
    void Text1_GotFocus(int index);

    QLineEdit* Text1(int index) const;
    QPushButton* OKButton() const;
    QPushButton* CancelButton() const;

    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void runFundReport();
    std::unique_ptr<Ui::SeekDate> ui;
};

} // namespace tav::statistics
