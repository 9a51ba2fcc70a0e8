#pragma once
// The help window over the program's HTML help file, opened at its contents
// or at a topic number (anchor "topic<N>").

#include <QString>
#include <QWidget>
#include <memory>

namespace Ui { class HelpWindow; }
class QTextBrowser;

namespace tav {

namespace help {
// The help file the program uses; the main window sets it on activation.
QString builtInFile();
void setHelpFile(const QString& file);
QString helpFile();
// Contents (topic 0) or one topic. A help file that cannot be read is reported
// in a message box; returns false then.
bool showContents(QWidget* owner);
bool showTopic(QWidget* owner, int topic);
} // namespace help

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    static HelpWindow* instance();
    // Creates or raises the shared window at a topic (0: contents).
    // Throws std::runtime_error when the help file cannot be read.
    static HelpWindow* showShared(int topic);

    void load(const QString& file);   // throws std::runtime_error
    void openTopic(int topic);
    QTextBrowser* browser() const;

private:
    std::unique_ptr<Ui::HelpWindow> ui;
    QString file_;
};

} // namespace tav
