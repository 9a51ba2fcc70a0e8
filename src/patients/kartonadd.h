#pragma once
// The patient card: one patient's Pacients and Dental rows with the dental
// chart, in the modes "New" (register) and "Edit" (correct), by CardMode.

#include "patients/dentalchart.h"
#include "patients/patientrecord.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QLineEdit;

namespace Ui { class KartonAdd; }

namespace tav {

class KartonAdd : public QWidget {
    Q_OBJECT
public:
    struct Vars {
        QString sKorEGN;      // the patient on the card
        QString sKorName;
        QString sFieldZK;     // PostCode.ZK of the last post code found on the card
        QString sFieldZdRn;   // PostCode.ZdRn of it
        int nChek = 0;        // state of the milk-tooth switch that last got the focus
    };
    static Vars& vars();

    // The open card or nullptr.
    static KartonAdd* instance();
    // Creates the card (child window of the main window, deleted on close) in
    // the present CardMode, or raises the open one.
    static KartonAdd* showShared();
    static void unloadShared();

    explicit KartonAdd(QWidget* parent = nullptr);
    ~KartonAdd() override;

    // The window's handlers; its own events call them.
    void Text3_Click();
    void Text11_LostFocus();
    void Text12_LostFocus();
    void Text2_LostFocus();
    void Text13_LostFocus();
    void Text14_LostFocus();
    void Text6_LostFocus();
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdDelete_Click();
    void cmdClose_Click();
    void txtFields_LostFocus(int index);
    void Check_GotFocus(int n);
    void Check_LostFocus(int n);
    void Form_Activate();

    // The chart as shown now.
    patients::ChartState chartState() const;
    // nullptr for an index the card does not use.
    QLineEdit* txtFields(int index) const;
    QCheckBox* check(int n) const;   // 1..20
    const patients::PatientRecord& record() const { return record_; }
    // Edits in the boxes not yet written into the record.
    bool hasUnsavedEdits() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Binding {
        QWidget* widget;
        QString field;
        bool dental;
    };
    void Form_Load();
    void Form_Unload();
    void bindWidgets();
    void beginRow(const QString& egn);
    // The EGN entry stays open, its text selected for correction.
    void selectEntryLater();
    void pushToWidgets();
    void pullFromWidgets();
    void takeSnapshot();
    void showField(const QString& field, bool dental, const QString& text);
    // The save of a stored patient's card, the doctor choosing where another
    // copy changed a field changed here too; false, with the reason shown,
    // when nothing was saved.
    bool saveCorrection();
    bool writePendingEdits();
    // The checks and the write of "Запиши" for a begun row; false, with the
    // reason shown, when they stop it.
    bool saveNewPatient();
    void setDataEnabled(bool on);
    void applyChart(const patients::ChartState& s);
    void setChartFromRow(bool reset);
    void paintToothNumbers(QWidget* label, bool upper);
    void setCaptionByMode();
    // CardMode, and the card's own copy of it.
    void setMode(const QString& mode);

    std::unique_ptr<Ui::KartonAdd> ui;
    std::array<QLineEdit*, patients::kBoxCount> boxes_{};
    std::array<QCheckBox*, patients::kSwitchCount + 1> checks_{};
    QVector<Binding> bindings_;
    QStringList snapshot_;
    patients::PatientRecord record_;
    QString mode_;          // the CardMode of this card, whatever a caller sets
    QString handOverEgn_;   // the new patient this card saved, while it is on the card
    int focusedSwitch_ = 0; // the switch that got the focus and has not been left
    bool entryLeftByKeys_ = false; // the EGN entry was left with Tab or Enter
    int busy_ = 0;          // chart routines running: their own focus moves are not the user's
    bool closeWritten_ = false;
    bool focusEgnOnShow_ = false;   // a new card gives the EGN box the focus when shown
};

} // namespace tav
