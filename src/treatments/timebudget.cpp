#include "treatments/timebudget.h"

namespace tav {

// The whole day until today's activities are counted against it.
int ComputeMinutesLeftToday()
{
    return 360;
}

} // namespace tav
