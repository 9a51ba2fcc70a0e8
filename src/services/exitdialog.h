#pragma once
// "Излизате ли от програмата?": "ДА" ends the program at once, "НЕ" (the
// default) closes the window.

#include <QDialog>
#include <memory>

namespace Ui { class ExitDialog; }

namespace tav {

class ExitDialog : public QDialog {
    Q_OBJECT
public:
    explicit ExitDialog(QWidget* owner = nullptr);
    ~ExitDialog() override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void onOk();
    std::unique_ptr<Ui::ExitDialog> ui;
};

} // namespace tav
