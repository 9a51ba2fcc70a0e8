#pragma once
// The change of the logged-in doctor's access code.

#include <QDialog>
#include <QList>
#include <memory>

namespace Ui { class ChangePassword; }
class QLabel;

namespace tav {

class ChangePassword : public QDialog {
    Q_OBJECT
public:
    static void showModal(QWidget* owner = nullptr);

    explicit ChangePassword(QWidget* owner = nullptr);
    ~ChangePassword() override;

    QList<QLabel*> lblLabels;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void onChange();
    std::unique_ptr<Ui::ChangePassword> ui;
};

} // namespace tav
