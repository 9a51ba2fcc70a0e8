#include "databind/datacontrol.h"

#include "db/paths.h"
#include "db/values.h"
#include "services/plaintext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tav {

using db::Connection;
using db::DbError;
using db::Row;

namespace {
const QString kRecId = QStringLiteral("RecID");
const QString kRowGone = QStringLiteral("Записът вече не съществува в базата данни");
const QString kBadDate = QStringLiteral("Невалидна дата");
const QString kBadPrice = QStringLiteral("Невалидна цена");

QVariant nullOf(QMetaType t)
{
    return QVariant(t);
}
}

// ---------------------------------------------------------------- values

QString fieldText(const QVariant& v, DataControl::Format f)
{
    switch (f) {
    case DataControl::Format::Date:
        return toDDMMYYYY(dateFromIso(v));
    case DataControl::Format::Money: {
        if (v.isNull())
            return QString();
        QString s = Money::fromVariant(v).format(2);
        return s.replace(QLatin1Char('.'), QLocale().decimalPoint());
    }
    case DataControl::Format::YesNo:
        return v.toLongLong() != 0 ? QStringLiteral("1") : QStringLiteral("0");
    case DataControl::Format::Text:
        break;
    }
    return textOf(v);
}

QVariant fieldValue(const QString& text, DataControl::Format f)
{
    const bool blank = trimBlanks(text).isEmpty();
    switch (f) {
    case DataControl::Format::Date: {
        if (blank)
            return nullOf(QMetaType::fromType<QDate>());
        const auto d = dateFromDDMMYYYY(text);
        if (!d)
            throw DbError(kBadDate, text);
        return *d;
    }
    case DataControl::Format::Money: {
        if (blank)
            return nullOf(QMetaType::fromType<double>());
        const auto m = Money::parse(text);
        if (!m)
            throw DbError(kBadPrice, text);
        return m->toDouble();
    }
    case DataControl::Format::YesNo:
        return (blank || trimBlanks(text) == QStringLiteral("0")) ? 0 : 1;
    case DataControl::Format::Text:
        break;
    }
    return nullIfEmpty(text);
}

bool sameFieldValue(const QVariant& a, const QVariant& b, DataControl::Format f)
{
    switch (f) {
    case DataControl::Format::Date:
        return dateFromIso(a) == dateFromIso(b);
    case DataControl::Format::Money:
        return a.isNull() == b.isNull() && Money::fromVariant(a) == Money::fromVariant(b);
    case DataControl::Format::YesNo:
        return (a.toLongLong() != 0) == (b.toLongLong() != 0);
    case DataControl::Format::Text:
        break;
    }
    return a.isNull() == b.isNull() && textOf(a) == textOf(b);
}

// ---------------------------------------------------------------- control

DataControl::DataControl(QObject* parent) : QObject(parent) {}

DataControl::~DataControl() = default;

void DataControl::setRecordSource(const QString& table, const QString& clause, const QVariantList& params)
{
    // Another table has other fields: they are read again at the refresh.
    if (table.compare(table_, Qt::CaseInsensitive) != 0) {
        fieldNames_.clear();
        newRowValues_.clear();
    }
    table_ = table;
    clause_ = clause;
    params_ = params;
}

void DataControl::setCaption(const QString& text)
{
    if (text == caption_)
        return;
    caption_ = text;
    Q_EMIT captionChanged(caption_);
}

Connection DataControl::connect() const
{
    if (databaseName_.isEmpty() || databaseName_ == DatabasePath)
        return Connection::main();
    return Connection(databaseName_, db::OpenMode::ReadWrite);
}

void DataControl::refresh()
{
    Connection c = connect();
    if (fieldNames_.isEmpty()) {
        QStringList names, defaults;
        for (const Row& r : c.query(QStringLiteral("SELECT name, dflt_value FROM pragma_table_info(?) ORDER BY cid"),
                                    {table_})) {
            names << r.text(QStringLiteral("name"));
            defaults << (r.value(QStringLiteral("dflt_value")).isNull() ? QStringLiteral("NULL")
                                                                         : r.text(QStringLiteral("dflt_value")));
        }
        if (names.isEmpty())
            throw DbError(QStringLiteral("Липсва таблица в базата данни"), table_);
        // A new row starts with the declared defaults (0 in Yes/No fields),
        // as the table itself would fill them.
        const Row values = c.first(QStringLiteral("SELECT ") + defaults.join(QStringLiteral(", ")));
        newRowValues_ = values.values();
        fieldNames_ = names;
    }
    QString sql = QStringLiteral("SELECT * FROM ") + db::quoteName(table_);
    if (!clause_.isEmpty())
        sql += QLatin1Char(' ') + clause_;
    if (!clause_.contains(QStringLiteral("ORDER BY"), Qt::CaseInsensitive))
        sql += QStringLiteral(" ORDER BY RecID");
    db::Rows fresh = c.query(sql, params_);
    Q_EMIT rowsAboutToBeReset();
    rows_ = std::move(fresh);
    newRow_ = false;
    bufferChanged_ = false;
    open_ = true;
    Q_EMIT rowsReset();
    setCurrent(rows_.isEmpty() ? -1 : 0);
}

void DataControl::bind(QWidget* w, const QString& field, Format format)
{
    if (auto* l = qobject_cast<QLabel*>(w))
        l->setTextFormat(Qt::PlainText);
    bindings_.push_back({w, field, format});
    if (hasCurrent())
        showValue(bindings_.back(), rows_[current_].value(field));
}

void DataControl::unbindAll()
{
    bindings_.clear();
}

void DataControl::addPendingEdit(PendingEdit* e)
{
    if (!pendingEdits_.contains(e))
        pendingEdits_.push_back(e);
}

void DataControl::removePendingEdit(PendingEdit* e)
{
    pendingEdits_.removeAll(e);
}

void DataControl::flushPendingEdits()
{
    for (PendingEdit* e : pendingEdits_)
        e->flushPendingEdit();
}

namespace {
bool editable(QWidget* w)
{
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w)
        || qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w);
}

// The text a text-like widget holds; nullopt for other widgets.
std::optional<QString> typedText(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        return p->toPlainText();
    if (auto* t = qobject_cast<QTextEdit*>(w))
        return t->toPlainText();
    if (auto* cb = qobject_cast<QComboBox*>(w))
        return cb->currentText();
    return std::nullopt;
}
}

QVariant DataControl::widgetValue(const Binding& b) const
{
    if (auto* ch = qobject_cast<QCheckBox*>(b.widget.data()))
        return ch->isChecked() ? 1 : 0;
    const std::optional<QString> text = typedText(b.widget.data());
    if (!text)
        return {};
    return fieldValue(*text, b.format);
}

void DataControl::showValue(const Binding& b, const QVariant& v)
{
    QWidget* w = b.widget.data();
    if (!w)
        return;
    const QString text = fieldText(v, b.format);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(text);
        // A value wider than its box is read from its first letter.
        e->setCursorPosition(0);
    }
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        p->setPlainText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        t->setPlainText(text);
    else if (auto* cb = qobject_cast<QComboBox*>(w))
        cb->setCurrentText(text);
    else if (auto* ch = qobject_cast<QCheckBox*>(w))
        ch->setChecked(v.toLongLong() != 0);
    else if (auto* l = qobject_cast<QLabel*>(w))
        setPlainText(l, text);   // a stored "<b>" or "&lt;" is no markup
}

void DataControl::pushToWidgets()
{
    for (const Binding& b : bindings_)
        showValue(b, hasCurrent() ? rows_[current_].value(b.field) : QVariant());
}

void DataControl::pullFromWidgets()
{
    if (!hasCurrent())
        return;
    flushPendingEdits();
    // Every value is read before any is set: a bad one changes nothing.
    QVector<QPair<QString, QVariant>> values;
    for (const Binding& b : bindings_) {
        if (!b.widget || !editable(b.widget))
            continue;
        values.push_back({b.field, widgetValue(b)});
    }
    for (const auto& [field, value] : values)
        rows_[current_].set(field, value);
    if (!values.isEmpty())
        Q_EMIT rowChanged(current_);
}

bool DataControl::isDirty() const
{
    if (!hasCurrent())
        return false;
    if (bufferChanged_)
        return true;
    for (const PendingEdit* e : pendingEdits_)
        if (e->hasPendingEdit())
            return true;
    const Row& r = rows_[current_];
    for (const Binding& b : bindings_) {
        if (!b.widget || !editable(b.widget))
            continue;
        if (auto* ch = qobject_cast<QCheckBox*>(b.widget.data())) {
            if ((r.value(b.field).toLongLong() != 0) != ch->isChecked())
                return true;
            continue;
        }
        const QString typed = typedText(b.widget.data()).value_or(QString());
        if (typed == fieldText(r.value(b.field), b.format))
            continue;
        // "50" typed for a price stored as 50.00 is no edit once written.
        if (b.format == Format::Money || b.format == Format::Date) {
            try {
                if (sameFieldValue(fieldValue(typed, b.format), r.value(b.field), b.format))
                    continue;
            } catch (const DbError&) {
            }
        }
        return true;
    }
    return false;
}

const Row& DataControl::currentRow() const
{
    static const Row none;
    return hasCurrent() ? rows_[current_] : none;
}

QVariant DataControl::field(const QString& name) const
{
    return currentRow().value(name);
}

QString DataControl::text(const QString& name) const
{
    return currentRow().text(name);
}

void DataControl::setField(const QString& name, const QVariant& value)
{
    if (!hasCurrent())
        return;
    rows_[current_].set(name, value);
    bufferChanged_ = true;
    for (const Binding& b : bindings_)
        if (b.field.compare(name, Qt::CaseInsensitive) == 0)
            showValue(b, value);
    Q_EMIT rowChanged(current_);
}

void DataControl::setCurrent(int pos)
{
    current_ = pos;
    bufferChanged_ = false;
    original_ = hasCurrent() ? rows_[current_] : Row();
    pushToWidgets();
    Q_EMIT reposition();
}

void DataControl::removeRow(int pos)
{
    Q_EMIT rowAboutToBeRemoved(pos);
    rows_.removeAt(pos);
    Q_EMIT rowRemoved(pos);
}

bool DataControl::reportError(const DbError& e)
{
    int response = 1;
    if (isSignalConnected(QMetaMethod::fromSignal(&DataControl::error)))
        Q_EMIT error(e.userText(), response);
    return response == 0;
}

bool DataControl::leaveCurrent(int action)
{
    if (!hasCurrent())
        return true;
    try {
        flushPendingEdits();
    } catch (const DbError& e) {
        if (!reportError(e))
            throw;
        return false;
    }
    bool save = isDirty() || newRow_;
    int act = action;
    Q_EMIT validate(act, save);
    if (act == Cancel || !hasCurrent())
        return false;
    if (save) {
        try {
            updateRecord();
        } catch (const DbError& e) {
            if (!reportError(e))
                throw;
            return false;
        }
    } else if (newRow_) {
        newRow_ = false;
        removeRow(current_);
        current_ = rows_.isEmpty() ? -1 : std::min<int>(current_, int(rows_.size()) - 1);
    } else if (bufferChanged_) {
        // Edits dropped: the row shows what is stored again.
        rows_[current_] = original_;
        bufferChanged_ = false;
        Q_EMIT rowChanged(current_);
    }
    return true;
}

bool DataControl::moveTo(int position)
{
    if (position < 0 || position >= rows_.size())
        return false;
    if (!leaveCurrent(Bookmark))
        return false;
    setCurrent(std::min<int>(position, int(rows_.size()) - 1));
    return true;
}

bool DataControl::moveFirst()
{
    if (rows_.isEmpty() || !leaveCurrent(First))
        return false;
    setCurrent(rows_.isEmpty() ? -1 : 0);
    return true;
}

bool DataControl::moveLast()
{
    if (rows_.isEmpty() || !leaveCurrent(Last))
        return false;
    setCurrent(int(rows_.size()) - 1);
    return true;
}

bool DataControl::moveNext()
{
    if (current_ + 1 >= rows_.size() || !leaveCurrent(Next))
        return false;
    setCurrent(std::min<int>(current_ + 1, int(rows_.size()) - 1));
    return true;
}

bool DataControl::movePrevious()
{
    if (current_ <= 0 || rows_.isEmpty())
        return false;
    // The row before the one left: an unstored new row given up on leaving
    // is gone, and the row before it is now the last.
    const int target = std::min<int>(current_, int(rows_.size())) - 1;
    if (!leaveCurrent(Previous))
        return false;
    setCurrent(std::min<int>(target, int(rows_.size()) - 1));
    return true;
}

bool DataControl::movePastLast()
{
    if (!open_)
        return false;
    if (current_ >= rows_.size() && !rows_.isEmpty())
        return true;
    if (!leaveCurrent(AddNew))
        return false;
    setCurrent(int(rows_.size()));
    return true;
}

bool DataControl::findFirst(const QString& name, const QVariant& value)
{
    const QString want = textOf(value);
    for (int i = 0; i < rows_.size(); ++i) {
        if (rows_[i].text(name) == want) {
            if (i == current_)
                return true;
            if (!leaveCurrent(Find))
                return false;
            // Leaving an unstored new row may have dropped it; the found row
            // lies before it and keeps its position.
            setCurrent(i);
            return true;
        }
    }
    return false;
}

bool DataControl::addNew()
{
    if (!leaveCurrent(AddNew))
        return false;
    QVector<QVariant> values = newRowValues_;
    values.resize(fieldNames_.size());
    const int pos = int(rows_.size());
    Q_EMIT rowAboutToBeInserted(pos);
    rows_.push_back(Row(QSharedPointer<const QStringList>::create(fieldNames_), values));
    Q_EMIT rowInserted(pos);
    newRow_ = true;
    setCurrent(pos);
    return true;
}

void DataControl::writeRow(Connection& c, Row& row, bool isNew)
{
    QStringList fields;
    QVariantList values;
    for (const QString& f : fieldNames_) {
        if (f.compare(kRecId, Qt::CaseInsensitive) == 0)
            continue;
        fields << f;
        values << row.value(f);
    }
    if (isNew) {
        pendingId_ = c.insert(table_, fields, values);
        return;
    }
    QStringList sets;
    for (const QString& f : fields)
        sets << db::quoteName(f) + QStringLiteral(" = ?");
    values << row.value(kRecId);
    if (c.exec(QStringLiteral("UPDATE %1 SET %2 WHERE RecID = ?").arg(db::quoteName(table_), sets.join(QStringLiteral(", "))),
               values) != 1)
        throw DbError(kRowGone, table_);
    pendingId_ = row.value(kRecId).toLongLong();
}

void DataControl::writeCurrent(Connection& c)
{
    if (!hasCurrent())
        return;
    pullFromWidgets();
    // Until the write is committed the buffer holds unstored edits.
    bufferChanged_ = true;
    writeRow(c, rows_[current_], newRow_);
}

void DataControl::commitWritten()
{
    if (!hasCurrent())
        return;
    if (newRow_)
        rows_[current_].set(kRecId, pendingId_);
    newRow_ = false;
    bufferChanged_ = false;
    original_ = rows_[current_];
    Q_EMIT rowChanged(current_);
}

void DataControl::updateRecord()
{
    if (!hasCurrent())
        return;
    Connection c = connect();
    db::Transaction t(c);
    writeCurrent(c);
    t.commit();
    commitWritten();
}

void DataControl::afterDelete(int pos, AfterDelete after)
{
    const int n = int(rows_.size());
    if (pos < n)
        setCurrent(pos);
    else if (after == AfterDelete::StepBack)
        setCurrent(n - 1);   // -1 when none is left
    else
        setCurrent(n);       // past the last row
}

bool DataControl::deleteCurrent(Connection& c, AfterDelete after)
{
    if (!hasCurrent())
        return false;
    const int pos = current_;
    if (!newRow_ && c.exec(QStringLiteral("DELETE FROM %1 WHERE RecID = ?").arg(db::quoteName(table_)),
                           {rows_[pos].value(kRecId)}) != 1)
        throw DbError(kRowGone, table_);
    newRow_ = false;
    removeRow(pos);
    afterDelete(pos, after);
    return true;
}

bool DataControl::deleteCurrent(AfterDelete after)
{
    if (!hasCurrent())
        return false;
    const int pos = current_;
    if (!newRow_) {
        Connection c = connect();
        db::Transaction t(c);
        if (c.exec(QStringLiteral("DELETE FROM %1 WHERE RecID = ?").arg(db::quoteName(table_)),
                   {rows_[pos].value(kRecId)}) != 1)
            throw DbError(kRowGone, table_);
        t.commit();
    }
    newRow_ = false;
    removeRow(pos);
    afterDelete(pos, after);
    return true;
}

void DataControl::close()
{
    leaveCurrent(Close);
    Q_EMIT rowsAboutToBeReset();
    rows_.clear();
    newRow_ = false;
    current_ = -1;
    bufferChanged_ = false;
    original_ = Row();
    open_ = false;
    Q_EMIT rowsReset();
}

} // namespace tav
