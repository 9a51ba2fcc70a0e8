#pragma once
// Layout files: JSON in the program's resources (":/report/layouts/...").
//
//   { "name": "rptX", "caption": "...", "width": 9675,
//     "margins": {"left": 0, "right": 0, "top": 1440, "bottom": 1440},
//     "paper": "A4", "orientation": "portrait", "dataMember": "comPac",
//     "font": {"family": "Arial", "size": 8.25},
//     "fonts": {"a9b": {"family": "Arial", "size": 9, "bold": true}},
//     "sections": [ {"name": "PageHeader", "kind": "pageHeader", "height": 600,
//        "controls": [
//          {"type": "label", "name": "Label1", "rect": [0, 0, 900, 255],
//           "caption": "...", "font": "a9b", "align": "center", "wrap": false, "breakAfter": ",",
//           "shrink": true, "border": 1, "borderColor": "#000000", "backStyle": "opaque", "backColor": "#E0E0E0",
//           "foreColor": "#0000FF"},
//          {"type": "textBox", "name": "Text1", "rect": [...], "field": "Data", "format": "dd.mm.yyyy"},
//          {"type": "function", "name": "Sum1", "rect": [...], "field": "Cena", "format": "0.00"},
//          {"type": "line", "name": "Line1", "line": [x1, y1, x2, y2]},
//          {"type": "shape", "name": "Shape1", "rect": [...], "shape": "circle", "visible": false}
//        ]} ] }
//
// Section kinds: reportHeader, pageHeader, detail, pageFooter, reportFooter.
// Unknown keys are errors, so a misspelt property never passes unnoticed.

#include "db/database.h"
#include "report/layout.h"

#include <QByteArray>

namespace tav::report {

// A layout that cannot be read or used. A DbError, so the handlers of user
// actions show it like any other failure to read the program's files.
class LayoutError : public db::DbError {
public:
    explicit LayoutError(const QString& message) : db::DbError(message) {}
};

// `origin` names the file in error messages.
Layout parseLayout(const QByteArray& json, const QString& origin = {});
// A file or a resource path; throws LayoutError.
Layout loadLayout(const QString& path);

} // namespace tav::report
