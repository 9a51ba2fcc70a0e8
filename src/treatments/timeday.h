#pragma once
// The small window that shows today's minutes left in large type.

#include <QWidget>
#include <functional>

class QLabel;

namespace tav {

class TimeDay : public QWidget {
    Q_OBJECT
public:
    static TimeDay* instance();
    // Modeless, one instance (created or shown again).
    static TimeDay* showShared();
    static void hideShared();
    // Told when the window is closed by its frame (not when hidden).
    static void setClosedHandler(std::function<void()> closed);

    explicit TimeDay(QWidget* parent = nullptr);
    ~TimeDay() override;

    QLabel* label() const { return Label1; }
    // Shows MinutesLeftToday.
    void showMinutes();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    QLabel* Label1 = nullptr;
};

} // namespace tav
