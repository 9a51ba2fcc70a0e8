#pragma once
// The splash window: product name, version and platform over the program's
// picture; no caption, no buttons. Shown by the start-up for under a second.

#include <QWidget>
#include <memory>

namespace Ui { class Splash; }
class QLabel;

namespace tav {

class Splash : public QWidget {
    Q_OBJECT
public:
    explicit Splash(QWidget* parent = nullptr);
    ~Splash() override;

    // The live one or nullptr.
    static Splash* instance();
    // Loads, shows and paints it at once (before any event loop runs).
    static Splash* showShared();
    // Unloads it; nothing happens when it is not loaded.
    static void unloadShared();

    // A line under the platform saying what the start-up is busy with, shown
    // and painted at once; empty: none.
    void showWork(const QString& text);

    QLabel* productName() const;
    QLabel* version() const;
    QLabel* platform() const;
    QLabel* status() const;

private:
    std::unique_ptr<Ui::Splash> ui;
};

} // namespace tav
