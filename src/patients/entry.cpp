#include "patients/entry.h"

#include "patients/kartonadd.h"
#include "patients/seekname.h"
#include "services/globals.h"

namespace tav::patients {

void openNewPatientCard(QWidget*)
{
    CardMode = QStringLiteral("New");
    KartonAdd::showShared();
}

void openSearchByName(QWidget*)
{
    SeekName::showShared();
}

} // namespace tav::patients
