#include "treatments/rprgrafic.h"

#include "db/values.h"
#include "report/dataenvironment.h"
#include "services/dialogs.h"
#include "services/globals.h"
#include "services/program.h"
#include "treatments/grafic.h"

namespace tav {

namespace {
const QString kLayout = QStringLiteral(":/report/layouts/rprGrafic.json");
}

QString graficHeading(const QDate& day)
{
    return toDDMMYYYY(day) + QStringLiteral(" - ") + weekdayName(day);
}

rprGrafic::rprGrafic() : SharedReport(kLayout) {}

rprGrafic::rprGrafic(const QDate& day) : SharedReport(kLayout), given_(day) {}

void rprGrafic::initialize()
{
    if (given_) {
        day_ = *given_;
    } else {
        const std::optional<QDate> chosen = DateChoice(kGraficPrompt, mainWindow());
        day_ = chosen ? *chosen : Clock::today().addDays(1);
    }
    // The page header's third and fourth controls.
    report::Section& header = layout().section(report::SectionKind::PageHeader);
    header.control(3).setCaption(graficHeading(day_));
    header.control(4).setCaption(QStringLiteral("при д-р ") + CurrentDoctorName);
    DataEnvironment1::instance().setCommandText(
        1, QStringLiteral("SELECT * FROM Grafic WHERE KodMedic = ? AND Data = ?"), {CurrentDoctorCode, day_});
}

} // namespace tav
