#pragma once
// The doctor's appointment book: one row per day with 26 half-hour slots
// from 7.30 to 20.00. Opened from the main window it keeps the book; opened
// from the treatment form (DenHelp::vars().sGraf = "1") a click on a slot
// offers to book the form's patient into it.

#include "services/hourglass.h"

#include <QDate>
#include <QDialog>
#include <QList>
#include <memory>
#include <optional>

namespace Ui { class Grafic; }
class QLabel;
class QLineEdit;

namespace tav {

class DataControl;

inline constexpr int kGraficSlots = 26;

// The weekday of a day, as the schedule names it; "" for no date.
QString weekdayName(const QDate& day);
// The start time of slot i (0..25): "7.30", "8.00", ..., "20.00".
QString slotTime(int slot);

class Grafic : public QDialog {
    Q_OBJECT
public:
    // Sets the treatment form's sGraf ("1" booking, "0" keeping the book) and
    // shows the window modally over `owner`.
    static void showShared(QWidget* owner, bool booking);
    // The open window, or nullptr.
    static Grafic* instance();

    explicit Grafic(QWidget* parent = nullptr);
    ~Grafic() override;

    DataControl* Data1 = nullptr;
    QLineEdit* txtData = nullptr;
    QLabel* lblWeekday = nullptr;    // lblLabels(2)
    QList<QLineEdit*> Text1;         // 0..25, bound to Ch0..Ch25
    QList<QLabel*> lblTime;          // 0..25

    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdUpdate_Click();
    // A click on slot box `index`: the booking, when the form asked for it.
    void Text1_Click(int index);

    void done(int r) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void showWeekday();
    // Writes the current row; a failure is reported and what was typed stays.
    bool writeCurrent();

    std::unique_ptr<Ui::Grafic> ui;
    std::optional<Hourglass> wait_;
    // Closing without the edits that could not be written.
    bool discarding_ = false;
};

inline const QString kGraficNoDay = QStringLiteral("Няма избран ден от графика.");
inline const QString kGraficNoName = QStringLiteral("Няма име на пациента за записване в графика.");

} // namespace tav
