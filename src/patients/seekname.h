#pragma once
// The search of a patient by first name, and the hand-over of the chosen
// patient to the card (mode 1), the treatment form (2) or the printed card (3).

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui { class SeekName; }

namespace tav {

class SeekName : public QDialog {
    Q_OBJECT
public:
    struct Vars {
        QString sFindName;   // the chosen patient's Names and 10 blanks
        QString sFindEGN;    // the chosen patient's EGN
    };
    static Vars& vars();

    static SeekName* instance();
    // Modeless, one instance (created or raised).
    static SeekName* showShared();
    static void unloadShared();
    // Mode 3 shows the printed dental card of sFindEGN through this.
    static void setPrintedCardOpener(std::function<void()> open);

    explicit SeekName(QWidget* parent = nullptr);
    ~SeekName() override;

    void OKButton_Click();
    void CancelButton_Click();
    void Combo1_Click();
    void Form_Activate();

    void reject() override;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void makeWhite(QWidget* w);
    std::unique_ptr<Ui::SeekName> ui;
};

} // namespace tav
