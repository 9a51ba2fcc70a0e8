#include "shell/medicunit.h"

#include "ui_medicunit.h"

#include "databind/datacontrol.h"
#include "db/database.h"
#include "services/dialogs.h"
#include "services/sharedwindow.h"

#include <QCloseEvent>
#include <QMessageBox>

namespace tav {

namespace {
SharedWindow<MedicUnit> g_instance;
}

const QStringList& medicUnitFields()
{
    static const QStringList fields = {
        "UserBIC", "UserAp", "UserBank", "UserBl", "UserBULSTAT", "UserCap", "UserCity",
        "UserCityID", "UserContract", "UserCountry", "UserEGN", "UserEmail", "UserEt", "UserGSM",
        "UserIBAN", "UserID", "UserMOL", "UserName", "UserObMiniCap", "UserTel", "UserType",
        "UserUIN", "UserUl", "UserUlID", "UserURL", "UserVx", "UserKs", "UserSIMP"};
    return fields;
}

MedicUnit* MedicUnit::instance()
{
    return g_instance;
}

void MedicUnit::showShared()
{
    g_instance.show();
}

MedicUnit::MedicUnit(QWidget* parent) : QWidget(parent), ui(new Ui::MedicUnit)
{
    ui->setupUi(this);
    const QStringList& fields = medicUnitFields();
    Data1 = new DataControl(this);
    Data1->setObjectName(QStringLiteral("Data1"));
    Data1->setRecordSource(QStringLiteral("MedicUnit"));
    for (int i = 0; i < fields.size(); ++i) {
        auto* box = findChild<QLineEdit*>(QStringLiteral("txtFields_%1").arg(i));
        auto* label = findChild<QLabel*>(QStringLiteral("lblLabels_%1").arg(i));
        Q_ASSERT(box && label);
        txtFields << box;
        lblLabels << label;
        Data1->bind(box, fields[i]);
    }
    connect(Data1, &DataControl::validate, this, [this](int&, bool&) {
        if (!wait_)
            wait_.emplace();
    });
    connect(Data1, &DataControl::reposition, this, [this] { wait_.reset(); });
    connect(ui->cmdUpdate, &QPushButton::clicked, this, &MedicUnit::onUpdate);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);

    try {
        Data1->refresh();
    } catch (const db::DbError& e) {
        wait_.reset();
        InfoMessage(e.userText(), this);
    }
}

MedicUnit::~MedicUnit() = default;

bool MedicUnit::writeRow()
{
    try {
        Data1->updateRecord();
    } catch (const db::DbError& e) {
        // What was typed stays in the boxes, so "Запиши" can be tried again;
        // the row buffer already holds it, so remember it is not stored.
        unwritten_ = true;
        const QString number = e.code().isEmpty() ? QStringLiteral("0") : e.code();
        const QString text = e.engineText().isEmpty() ? e.message() : e.engineText();
        QMessageBox::critical(this, kSaveErrorTitle, number + QLatin1Char('-') + text);
        return false;
    }
    unwritten_ = false;
    return true;
}

void MedicUnit::onUpdate()
{
    if (!Data1->hasCurrent()) {
        // The row comes with the database; the window adds none.
        QMessageBox::critical(this, kSaveErrorTitle, kNoPracticeRow);
        return;
    }
    if (writeRow())
        ui->cmdUpdate->setEnabled(false);
}

void MedicUnit::closeEvent(QCloseEvent* e)
{
    // Edits not yet written are stored as the window closes; a failed write
    // keeps the window open with the edits on screen.
    if (Data1->hasCurrent() && (Data1->isDirty() || unwritten_) && !writeRow()) {
        e->ignore();
        return;
    }
    Data1->close();
    wait_.reset();
    QWidget::closeEvent(e);
}

} // namespace tav
