#pragma once
// The Windows fonts the layouts name, mapped to the metric-compatible
// Liberation fonts, so that texts fit the boxes they were measured for.

#include "report/layout.h"

#include <QFont>
#include <QString>

namespace tav::report {

// "Arial", "Arial Cyr", "SwissCyr" -> "Liberation Sans"; "Arial Narrow" ->
// "Liberation Sans Narrow"; "Times New Roman (Cyr)", "MS Serif" ->
// "Liberation Serif"; "Courier (New) (Cyr)", "CourierCyr" -> "Liberation Mono".
// Anything else falls back to "Liberation Sans".
QString mappedFamily(const QString& layoutFamily);

// A font whose pixel size is in twips: drawn through a painter scaled from
// twips to the device, it keeps its size and metrics on every device.
// `stretch` narrows (below 100) the letters' width, in percent.
QFont reportFont(const FontDef& def, int stretch = 100);

} // namespace tav::report
