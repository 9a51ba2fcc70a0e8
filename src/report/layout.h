#pragma once
// The model of a printed report: sections of controls placed in twips
// (1440 per inch, 20 per point), as the layout files describe them.

#include <QColor>
#include <QLineF>
#include <QRect>
#include <QString>
#include <QVector>

namespace tav::report {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kTwipsPerPoint = 20;

enum class SectionKind { ReportHeader, PageHeader, Detail, PageFooter, ReportFooter };
enum class ControlKind { Label, TextBox, Function, Line, Shape };
enum class ShapeKind { Rectangle, Oval, Circle };
enum class Align { Left, Center, Right };
enum class Wrap { Auto, Yes, No };   // Auto: wraps when the box holds two lines

struct FontDef {
    QString family = QStringLiteral("Arial");   // as the layout names it
    double pointSize = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int charset = 204;   // kept for the record; every font here is Unicode

    bool operator==(const FontDef&) const = default;
};

struct Control {
    QString name;
    ControlKind kind = ControlKind::Label;
    QRect rect;            // left, top, width, height in twips, within the section
    QLineF line;           // lines: from (x1, y1) to (x2, y2)

    QString caption;       // labels; text boxes and functions after formatting
    QString dataField;     // text boxes and functions
    QString format;        // stored number or date format; empty: default text form
    QString function = QStringLiteral("sum");   // functions: only the sum exists

    FontDef font;
    Align align = Align::Left;
    Wrap wrap = Wrap::Auto;
    QString breakAfter;            // characters after which a wrapped line may also break
    bool shrink = false;           // wrapped lines that overflow the box are drawn smaller
    int borderStyle = 0;           // 0 none, 1 single
    bool opaque = false;           // background filled with backColor
    QColor backColor = Qt::white;
    QColor foreColor = Qt::black;  // text, and the pen of lines and shapes
    QColor borderColor = Qt::black; // the border of a label, text box or function
    ShapeKind shape = ShapeKind::Rectangle;
    int penWidth = 15;             // twips: one pixel at 96 dpi
    bool visible = true;

    bool isText() const
    {
        return kind == ControlKind::Label || kind == ControlKind::TextBox || kind == ControlKind::Function;
    }
    void setCaption(const QString& text) { caption = text; }
    void setVisible(bool v) { visible = v; }
};

class Section {
public:
    QString name;
    SectionKind kind = SectionKind::Detail;
    int height = 0;
    bool visible = true;
    QVector<Control> controls;   // stored order

    // By 1-based position in stored order, or by name; throw std::out_of_range.
    Control& control(int position);
    Control& control(const QString& name);
    const Control& control(int position) const;
    const Control& control(const QString& name) const;
    Control* find(const QString& name);
    const Control* find(const QString& name) const;
    int count() const { return int(controls.size()); }
};

struct Margins {
    int left = 1440;
    int right = 1440;
    int top = 1440;
    int bottom = 1440;
};

class Layout {
public:
    QString name;
    QString caption;       // title of the preview window
    int width = 0;         // twips
    Margins margins;
    FontDef font;         // the report's base font
    QString paper = QStringLiteral("A4");
    bool landscape = false;
    QString dataMember;    // a command of DataEnvironment1, or empty
    QVector<Section> sections;   // stored order

    Section& section(int position);          // 1-based
    Section& section(const QString& name);
    Section& section(SectionKind kind);      // the first of that kind
    const Section& section(int position) const;
    const Section& section(const QString& name) const;
    Section* find(const QString& name);
    Section* find(SectionKind kind);
    const Section* find(SectionKind kind) const;
    int count() const { return int(sections.size()); }

    // A control by section and control name.
    Control& control(const QString& section, const QString& control);
};

QString sectionKindName(SectionKind k);

} // namespace tav::report
