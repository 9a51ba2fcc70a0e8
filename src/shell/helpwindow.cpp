#include "shell/helpwindow.h"

#include "ui_helpwindow.h"

#include "db/paths.h"
#include "services/globals.h"
#include "services/sharedwindow.h"
#include "shell/pictures.h"

#include <QFile>
#include <QMessageBox>
#include <QUrl>
#include <stdexcept>

namespace tav {

namespace help {

namespace {
QString g_file;
}

QString builtInFile()
{
    return QStringLiteral(":/help/") + kHelpFileName;
}

void setHelpFile(const QString& file)
{
    g_file = file;
}

QString helpFile()
{
    return g_file.isEmpty() ? builtInFile() : g_file;
}

bool showTopic(QWidget* owner, int topic)
{
    try {
        HelpWindow::showShared(topic);
        return true;
    } catch (const std::exception& e) {
        QMessageBox::warning(owner, kProductName, QString::fromUtf8(e.what()));
        return false;
    }
}

bool showContents(QWidget* owner)
{
    return showTopic(owner, 0);
}

} // namespace help

namespace {
SharedWindow<HelpWindow> g_window;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent), ui(new Ui::HelpWindow)
{
    ui->setupUi(this);
    setWindowIcon(QIcon(programPicture(32)));
    connect(ui->cmdContents, &QPushButton::clicked, this, [this] { openTopic(0); });
    connect(ui->cmdBack, &QPushButton::clicked, ui->browser, &QTextBrowser::backward);
    connect(ui->cmdForward, &QPushButton::clicked, ui->browser, &QTextBrowser::forward);
    connect(ui->browser, &QTextBrowser::backwardAvailable, ui->cmdBack, &QWidget::setEnabled);
    connect(ui->browser, &QTextBrowser::forwardAvailable, ui->cmdForward, &QWidget::setEnabled);
    ui->cmdBack->setEnabled(false);
    ui->cmdForward->setEnabled(false);
}

HelpWindow::~HelpWindow() = default;

QTextBrowser* HelpWindow::browser() const
{
    return ui->browser;
}

HelpWindow* HelpWindow::instance()
{
    return g_window;
}

void HelpWindow::load(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Файлът с помощта %1 не може да бъде отворен: %2")
                                     .arg(file, f.errorString()).toStdString());
    file_ = file;
}

void HelpWindow::openTopic(int topic)
{
    const QUrl base = file_.startsWith(QLatin1Char(':'))
        ? QUrl(QStringLiteral("qrc") + file_)
        : QUrl::fromLocalFile(file_);
    QUrl url = base;
    if (topic > 0)
        url.setFragment(QStringLiteral("topic%1").arg(topic));
    if (ui->browser->source().adjusted(QUrl::RemoveFragment) != base)
        ui->browser->setSource(base);
    ui->browser->setSource(url);
    if (topic <= 0)
        ui->browser->scrollToAnchor(QStringLiteral("contents"));
}

HelpWindow* HelpWindow::showShared(int topic)
{
    const QString file = help::helpFile();
    const bool created = !g_window;
    HelpWindow* w = g_window.create();
    try {
        w->load(file);
    } catch (...) {
        if (created)
            delete w;
        throw;
    }
    w->openTopic(topic);
    return g_window.show();
}

} // namespace tav
