#include "treatments/timeday.h"

#include "services/globals.h"
#include "services/sharedwindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace tav {

namespace {
SharedWindow<TimeDay> g_time;
std::function<void()> g_closed;
}

TimeDay* TimeDay::instance()
{
    return g_time;
}

TimeDay* TimeDay::showShared()
{
    return g_time.show();
}

void TimeDay::hideShared()
{
    if (g_time)
        g_time->hide();
}

void TimeDay::setClosedHandler(std::function<void()> closed)
{
    g_closed = std::move(closed);
}

TimeDay::TimeDay(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TimeDay"));
    setWindowTitle(QStringLiteral("Време"));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPointSize(80);
    Label1->setFont(f);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->addWidget(Label1);
    resize(360, 170);
    showMinutes();
}

TimeDay::~TimeDay() = default;

void TimeDay::showMinutes()
{
    Label1->setText(QString::number(MinutesLeftToday));
}

bool TimeDay::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::Show:
    case QEvent::WindowActivate:
    case QEvent::FocusIn:
        showMinutes();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void TimeDay::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    if (g_closed)
        g_closed();
}

} // namespace tav
