#pragma once
// The doctors register: one new doctor per opening, stored only when every
// check of "Затвори" passes.

#include "services/hourglass.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <memory>
#include <optional>

namespace Ui { class MedicAdd; }
class QGroupBox;
class QLabel;
class QLineEdit;

namespace tav {

class DataControl;

// The first failing check of the four boxes (name, number, practice code,
// access code), or an empty text when they all pass. Nothing is trimmed:
// blanks count as filled, except a code of blanks only.
QString doctorEntryProblem(const QString& names, const QString& number, const QString& practiceCode,
                           const QString& accessCode);

class MedicAdd : public QDialog {
    Q_OBJECT
public:
    explicit MedicAdd(QWidget* owner = nullptr);
    ~MedicAdd() override;

    // Indexed as the boxes are numbered: 1 name .. 4 access code (0 unused).
    QList<QGroupBox*> Frame1;
    QList<QLabel*> lblLabels;
    QList<QLineEdit*> txtFields;
    DataControl* Data1 = nullptr;

    void done(int r) override;

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    bool ensureNewRow();
    void onAdd();
    void onUpdate();
    void onDelete();
    void onClose();
    bool writeChecked();

    std::unique_ptr<Ui::MedicAdd> ui;
    std::optional<Hourglass> wait_;
    bool loaded_ = false;
};

} // namespace tav
