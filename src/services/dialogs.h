#pragma once
// The shared dialogs as their callers use them. The windows themselves
// (InfDialog, QuesDialog, ProgDialog, ExitDialog, ChoiceDialog) keep their
// public variables in their Vars.

#include <QDate>
#include <QString>
#include <memory>
#include <optional>

class QWidget;

namespace tav {

// Where the file dialogs start: the user's Documents folder, or the home
// folder when there is none.
QString documentsFolder();

// A message's lines are joined with "\r"; on screen they are lines of a label.
QString messageLines(const QString& text);

// InfDialog, modal. Lines of a message are joined with "\r".
void InfoMessage(const QString& text, QWidget* owner = nullptr);
// InfDialog without blocking: shown, and gone when its button closes it.
void InfoMessageModeless(const QString& text, QWidget* owner = nullptr);

// QuesDialog, modal; true only after "ДА". An empty caption keeps "Въпрос".
bool YesNoQuestion(const QString& question, QWidget* owner = nullptr, const QString& caption = {});

// ProgDialog for a run over `rows` rows: hourglass, modeless window with its
// button disabled, bar from 1 to rows. Unloaded and pointer restored when the
// guard ends.
class ProgressWindow {
public:
    ProgressWindow(const QString& label, int rows, QWidget* owner = nullptr);
    ~ProgressWindow();
    void setValue(int position);   // 1-based row position
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// ChoiceDialog, modal: the chosen date when lChoice is true, else nullopt
// (the caller then uses its own default).
std::optional<QDate> DateChoice(const QString& prompt, QWidget* owner = nullptr);

// ExitDialog, modal, owned by the main window. "ДА" ends the program.
void ExitConfirmation(QWidget* mainWindow);

} // namespace tav
