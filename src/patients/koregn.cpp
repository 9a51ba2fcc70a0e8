#include "patients/koregn.h"
#include "ui_koregn.h"

#include "db/database.h"
#include "db/values.h"
#include "patients/egn.h"
#include "patients/patientrecord.h"
#include "patients/prompts.h"
#include "services/focus.h"
#include "services/hourglass.h"
#include "services/program.h"
#include "services/sharedwindow.h"

#include <QFocusEvent>

namespace tav {

namespace patients {

namespace {

const QString kNotChanged = QStringLiteral("\rЕГН не е сменено.");

EgnMove refused(const QString& message)
{
    EgnMove m;
    m.outcome = EgnMove::Outcome::Refused;
    m.message = message + kNotChanged;
    return m;
}

} // namespace

EgnMove moveEgn(const QString& oldText, const QString& newText)
{
    const QString oldEgn = trimBlanks(oldText);
    const QString newEgn = trimBlanks(newText);
    if (!IsTenDigits(newEgn))
        return refused(kMsgEgnInvalid + QStringLiteral("\rМоля, проверете новото ЕГН!"));
    const QString fault = EGNFaultMessage(newEgn);
    if (!fault.isEmpty())
        return refused(fault);
    if (newEgn == oldEgn)
        return refused(QStringLiteral("Новото ЕГН е същото като старото!"));

    db::Connection c = db::Connection::main();
    db::Transaction t(c);
    EgnMove m;
    const auto carrying = [&c](const QString& egn, const QStringList& tables) {
        int rows = 0;
        for (const QString& table : tables)
            rows += c.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE EGN = ?").arg(table), {egn}).toInt();
        return rows;
    };
    const QStringList patientTables{QStringLiteral("Pacients"), QStringLiteral("Dental"), QStringLiteral("Help")};
    const QStringList referralTables{QStringLiteral("Path"), QStringLiteral("Invest"), QStringLiteral("Spec")};
    if (oldEgn.isEmpty() || carrying(oldEgn, patientTables + referralTables) == 0) {
        m.outcome = EgnMove::Outcome::NoRows;
        m.message = (oldEgn.isEmpty() ? QStringLiteral("Не е въведено старото ЕГН.")
                                      : QStringLiteral("Няма записи със старото ЕГН %1.").arg(oldEgn))
            + QStringLiteral("\rНищо не е променено.");
        return m;
    }
    // Two patients are never merged into one.
    if (carrying(newEgn, patientTables) > 0)
        return refused(QStringLiteral("ЕГН %1 вече е на друг пациент!").arg(newEgn));

    const QString move = QStringLiteral("UPDATE %1 SET EGN = ? WHERE EGN = ?");
    // The birth date and the sex are the EGN's, as on a new card; the fund's report sends both.
    m.pacients = c.exec(QStringLiteral("UPDATE Pacients SET EGN = ?, DataB = ?, Pol = ? WHERE EGN = ?"),
                        {newEgn, DataBFromEGN(newEgn), PolFromEGN(newEgn), oldEgn});
    m.dental = c.exec(move.arg(QStringLiteral("Dental")), {newEgn, oldEgn});
    m.help = c.exec(move.arg(QStringLiteral("Help")), {newEgn, oldEgn});
    for (const QString& table : referralTables)
        m.referrals += c.exec(move.arg(table), {newEgn, oldEgn});
    t.commit();
    m.outcome = EgnMove::Outcome::Moved;
    m.message = QStringLiteral("ЕГН е сменено.\rСтаро ЕГН: %1\rНово ЕГН: %2\rПациент %3, картон %4, дейности %5, направления %6")
                    .arg(oldEgn, newEgn)
                    .arg(m.pacients)
                    .arg(m.dental)
                    .arg(m.help)
                    .arg(m.referrals);
    return m;
}

} // namespace patients

using namespace patients;

namespace {

SharedWindow<KorEGN> g_korEgn;

const QString kWrongEgn = QStringLiteral("Грешно ЕГН!\r");

} // namespace

KorEGN* KorEGN::instance()
{
    return g_korEgn;
}

KorEGN* KorEGN::showShared()
{
    return g_korEgn.show();
}

KorEGN::KorEGN(QWidget* parent) : QDialog(parent), ui(new Ui::KorEGN)
{
    ui->setupUi(this);
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    g_korEgn.adopt(this);
    setWindowTitle(QStringLiteral("Корекция на ЕГН"));
    ui->CancelButton->setDefault(true);
    QPalette p = ui->Text2->palette();
    p.setColor(QPalette::Base, QColor(255, 255, 0));
    ui->Text2->setPalette(p);
    ui->Text1->installEventFilter(this);
    ui->Text2->installEventFilter(this);
    connect(ui->OKButton, &QPushButton::clicked, this, &KorEGN::OKButton_Click);
    connect(ui->CancelButton, &QPushButton::clicked, this, &KorEGN::CancelButton_Click);
}

KorEGN::~KorEGN() = default;

// Owned by the main window, the message stays up when "Отказ" took the
// focus from the box and closes this window.
QWidget* KorEGN::messageOwner()
{
    return mainWindow() ? mainWindow() : this;
}

void KorEGN::Text1_LostFocus()
{
    if (trimBlanks(ui->Text1->text()).size() != 10)
        sayModeless(kWrongEgn + QStringLiteral("Моля, проверете старото ЕГН!"), messageOwner());
}

void KorEGN::Text2_LostFocus()
{
    if (trimBlanks(ui->Text2->text()).size() != 10)
        sayModeless(kWrongEgn + QStringLiteral("Моля, проверете новото ЕГН!"), messageOwner());
}

void KorEGN::Text2_Click()
{
    ui->Text2->clear();
}

void KorEGN::OKButton_Click()
{
    EgnMove m;
    try {
        Hourglass wait;
        m = moveEgn(ui->Text1->text(), ui->Text2->text());
    } catch (const db::DbError& e) {
        say(e.userText() + QStringLiteral("\rЕГН не е сменено."), this);
        return;
    }
    // The boxes stay as typed, for the next correction.
    say(m.message, this);
}

void KorEGN::CancelButton_Click()
{
    close();
}

bool KorEGN::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == ui->Text2 && e->type() == QEvent::MouseButtonPress)
        Text2_Click();
    if (e->type() == QEvent::FocusOut && leavesTheBox(static_cast<QFocusEvent*>(e))) {
        if (watched == ui->Text1)
            Text1_LostFocus();
        else if (watched == ui->Text2)
            Text2_LostFocus();
    }
    return QDialog::eventFilter(watched, e);
}

} // namespace tav
