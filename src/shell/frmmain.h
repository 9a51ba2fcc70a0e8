#pragma once
// The program's one main window: the MDI frame with the menus and the
// toolbar from which every other window is opened.

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

namespace Ui { class frmMain; }
class QAction;
class QMdiArea;
class QMenu;
class QToolBar;

namespace tav {

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Shows the login modally and returns its verdict.
    using LoginStep = std::function<bool(QWidget* owner)>;

    // The load: menu states, the login (default Password::runLogin), the
    // caption. A refused login ends the program and returns false.
    bool load(const LoginStep& login = {});
    // After a first-run registration: "Изтриване на БД" for this run.
    void showFirstRunItems();
    // What runs each time the window becomes active.
    void activate();
    // The closing steps: this copy's work folder removed (and the fund's
    // export, when this copy imported it), position kept.
    void unloadSteps();

    // The toolbar's click handler, by button key; errors are ignored.
    void ToolBar_ButtonClick(const QString& key);

    // Closes every other window of the program (modeless forms, MDI children);
    // false when one of them stays open.
    bool closeOwnedWindows();

    QAction* menuItem(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QToolBar* toolBar() const;
    QMdiArea* mdiArea() const;
    // The help topic of a menu item or menu (0: none).
    static int helpTopic(const QObject* item);

    static QString captionFor(const QString& doctorName);

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void connectMenus();
    // A menu action: a failure is shown and the program goes on.
    void runGuarded(const std::function<void()>& action);

    void mnuPacDen_Click();
    void mnuPacKor_Click();
    void mnuPacKorEGN_Click();
    void mnuPacReg_Click();
    void mnuPacZOKC_Click();
    void mnuExit_Click();
    void mnuOtPac_Click();
    void mnuSlgMed_Click();
    void mnuSlgUnit_Click();
    void mnuSlgSave_Click();
    void mnuSlgOpen_Click();
    void mnuSlgUtil_Click();
    void mnuSlgClean_Click();
    void mnuCahgePass_Click();
    void mnuViewButton_Click(bool checked);
    void mnuViewTime_Click(bool checked);
    void mnuHelpContents_Click();
    void mnuHelpUpdate_Click();
    void mnuHelpAbout_Click();
    void mnuOtchetExportXML_Click();
    void mnuSlgSchet_Click();
    void mnuOtSpGraf_Click();
    void mnuSlgGraf_Click();
    void mnuSlgCeno_Click();

    std::unique_ptr<Ui::frmMain> ui;
    QString lastActivationError_;
};

} // namespace tav
