#pragma once
// The referrals issued to the patient of the treatment form: three kinds,
// each a table and a grid of its own. A row is written only by its frame's
// "Запиши", which stamps it with the patient's EGN and the treatment form's
// outpatient-sheet number; a row typed or edited and left unsaved is not
// stored.

#include <QDialog>
#include <array>
#include <memory>

namespace Ui { class PathWay; }
class QPushButton;

namespace tav {

class DataControl;
class DataGrid;

class PathWay : public QDialog {
    Q_OBJECT
public:
    // The frames, in the window's order.
    enum Kind { KindPath = 0, KindInvest = 1, KindSpec = 2 };

    // Shows the window modally over `owner` for DenHelp::vars().sEGN.
    static void showShared(QWidget* owner);
    // The open window, or nullptr.
    static PathWay* instance();

    explicit PathWay(QWidget* parent = nullptr);
    ~PathWay() override;

    DataControl* Data1 = nullptr;   // Path
    DataControl* Data2 = nullptr;   // Invest
    DataControl* Data3 = nullptr;   // Spec

    DataControl* data(Kind k) const;
    DataGrid* grid(Kind k) const;
    QPushButton* updateButton(Kind k) const;
    QPushButton* deleteButton(Kind k) const;

    // A frame's "Запиши" and "Изтрий".
    void cmdUpdate_Click(Kind k);
    void cmdDelete_Click(Kind k);
    // The user works in a grid: its pair of buttons is enabled, the others not.
    void selectGrid(Kind k);

    void done(int r) override;

private:
    void setPair(Kind k, bool enabled);

    std::unique_ptr<Ui::PathWay> ui;
    std::array<DataControl*, 3> data_{};
    std::array<DataGrid*, 3> grids_{};
    std::array<QPushButton*, 3> update_{};
    std::array<QPushButton*, 3> delete_{};
};

inline const QString kReferralSaveErrorTitle = QStringLiteral("Грешка при запис на данните!");
inline const QString kReferralDeleteErrorTitle = QStringLiteral("Грешка при изтриване на данни!");
inline const QString kNoReferralRow = QStringLiteral("Няма направление за записване.");
inline const QString kNoReferralPatient = QStringLiteral("Няма избран пациент: направлението не е записано.");

} // namespace tav
