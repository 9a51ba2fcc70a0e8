#include "treatments/sheetprep.h"

#include "db/values.h"
#include "printing/spacing.h"
#include "services/globals.h"

namespace tav::treatments {

namespace {

const QStringList& tempFields()
{
    static const QStringList f = {QStringLiteral("Data"), QStringLiteral("Help"), QStringLiteral("KodHelp"),
                                  QStringLiteral("TextHelp"), QStringLiteral("KodZab")};
    return f;
}

QString spreadTrimmed(const QString& text)
{
    return trimBlanks(SpreadTextWide(text));
}

} // namespace

SheetPlan PlanOutpatientSheet(const db::Rows& helpRows)
{
    SheetPlan plan;
    const auto names = QSharedPointer<const QStringList>::create(tempFields());
    for (const db::Row& r : helpRows) {
        if (!r.yes(QStringLiteral("ZK")))
            continue;
        const QString code = r.text(QStringLiteral("KodHelp"));
        if (code == QLatin1String("101"))
            plan.printDentalStatus = true;
        QString shownCode = trimBlanks(code);
        if (shownCode.size() > 3) {
            plan.longCodes << code;
            shownCode = shownCode.left(3);
        }
        const QString tooth = trimBlanks(r.text(QStringLiteral("KodZab")));
        QVector<QVariant> v = {
            r.value(QStringLiteral("Data")),
            r.value(QStringLiteral("Help")),
            nullIfEmpty(shownCode.isEmpty() ? QString() : spreadTrimmed(shownCode)),
            r.value(QStringLiteral("TextHelp")),
            nullIfEmpty(tooth.isEmpty() ? QString() : spreadTrimmed(tooth)),
        };
        plan.tempRows.push_back(db::Row(names, v));
        plan.marked << r.value(QStringLiteral("RecID")).toLongLong();
    }
    return plan;
}

void WriteOutpatientSheet(const SheetPlan& plan)
{
    db::Connection c = db::Connection::main();
    db::Transaction t(c);
    c.exec(QStringLiteral("DELETE FROM TempKarton"));
    for (const db::Row& r : plan.tempRows)
        c.insert(QStringLiteral("TempKarton"), tempFields(), QVariantList(r.values().begin(), r.values().end()));
    for (qint64 id : plan.marked)
        if (c.exec(QStringLiteral("UPDATE Help SET Schet = 1, ZK = 0 WHERE RecID = ?"), {id}) != 1)
            throw db::DbError(QStringLiteral("Записът вече не съществува в базата данни"), QStringLiteral("Help"));
    t.commit();
}

db::Rows PatientTreatmentRows(const QString& egn)
{
    db::Connection c = db::Connection::main();
    return c.query(QStringLiteral("SELECT * FROM Help WHERE EGN = ? ORDER BY Data, KodHelp, RecID"), {egn});
}

SheetPlan PrepareOutpatientSheet(const QString& egn, const std::function<void(const QString&)>& warn)
{
    const SheetPlan plan = PlanOutpatientSheet(PatientTreatmentRows(egn));
    if (warn)
        for (int i = 0; i < plan.longCodes.size(); ++i)
            warn(kMsgCodeTooLong);
    WriteOutpatientSheet(plan);
    PrintEGN = egn;
    PrintDentalStatus = plan.printDentalStatus;
    return plan;
}

} // namespace tav::treatments
