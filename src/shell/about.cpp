#include "shell/about.h"

#include "ui_about.h"

#include "services/globals.h"
#include "shell/pictures.h"
#include "shell/registry.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

namespace tav {

namespace {
const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kMsinfoValue = QStringLiteral("PATH");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kLocationValue = QStringLiteral("MSINFO");
const QString kToolFile = QStringLiteral("MSINFO32.EXE");
}

About::About(QWidget* owner) : QDialog(owner), ui(new Ui::About)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->Image1->setPixmap(programPicture(80));
    ui->lblVersion->setText(QStringLiteral("Версия ") + versionText());
    ui->lblTitle->setText(kProductName);
    connect(ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->cmdSysInfo, &QPushButton::clicked, this, &About::StartSysInfo);
}

About::~About() = default;

const QString& About::unavailableText()
{
    static const QString text = QStringLiteral("System Information Is Unavailable At This Time");
    return text;
}

bool About::GetKeyValue(quint32 keyRoot, const QString& keyName, const QString& subKeyRef, QString& keyVal)
{
    registry::Value v;
    if (!registry::read(keyRoot, keyName, subKeyRef, v)) {
        keyVal.clear();
        return false;
    }
    switch (v.type) {
    case registry::kTypeString: {
        QString text = v.data.toString();
        const qsizetype zero = text.indexOf(QChar(0));
        if (zero >= 0)
            text.truncate(zero);
        keyVal = text;
        break;
    }
    case registry::kTypeDword:
        keyVal = QString::number(v.data.toUInt());
        break;
    default:
        break;
    }
    return true;
}

QString About::SysInfoPath()
{
    QString path;
    if (GetKeyValue(registry::kLocalMachine, kMsinfoKey, kMsinfoValue, path))
        return path;
    if (GetKeyValue(registry::kLocalMachine, kLocationKey, kLocationValue, path)) {
        const QString tool = QDir(path).filePath(kToolFile);
        if (QFileInfo::exists(tool))
            return tool;
    }
    return {};
}

void About::StartSysInfo()
{
    const QString tool = SysInfoPath();
    // The value found is started as it is, whether or not the file is there.
    if (!tool.isEmpty() && QProcess::startDetached(tool, {}))
        return;
    QMessageBox::warning(this, kProductName, unavailableText(), QMessageBox::Ok);
}

} // namespace tav
