#pragma once
// The practice's own data: the one MedicUnit row, edited in place.

#include "services/hourglass.h"

#include <QList>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>

namespace Ui { class MedicUnit; }
class QLabel;
class QLineEdit;

namespace tav {

class DataControl;

// The field bound to each box, by the box's index.
const QStringList& medicUnitFields();

class MedicUnit : public QWidget {
    Q_OBJECT
public:
    // The one open window, or nullptr.
    static MedicUnit* instance();
    // Shows the window without blocking, or raises the open one.
    static void showShared();

    explicit MedicUnit(QWidget* parent = nullptr);
    ~MedicUnit() override;

    QList<QLineEdit*> txtFields;   // 0..27
    QList<QLabel*> lblLabels;      // 0..27
    DataControl* Data1 = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void onUpdate();
    bool writeRow();

    std::unique_ptr<Ui::MedicUnit> ui;
    std::optional<Hourglass> wait_;
    bool unwritten_ = false;
};

inline const QString kSaveErrorTitle = QStringLiteral("Грешка при запис на данните!");
inline const QString kNoPracticeRow = QStringLiteral("Няма запис за лечебното заведение в базата данни.");

} // namespace tav
