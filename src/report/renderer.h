#pragma once
// Pagination and drawing. A report is first laid out into a display list
// (everything each page draws, in twips from the sheet's top left corner);
// the preview, the printer and the PDF writer all paint that same list, and
// tests read it.

#include "db/database.h"
#include "report/layout.h"

#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QSizeF>
#include <functional>

class QPainter;

namespace tav::report {

enum class ItemKind { Text, Line, Rectangle, Ellipse };

struct DrawItem {
    ItemKind kind = ItemKind::Text;
    int page = 1;              // 1-based
    QRectF rect;               // Text: the extent of one drawn line, trailing blanks included;
                               // shapes and borders: their rectangle
    QRectF clip;               // Text: the control's box, at which the text is cut
    QLineF line;               // Line
    QString text;              // Text: one line as drawn
    QString family;            // the font drawn ("Liberation Sans")
    QString layoutFamily;      // the font the layout names ("Arial")
    double pointSize = 0;      // as drawn: below the layout's in a box that shrinks its text
    int stretch = 100;         // Text: the letters' width in percent, below 100 for a line drawn narrower
    bool bold = false;
    bool italic = false;
    QFont font;
    double baseline = 0;       // Text
    QColor pen;                // invalid: no outline
    QColor fill;               // invalid: no fill
    int penWidth = 0;
    QString section;
    QString control;
    int row = -1;              // the data row of a detail, -1 elsewhere

    bool clipped() const { return kind == ItemKind::Text && !clip.contains(rect); }
};

// What a fill may change while a section is placed: its own copy of the
// section, so texts and visibility set here hold for this placement only.
struct SectionFormat {
    Section& section;
    const db::Row* row;        // the detail's row; in other sections the current row, or null
    int rowIndex;              // 0-based, -1 when there is no row
    int page;
};
using FormatHook = std::function<void(SectionFormat&)>;

struct Rendered {
    QSizeF paper;              // twips
    int pageCount = 0;
    QVector<DrawItem> items;   // in page order
    QVector<int> pageStart;    // index of each page's first item; pageStart[pageCount] = items.size()

    QVector<DrawItem> page(int page) const;
    // Every item drawn for a control (all pages, all rows).
    QVector<DrawItem> of(const QString& control) const;
};

// The sheet in twips: A4, A3, A5, Letter or Legal, turned for landscape.
QSizeF paperSize(const Layout& layout);

// Lays the report out: the report header at the top of the first page, the
// page header on every page, one detail per row (a detail that does not fit
// above the page footer starts the next page), the page footer at the foot
// of every page, the report footer after the last detail.
Rendered render(const Layout& layout, const db::Rows& rows, const FormatHook& hook = {});

// Paints one page of the list; the painter's coordinates are twips from the
// sheet's top left corner.
void paintPage(QPainter& painter, const Rendered& r, int page);

} // namespace tav::report
