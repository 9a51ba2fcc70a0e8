#include "patients/maintenance.h"

#include "db/database.h"
#include "db/statement.h"
#include "patients/egn.h"
#include "patients/patientrecord.h"
#include "patients/prompts.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "services/hourglass.h"

#include <QGuiApplication>
#include <memory>

namespace tav::patients {

namespace {

const QString kEgnPassLabel = QStringLiteral("Проверка на ЕГН-тата...");
const QString kNamesPassLabel = QStringLiteral("Проверка на имената...");
const QString kRemovalLabel = QStringLiteral("Подреждам данните...");

// A message waits for the user with the normal pointer, not the hourglass
// of the run behind it.
void sayWithNormalPointer(const QString& text, QWidget* owner)
{
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    say(text, owner);
    QGuiApplication::restoreOverrideCursor();
}

// The progress window, shown once the number of rows is known.
class LazyProgress {
public:
    LazyProgress(QString label, QWidget* owner) : label_(std::move(label)), owner_(owner) {}
    void operator()(int position, int count)
    {
        if (!window_)
            window_ = std::make_unique<ProgressWindow>(label_, count, owner_);
        window_->setValue(position);
    }
    void close() { window_.reset(); }

private:
    QString label_;
    QWidget* owner_;
    std::unique_ptr<ProgressWindow> window_;
};

} // namespace

RowsWithoutEgn removeRowsWithoutEgn()
{
    db::Connection c = db::Connection::main();
    db::Transaction t(c);
    RowsWithoutEgn removed;
    removed.pacients = c.exec(QStringLiteral("DELETE FROM Pacients WHERE EGN IS NULL OR EGN = ''"));
    removed.dental = c.exec(QStringLiteral("DELETE FROM Dental WHERE EGN IS NULL OR EGN = ''"));
    removed.help = c.exec(QStringLiteral("DELETE FROM Help WHERE EGN IS NULL OR EGN = ''"));
    t.commit();
    return removed;
}

QStringList storedEgnsInOrder()
{
    db::Connection c = db::Connection::main();
    QStringList egns;
    for (const db::Row& r : c.query(QStringLiteral("SELECT EGN FROM Pacients ORDER BY EGN, RecID")))
        egns << r.text(QStringLiteral("EGN"));
    return egns;
}

QStringList egnFaultMessages(const QString& egn)
{
    QStringList messages;
    const QString tail = QStringLiteral("\r   ") + egn;
    if (IsEGNDateWrong(egn))
        messages << kMsgEgnDateWrong + tail;
    if (IsEGNMonthWrong(egn))
        messages << kMsgEgnMonthWrong + tail;
    if (IsEGNChecksumWrong(egn))
        messages << kMsgEgnChecksumWrong + tail;
    return messages;
}

NamesAndBirthDates nameAndRewriteBirthDates(const std::function<void(int, int)>& progress)
{
    db::Connection c = db::Connection::main();
    db::keepPagesInMemory(c);
    db::Transaction t(c);
    NamesAndBirthDates done;
    done.named = c.exec(QStringLiteral("UPDATE Pacients SET Names = ? WHERE Names IS NULL OR Names = ''"),
                        {kNamelessPlaceholder});
    const db::Rows rows = c.query(QStringLiteral("SELECT RecID, EGN, DataB FROM Pacients ORDER BY EGN, RecID"));
    db::Statement write(c, QStringLiteral("UPDATE Pacients SET DataB = ? WHERE RecID = ?"));
    const int count = int(rows.size());
    for (int i = 0; i < count; ++i) {
        if (progress)
            progress(i + 1, count);
        const db::Row& r = rows[i];
        const QString dataB = DataBFromEGN(r.text(QStringLiteral("EGN")));
        // A row that already holds the text keeps it: the same outcome as
        // writing it again.
        const QVariant old = r.value(QStringLiteral("DataB"));
        if (old.isNull() || old.toString() != dataB)
            write.exec({dataB, r.value(QStringLiteral("RecID"))});
    }
    done.patients = count;
    t.commit();
    return done;
}

int removeOtherDoctorsPatients(const QString& doctorCode, const std::function<void(int, int)>& progress)
{
    db::Connection c = db::Connection::main();
    db::keepPagesInMemory(c);
    db::Transaction t(c);
    // Codes compare as the old database compared them: "d1" is "D1".
    const QString others = QStringLiteral("LKod <> ? COLLATE UNOCASE");
    const db::Rows patients =
        c.query(QStringLiteral("SELECT EGN FROM Pacients WHERE %1 ORDER BY RecID").arg(others), {doctorCode});
    if (patients.isEmpty())
        return 0;
    db::Statement removeTreatments(c, QStringLiteral("DELETE FROM Help WHERE EGN = ?"));
    db::Statement removeChart(c, QStringLiteral("DELETE FROM Dental WHERE EGN = ?"));
    const int count = int(patients.size());
    for (int i = 0; i < count; ++i) {
        if (progress)
            progress(i + 1, count);
        const QString egn = patients[i].text(QStringLiteral("EGN"));
        removeTreatments.exec({egn});
        removeChart.exec({egn});
    }
    const int removed = c.exec(QStringLiteral("DELETE FROM Pacients WHERE %1").arg(others), {doctorCode});
    t.commit();
    return removed;
}

void RepairDatabase(QWidget* owner)
{
    Hourglass wait;
    QStringList egns;
    try {
        removeRowsWithoutEgn();
        egns = storedEgnsInOrder();
    } catch (const db::DbError& e) {
        sayWithNormalPointer(e.userText() + QStringLiteral("\rБазата данни не е променена."), owner);
        return;
    }
    if (egns.isEmpty())
        return;

    bool faulty = false;
    {
        ProgressWindow window(kEgnPassLabel, int(egns.size()), owner);
        for (int i = 0; i < egns.size(); ++i) {
            window.setValue(i + 1);
            for (const QString& message : egnFaultMessages(egns[i])) {
                sayWithNormalPointer(message, owner);
                faulty = true;
            }
        }
    }
    // The user mends the EGNs first; names and birth dates wait for that.
    if (faulty)
        return;

    LazyProgress progress(kNamesPassLabel, owner);
    try {
        nameAndRewriteBirthDates(std::ref(progress));
    } catch (const db::DbError& e) {
        progress.close();
        sayWithNormalPointer(e.userText() + QStringLiteral("\rИмената и рождените дати не са променени."), owner);
        return;
    }
    progress.close();
    sayWithNormalPointer(kMsgRepairDone, owner);
}

void DeleteOtherDoctorsPatients(QWidget* owner)
{
    Hourglass wait;
    LazyProgress progress(kRemovalLabel, owner);
    try {
        removeOtherDoctorsPatients(CurrentDoctorCode, std::ref(progress));
    } catch (const db::DbError& e) {
        progress.close();
        sayWithNormalPointer(e.userText() + QStringLiteral("\rНито един пациент не е изтрит."), owner);
    }
}

} // namespace tav::patients
