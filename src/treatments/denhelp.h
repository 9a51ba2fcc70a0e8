#pragma once
// The treatment form: one patient's header, dental chart and treatments.
// The doctor types a shortcut into "Код дейн." and presses Enter; the save
// expands, prices and stamps the row. Opened by the search by name ("Edit")
// or by the patient card after a new patient ("New").

#include "treatments/patientview.h"

#include <QWidget>
#include <QPointer>
#include <QVector>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;

namespace Ui { class DenHelp; }

namespace tav {

class DataControl;
class DataGrid;
class HeaderLine;

class DenHelp : public QWidget {
    Q_OBJECT
public:
    struct Vars {
        QString sAddEGN;        // the patient a new card has just saved
        QString sAddName;
        QString sVidDen;        // "New" or "Edit"
        QString sGraf;          // "1" when the schedule is opened from here
        QString sEGN;           // the patient shown, as handed over
        QString sPacientName;   // first name with its blank
        QString sListID;        // the sheet number of this opening
    };
    static Vars& vars();

    static DenHelp* instance();
    // Shows the form modeless for the patient of sVidDen. An open form writes
    // its pending edits and loads afresh for that patient (it stays with its
    // patient when they cannot be written).
    static DenHelp* showShared(QWidget* parent = nullptr);
    // Closes the form (its pending edits written): for the previews that
    // close it when they close.
    static void unloadShared();

    // What the form opens of other parts of the program; nothing until set.
    // "Печат": the outpatient sheet, after TempKarton, PrintEGN and
    // PrintDentalStatus are prepared.
    static void setSheetOpener(std::function<void()> open);
    // "Печат данни...": the dental card with the treatments of vars().sEGN.
    static void setCardOpener(std::function<void()> open);
    // "Направления": the referrals of vars().sEGN and sListID, modal.
    static void setReferralsOpener(std::function<void(QWidget* owner)> open);
    // "Преглед...": the schedule with booking (sGraf = "1"), modal, owned by the form.
    static void setScheduleOpener(std::function<void(QWidget* owner)> open);

    explicit DenHelp(QWidget* parent = nullptr);
    ~DenHelp() override;

    // The window's handlers.
    void Form_Load();
    void cmdUpdate_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();
    void cmdPrint_Click();
    void cmdPrintData_Click();
    void cmdGrafic_Click();
    void cmdParh_Click();
    void cmdClose_Click();
    void DBGrid1_KeyPress(int& keyAscii);
    void DBGrid1_Change();
    void DBGrid1_Click();

    DataGrid* grid() const;
    DataControl* data1() const { return Data1; }
    DataControl* data2() const { return Data2; }
    DataControl* data3() const { return Data3; }
    QLabel* placeLabel(int place) const { return places_[place]; }   // 0..31 as in ChartView
    QLabel* milkNumber(int column) const { return milkNumbers_[column]; }   // 1..20
    QLabel* addressLine() const;
    QLabel* phoneLine() const;
    QLabel* minutesLabel() const;
    QCheckBox* dueCheck() const;
    QPushButton* button(const QString& name) const;
    // Whether Enter falls to "Затвори".
    bool closeIsDefault() const;

    // Writes what was typed in the grid: a new row through the save, a
    // stored row as typed. False, after a message, when it failed.
    bool writePending();

protected:
    void closeEvent(QCloseEvent* e) override;
    // Enter that no control took falls to the focused button, else the default one.
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool save();
    void showMinutes(int minutes);
    void showHeader();
    void fitHeader();
    void showChart();
    void onData3Reposition();
    void paintToothNumbers(QLabel* row, bool upper);
    void paintLegendColumn(QLabel* column);
    static constexpr int kLegendLines = 5;
    void setCloseDefault(bool on);
    void setUpGrid();
    // The grid's cursor to the code cell of the new-row line.
    void goToNewLine();
    // After a button: the focus in the grid, on the new-row line's code cell
    // unless a row is being typed.
    void readyForNextEntry();
    // The save, then the cursor to the new-row line when a row was written.
    void saveAndGoOn();
    // A stored row whose edits the save must write, not the control.
    bool storedRowNeedsSave() const;

    std::unique_ptr<Ui::DenHelp> ui;
    DataControl* Data1 = nullptr;
    DataControl* Data2 = nullptr;
    DataControl* Data3 = nullptr;
    std::array<QLabel*, treatments::kChartPlaces> places_{};
    std::array<QLabel*, 21> milkNumbers_{};
    // A row of the header: two lines of text and the caption between them.
    struct HeaderRow {
        HeaderLine* first;
        QLabel* caption;
        HeaderLine* second;
        int left, right, gapBefore, gapAfter, firstDefault;
    };
    std::array<HeaderRow, 2> headerRows_{};
    qint64 editingRow_ = 0;   // the stored row "Поправи" opened
    QString codeAsStored_;     // the current stored row's code when it became current
    bool saving_ = false;
    bool rowWritten_ = false;   // the last save stored the row
    bool closeWritten_ = false;
    bool discarding_ = false;   // closing without the edits that could not be written
};

} // namespace tav
