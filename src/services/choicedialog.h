#pragma once
// The one-date prompt. "Избор" with a date typed as DD.MM.YYYY sets dData
// and lChoice; an empty box or a text that is no date keeps the window open
// with a message; "Отказ" leaves lChoice false and dData = tomorrow.

#include <QDate>
#include <QDialog>
#include <memory>

namespace Ui { class ChoiceDialog; }

namespace tav {

class ChoiceDialog : public QDialog {
    Q_OBJECT
public:
    struct Vars {
        bool lChoice = false;   // true only after "Избор" with a date
        QDate dData;            // the chosen date; tomorrow after "Отказ"
    };
    static Vars& vars();

    explicit ChoiceDialog(QWidget* owner = nullptr);
    ~ChoiceDialog() override;

    void setPrompt(const QString& text);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void onOk();
    void onCancel();
    std::unique_ptr<Ui::ChoiceDialog> ui;
};

inline const QString kNoDateMessage = QStringLiteral("Няма въведена дата за графика");
inline const QString kBadDateMessage = QStringLiteral("Въведете дата във вида ДД.ММ.ГГГГ");

} // namespace tav
