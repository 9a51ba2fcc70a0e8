#pragma once
// The yes/no question: "ДА" answers 1, "НЕ" (the default), Escape and the
// window frame answer 0. The answer starts at 0 each time the window shows.

#include <QDialog>
#include <memory>

namespace Ui { class QuesDialog; }

namespace tav {

class QuesDialog : public QDialog {
    Q_OBJECT
public:
    struct Vars {
        int nCh = 0;   // 1 after "ДА", else 0
    };
    static Vars& vars();

    explicit QuesDialog(QWidget* owner = nullptr);
    ~QuesDialog() override;

    void setQuestion(const QString& text);
    QString question() const;

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    std::unique_ptr<Ui::QuesDialog> ui;
};

} // namespace tav
