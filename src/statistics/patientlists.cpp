#include "statistics/patientlists.h"

#include "db/database.h"
#include "db/values.h"
#include "report/dataenvironment.h"
#include "statistics/seekdati.h"


namespace tav::statistics {

namespace {

const QString kCommand = QStringLiteral("comDataB");
const QString kHeader = QStringLiteral("PageHeader");
const QString kDetail = QStringLiteral("Command1_Detail");

// The range of the dialog's members into the list's header and query.
void prepare(report::Report& r, const QString& field)
{
    const SeekDati::Vars& v = SeekDati::vars();
    r.control(kHeader, QStringLiteral("Label4")).setCaption(toDDMMYYYY(v.dStart));
    r.control(kHeader, QStringLiteral("Label5")).setCaption(toDDMMYYYY(v.dStop));
    DataEnvironment1::instance().setCommandText(kCommand, patientListQuery(field), {v.dStart, v.dStop});
}

template <class Report>
void showAnew()
{
    if (Report* live = Report::instance()) {
        live->keepDialogOpen();
        Report::closeShared();
    }
    Report::showShared();
}

} // namespace

QString patientListQuery(const QString& field)
{
    const QString date = QStringLiteral("%1(%2)").arg(QLatin1String(db::kDayFirstDate), db::quoteName(field));
    return QStringLiteral("SELECT * FROM Pacients WHERE %1 BETWEEN ? AND ? ORDER BY %1, RecID").arg(date);
}

void unloadPatientListDialog()
{
    SeekDati::unloadShared();
}

rprDataR::rprDataR() : PatientList(QStringLiteral(":/report/layouts/rprDataR.json"))
{
}

void rprDataR::initialize()
{
    const bool born = SeekDati::vars().sVidSpr != QLatin1String("2");
    const QString field = born ? QStringLiteral("DataB") : QStringLiteral("DataR");
    control(kHeader, QStringLiteral("Label2"))
        .setCaption(born ? QStringLiteral("родени от") : QStringLiteral("регистрирани от"));
    control(kHeader, QStringLiteral("Label6"))
        .setCaption(born ? QStringLiteral("Дата на раждане") : QStringLiteral("Дата на регист."));
    control(kDetail, QStringLiteral("Text3")).dataField = field;
    prepare(*this, field);
}

rprDataP::rprDataP() : PatientList(QStringLiteral(":/report/layouts/rprDataP.json"))
{
}

void rprDataP::initialize()
{
    prepare(*this, QStringLiteral("DataR"));
}

void showPatientList(const QString& kind)
{
    if (kind == QLatin1String("3"))
        showAnew<rprDataP>();
    else
        showAnew<rprDataR>();
}

} // namespace tav::statistics
