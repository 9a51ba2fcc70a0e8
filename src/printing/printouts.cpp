#include "printing/printouts.h"

#include "printing/dentalcard.h"
#include "printing/outpatientsheet.h"
#include "printing/patientcard.h"
#include "services/dialogs.h"
#include "services/hourglass.h"

namespace tav::printing {

namespace {

template <class T, class... Args>
T* showNew(Args&&... args)
{
    try {
        Hourglass wait;
        return T::showShared(std::forward<Args>(args)...);
    } catch (const db::DbError& e) {
        InfoMessage(e.userText());
        return nullptr;
    }
}

// A card already open makes room for the new one, also for its own patient:
// the rows may have changed since it was filled.
template <class T>
T* showCard(const QString& egn, std::function<void()> onClosed)
{
    T::closeForNewPrint();
    return showNew<T>(egn, std::move(onClosed));
}

} // namespace

rprKarton* ShowOutpatientSheet(std::function<void()> onClosed)
{
    // TempKarton holds the rows of this print only: an open sheet shows older ones.
    rprKarton::closeForNewPrint();
    return showNew<rprKarton>(std::move(onClosed));
}

rprHelpData* ShowDentalCard(const QString& egn, std::function<void()> onClosed)
{
    return showCard<rprHelpData>(egn, std::move(onClosed));
}

rprPacient* ShowPatientCard(const QString& egn, std::function<void()> onClosed)
{
    return showCard<rprPacient>(egn, std::move(onClosed));
}

} // namespace tav::printing
