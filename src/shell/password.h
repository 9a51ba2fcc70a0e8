#pragma once
// The login window: the doctor is chosen by name and lets in with the code.

#include "services/globals.h"

#include <QDialog>
#include <QList>
#include <memory>

namespace Ui { class Password; }
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace tav {

class Password : public QDialog {
    Q_OBJECT
public:
    using Vars = LoginVars;
    static Vars& vars() { return loginVars(); }

    // Shows the login modally; true when a doctor is logged in. On an empty
    // Medic it shows the doctors register and ends the program.
    static bool runLogin(QWidget* owner);

    explicit Password(QWidget* owner = nullptr);
    ~Password() override;

    enum class LoadResult { Doctors, NoDoctors, Failed };
    // Fills the list from Medic; a database error is shown.
    LoadResult load();
    // What a click on a list entry does.
    void chooseEntry(int index);

    void done(int r) override;

    QList<QGroupBox*> Frame1;
    QList<QLabel*> lblLabels;
    QComboBox* combo() const;
    QLineEdit* codeBox() const;

private:
    void onOk();
    void onCancel();
    void unload();
    std::unique_ptr<Ui::Password> ui;
};

} // namespace tav
