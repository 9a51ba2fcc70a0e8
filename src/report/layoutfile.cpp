#include "report/layoutfile.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace tav::report {

namespace {

class Reader {
public:
    explicit Reader(QString origin) : origin_(std::move(origin)) {}

    [[noreturn]] void fail(const QString& where, const QString& what) const
    {
        throw LayoutError(QStringLiteral("Грешка в описанието на справка %1 (%2): %3").arg(origin_, where, what));
    }

    void onlyKeys(const QJsonObject& o, const QSet<QString>& allowed, const QString& where) const
    {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!allowed.contains(it.key()))
                fail(where, QStringLiteral("непознато свойство \"%1\"").arg(it.key()));
    }

    int integer(const QJsonValue& v, const QString& where) const
    {
        if (!v.isDouble() || v.toDouble() != double(qint64(v.toDouble())))
            fail(where, QStringLiteral("очаква се цяло число"));
        return int(v.toDouble());
    }

    QString text(const QJsonValue& v, const QString& where) const
    {
        if (!v.isString())
            fail(where, QStringLiteral("очаква се текст"));
        return v.toString();
    }

    bool flag(const QJsonValue& v, const QString& where) const
    {
        if (!v.isBool())
            fail(where, QStringLiteral("очаква се true или false"));
        return v.toBool();
    }

    QColor color(const QJsonValue& v, const QString& where) const
    {
        const QColor c(text(v, where));
        if (!c.isValid())
            fail(where, QStringLiteral("непознат цвят"));
        return c;
    }

    QVector<int> numbers(const QJsonValue& v, int count, const QString& where) const
    {
        const QJsonArray a = v.toArray();
        if (!v.isArray() || a.size() != count)
            fail(where, QStringLiteral("очакват се %1 числа").arg(count));
        QVector<int> out;
        for (const QJsonValue& x : a)
            out << integer(x, where);
        return out;
    }

    FontDef font(const QJsonValue& v, const FontDef& base, const QString& where) const
    {
        if (v.isString()) {
            const auto it = fonts_.find(v.toString());
            if (it == fonts_.end())
                fail(where, QStringLiteral("няма шрифт \"%1\"").arg(v.toString()));
            return *it;
        }
        if (!v.isObject())
            fail(where, QStringLiteral("очаква се шрифт"));
        const QJsonObject o = v.toObject();
        onlyKeys(o, {"family", "size", "bold", "italic", "underline", "charset"}, where);
        FontDef f = base;
        if (o.contains("family"))
            f.family = text(o["family"], where);
        if (o.contains("size")) {
            if (!o["size"].isDouble() || o["size"].toDouble() <= 0)
                fail(where, QStringLiteral("неправилен размер на шрифт"));
            f.pointSize = o["size"].toDouble();
        }
        if (o.contains("bold"))
            f.bold = flag(o["bold"], where);
        if (o.contains("italic"))
            f.italic = flag(o["italic"], where);
        if (o.contains("underline"))
            f.underline = flag(o["underline"], where);
        if (o.contains("charset"))
            f.charset = integer(o["charset"], where);
        return f;
    }

    Control control(const QJsonObject& o, const FontDef& base, const QString& where0) const
    {
        Control c;
        c.name = o["name"].toString();
        const QString where = where0 + "." + (c.name.isEmpty() ? QStringLiteral("?") : c.name);
        if (c.name.isEmpty())
            fail(where, QStringLiteral("контрола без име"));
        const QString type = text(o["type"], where);
        static const QHash<QString, ControlKind> kinds = {
            {"label", ControlKind::Label}, {"textBox", ControlKind::TextBox},
            {"function", ControlKind::Function}, {"line", ControlKind::Line}, {"shape", ControlKind::Shape}};
        if (!kinds.contains(type))
            fail(where, QStringLiteral("непознат вид контрола \"%1\"").arg(type));
        c.kind = kinds[type];
        c.font = base;

        switch (c.kind) {
        case ControlKind::Line:
            onlyKeys(o, {"type", "name", "line", "foreColor", "penWidth", "visible"}, where);
            {
                const QVector<int> p = numbers(o["line"], 4, where);
                c.line = QLineF(p[0], p[1], p[2], p[3]);
                c.rect = QRect(QPoint(qMin(p[0], p[2]), qMin(p[1], p[3])),
                               QSize(qAbs(p[2] - p[0]), qAbs(p[3] - p[1])));
            }
            break;
        case ControlKind::Shape:
            onlyKeys(o, {"type", "name", "rect", "shape", "foreColor", "backStyle", "backColor", "penWidth", "visible"}, where);
            break;
        case ControlKind::Label:
            onlyKeys(o, {"type", "name", "rect", "caption", "font", "align", "wrap", "breakAfter", "shrink", "border",
                         "borderColor", "backStyle", "backColor", "foreColor", "visible"}, where);
            break;
        case ControlKind::TextBox:
        case ControlKind::Function:
            onlyKeys(o, {"type", "name", "rect", "field", "format", "function", "caption", "font", "align", "wrap",
                         "breakAfter", "shrink", "border", "borderColor", "backStyle", "backColor", "foreColor", "visible"}, where);
            c.dataField = text(o["field"], where);
            if (c.kind == ControlKind::TextBox && o.contains("function"))
                fail(where, QStringLiteral("функция е само за контроли от вид function"));
            if (o.contains("function") && text(o["function"], where) != QLatin1String("sum"))
                fail(where, QStringLiteral("познава се само функцията sum"));
            break;
        }
        if (c.kind != ControlKind::Line) {
            const QVector<int> r = numbers(o["rect"], 4, where);
            if (r[2] < 0 || r[3] < 0)
                fail(where, QStringLiteral("отрицателен размер"));
            c.rect = QRect(r[0], r[1], r[2], r[3]);
        }
        if (o.contains("caption"))
            c.caption = text(o["caption"], where);
        if (o.contains("format"))
            c.format = text(o["format"], where);
        if (o.contains("font"))
            c.font = font(o["font"], base, where);
        if (o.contains("align")) {
            const QString a = text(o["align"], where);
            if (a == QLatin1String("left"))
                c.align = Align::Left;
            else if (a == QLatin1String("center"))
                c.align = Align::Center;
            else if (a == QLatin1String("right"))
                c.align = Align::Right;
            else
                fail(where, QStringLiteral("непознато подравняване \"%1\"").arg(a));
        }
        if (o.contains("wrap"))
            c.wrap = flag(o["wrap"], where) ? Wrap::Yes : Wrap::No;
        if (o.contains("breakAfter"))
            c.breakAfter = text(o["breakAfter"], where);
        if (o.contains("shrink"))
            c.shrink = flag(o["shrink"], where);
        if (o.contains("border")) {
            c.borderStyle = integer(o["border"], where);
            if (c.borderStyle != 0 && c.borderStyle != 1)
                fail(where, QStringLiteral("рамката е 0 или 1"));
        }
        if (o.contains("backStyle")) {
            const QString b = text(o["backStyle"], where);
            if (b != QLatin1String("opaque") && b != QLatin1String("transparent"))
                fail(where, QStringLiteral("фонът е opaque или transparent"));
            c.opaque = b == QLatin1String("opaque");
        }
        if (o.contains("backColor"))
            c.backColor = color(o["backColor"], where);
        if (o.contains("borderColor"))
            c.borderColor = color(o["borderColor"], where);
        if (o.contains("foreColor"))
            c.foreColor = color(o["foreColor"], where);
        if (o.contains("shape")) {
            const QString s = text(o["shape"], where);
            if (s == QLatin1String("rectangle"))
                c.shape = ShapeKind::Rectangle;
            else if (s == QLatin1String("oval"))
                c.shape = ShapeKind::Oval;
            else if (s == QLatin1String("circle"))
                c.shape = ShapeKind::Circle;
            else
                fail(where, QStringLiteral("непозната фигура \"%1\"").arg(s));
        }
        if (o.contains("penWidth"))
            c.penWidth = integer(o["penWidth"], where);
        if (o.contains("visible"))
            c.visible = flag(o["visible"], where);
        return c;
    }

    Layout layout(const QJsonObject& root)
    {
        onlyKeys(root, {"name", "caption", "width", "margins", "paper", "orientation", "font", "fonts",
                        "dataMember", "sections"}, "report");
        Layout l;
        l.name = text(root["name"], "name");
        if (root.contains("caption"))
            l.caption = text(root["caption"], "caption");
        l.width = integer(root["width"], "width");
        if (root.contains("margins")) {
            const QJsonObject m = root["margins"].toObject();
            onlyKeys(m, {"left", "right", "top", "bottom"}, "margins");
            l.margins.left = m.contains("left") ? integer(m["left"], "margins.left") : l.margins.left;
            l.margins.right = m.contains("right") ? integer(m["right"], "margins.right") : l.margins.right;
            l.margins.top = m.contains("top") ? integer(m["top"], "margins.top") : l.margins.top;
            l.margins.bottom = m.contains("bottom") ? integer(m["bottom"], "margins.bottom") : l.margins.bottom;
        }
        if (root.contains("paper"))
            l.paper = text(root["paper"], "paper");
        if (root.contains("orientation")) {
            const QString o = text(root["orientation"], "orientation");
            if (o != QLatin1String("portrait") && o != QLatin1String("landscape"))
                fail("orientation", QStringLiteral("portrait или landscape"));
            l.landscape = o == QLatin1String("landscape");
        }
        if (root.contains("font"))
            l.font = font(root["font"], FontDef{}, "font");
        if (root.contains("dataMember"))
            l.dataMember = text(root["dataMember"], "dataMember");
        const QJsonObject fonts = root["fonts"].toObject();
        for (auto it = fonts.begin(); it != fonts.end(); ++it)
            fonts_.insert(it.key(), font(it.value(), l.font, "fonts." + it.key()));

        static const QHash<QString, SectionKind> kinds = {
            {"reportHeader", SectionKind::ReportHeader}, {"pageHeader", SectionKind::PageHeader},
            {"detail", SectionKind::Detail}, {"pageFooter", SectionKind::PageFooter},
            {"reportFooter", SectionKind::ReportFooter}};
        QSet<SectionKind> seenKinds;
        for (const QJsonValue& sv : root["sections"].toArray()) {
            const QJsonObject so = sv.toObject();
            Section s;
            s.name = text(so["name"], "sections");
            const QString where = s.name;
            onlyKeys(so, {"name", "kind", "height", "visible", "controls"}, where);
            const QString kind = text(so["kind"], where);
            if (!kinds.contains(kind))
                fail(where, QStringLiteral("непознат вид секция \"%1\"").arg(kind));
            s.kind = kinds[kind];
            if (seenKinds.contains(s.kind))
                fail(where, QStringLiteral("втора секция от вид %1").arg(kind));
            seenKinds.insert(s.kind);
            s.height = so.contains("height") ? integer(so["height"], where) : 0;
            if (so.contains("visible"))
                s.visible = flag(so["visible"], where);
            QSet<QString> names;
            for (const QJsonValue& cv : so["controls"].toArray()) {
                Control c = control(cv.toObject(), l.font, where);
                if (names.contains(c.name.toLower()))
                    fail(where, QStringLiteral("второ име %1").arg(c.name));
                names.insert(c.name.toLower());
                s.controls.push_back(std::move(c));
            }
            if (l.find(s.name))
                fail(where, QStringLiteral("второ име на секция"));
            l.sections.push_back(std::move(s));
        }
        return l;
    }

private:
    QString origin_;
    QHash<QString, FontDef> fonts_;
};

} // namespace

Layout parseLayout(const QByteArray& json, const QString& origin)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    Reader r(origin);
    if (err.error != QJsonParseError::NoError)
        r.fail(QStringLiteral("позиция %1").arg(err.offset), err.errorString());
    if (!doc.isObject())
        r.fail("report", QStringLiteral("очаква се обект"));
    return r.layout(doc.object());
}

Layout loadLayout(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw LayoutError(QStringLiteral("Описанието на справка %1 не може да се прочете: %2").arg(path, f.errorString()));
    return parseLayout(f.readAll(), path);
}

} // namespace tav::report
