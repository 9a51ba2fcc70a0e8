#pragma once
// The information window: a message and "Затвори".

#include <QDialog>
#include <memory>

namespace Ui { class InfDialog; }

namespace tav {

class InfDialog : public QDialog {
    Q_OBJECT
public:
    explicit InfDialog(QWidget* owner = nullptr);
    ~InfDialog() override;

    // Lines joined with "\r" are shown one under the other.
    void setMessage(const QString& text);
    QString message() const;

protected:
    bool event(QEvent* e) override;

private:
    std::unique_ptr<Ui::InfDialog> ui;
};

} // namespace tav
