#pragma once
// Today's working-time budget.

namespace tav {

// Minutes of today's working time not yet taken by today's activities.
int ComputeMinutesLeftToday();

} // namespace tav
