#pragma once
// The progress window of the long database runs. Its button stays disabled
// while a run works, so a run cannot be interrupted.

#include <QDialog>
#include <memory>

namespace Ui { class ProgDialog; }
class QLabel;
class QProgressBar;
class QPushButton;

namespace tav {

class ProgDialog : public QDialog {
    Q_OBJECT
public:
    struct Vars {
        int nStop = 0;   // 1 after the button; read by no run
    };
    static Vars& vars();

    explicit ProgDialog(QWidget* owner = nullptr);
    ~ProgDialog() override;

    QLabel* label() const;
    QProgressBar* bar() const;
    QPushButton* button() const;

private:
    void onOk();
    std::unique_ptr<Ui::ProgDialog> ui;
};

} // namespace tav
