#include "shell/splash.h"

#include "ui_splash.h"

#include "services/globals.h"
#include "shell/pictures.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace tav {

namespace {
QPointer<Splash> g_splash;
}

Splash::Splash(QWidget* parent) : QWidget(parent), ui(new Ui::Splash)
{
    ui->setupUi(this);
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    ui->imgLogo->setPixmap(programPicture(128));
    ui->lblVersion->setText(QStringLiteral("Version ") + versionText());
    ui->lblProductName->setText(kProductName);
    // The platform the program runs on.
    ui->lblPlatform->setText(QStringLiteral("Linux"));
    ui->lblStatus->hide();
}

Splash::~Splash() = default;

QLabel* Splash::productName() const { return ui->lblProductName; }
QLabel* Splash::version() const { return ui->lblVersion; }
QLabel* Splash::platform() const { return ui->lblPlatform; }
QLabel* Splash::status() const { return ui->lblStatus; }

void Splash::showWork(const QString& text)
{
    ui->lblStatus->setText(text);
    ui->lblStatus->setVisible(!text.isEmpty());
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

Splash* Splash::instance()
{
    return g_splash;
}

Splash* Splash::showShared()
{
    if (!g_splash) {
        g_splash = new Splash;
        g_splash->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (QScreen* screen = QGuiApplication::primaryScreen())
        g_splash->move(screen->availableGeometry().center() - g_splash->rect().center());
    g_splash->show();
    g_splash->raise();
    g_splash->repaint();
    // Mapped and painted now; clicks and keys are left for later.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return g_splash;
}

void Splash::unloadShared()
{
    if (g_splash)
        delete g_splash.data();
}

} // namespace tav
