#include "databind/datacontrol.h"

#include "db/paths.h"
#include "db/values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
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
}

DataControl::DataControl(QObject* parent) : QObject(parent) {}

DataControl::~DataControl() = default;

void DataControl::setRecordSource(const QString& table, const QString& clause, const QVariantList& params)
{
    table_ = table;
    clause_ = clause;
    params_ = params;
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
        for (const Row& r : c.query(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table_}))
            fieldNames_ << r.text(QStringLiteral("name"));
        if (fieldNames_.isEmpty())
            throw DbError(QStringLiteral("Липсва таблица в базата данни"), table_);
    }
    QString sql = QStringLiteral("SELECT * FROM ") + db::quoteName(table_);
    if (!clause_.isEmpty())
        sql += QLatin1Char(' ') + clause_;
    if (!clause_.contains(QStringLiteral("ORDER BY"), Qt::CaseInsensitive))
        sql += QStringLiteral(" ORDER BY RecID");
    rows_ = c.query(sql, params_);
    newRow_ = false;
    bufferChanged_ = false;
    setCurrent(rows_.isEmpty() ? -1 : 0);
}

void DataControl::bind(QWidget* w, const QString& field, Format format)
{
    bindings_.push_back({w, field, format});
    if (hasCurrent())
        showValue(bindings_.back(), rows_[current_].value(field));
}

void DataControl::unbindAll()
{
    bindings_.clear();
}

QVariant DataControl::widgetValue(const Binding& b) const
{
    QString text;
    if (auto* e = qobject_cast<QLineEdit*>(b.widget.data()))
        text = e->text();
    else if (auto* p = qobject_cast<QPlainTextEdit*>(b.widget.data()))
        text = p->toPlainText();
    else if (auto* t = qobject_cast<QTextEdit*>(b.widget.data()))
        text = t->toPlainText();
    else if (auto* cb = qobject_cast<QComboBox*>(b.widget.data()))
        text = cb->currentText();
    else if (auto* ch = qobject_cast<QCheckBox*>(b.widget.data()))
        return ch->isChecked() ? 1 : 0;
    else
        return {};
    if (b.format == Format::Date) {
        if (trimBlanks(text).isEmpty())
            return QVariant(QMetaType::fromType<QDate>());
        const auto d = dateFromDDMMYYYY(text);
        if (!d)
            throw DbError(QStringLiteral("Невалидна дата"), text);
        return *d;
    }
    return nullIfEmpty(text);
}

namespace {
bool editable(QWidget* w)
{
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w)
        || qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w);
}

QString shownText(const QVariant& v, DataControl::Format f)
{
    if (f == DataControl::Format::Date)
        return toDDMMYYYY(dateFromIso(v));
    return textOf(v);
}
}

void DataControl::showValue(const Binding& b, const QVariant& v)
{
    QWidget* w = b.widget.data();
    if (!w)
        return;
    const QString text = shownText(v, b.format);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        p->setPlainText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        t->setPlainText(text);
    else if (auto* cb = qobject_cast<QComboBox*>(w))
        cb->setCurrentText(text);
    else if (auto* ch = qobject_cast<QCheckBox*>(w))
        ch->setChecked(v.toLongLong() != 0);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
}

void DataControl::pushToWidgets()
{
    const Row empty;
    for (const Binding& b : bindings_)
        showValue(b, hasCurrent() ? rows_[current_].value(b.field) : QVariant());
}

void DataControl::pullFromWidgets()
{
    if (!hasCurrent())
        return;
    for (const Binding& b : bindings_) {
        if (!b.widget || !editable(b.widget))
            continue;
        rows_[current_].set(b.field, widgetValue(b));
    }
}

bool DataControl::isDirty() const
{
    if (!hasCurrent())
        return false;
    if (bufferChanged_)
        return true;
    const Row& r = rows_[current_];
    for (const Binding& b : bindings_) {
        if (!b.widget || !editable(b.widget))
            continue;
        if (qobject_cast<QCheckBox*>(b.widget.data())) {
            if ((r.value(b.field).toLongLong() != 0) != qobject_cast<QCheckBox*>(b.widget.data())->isChecked())
                return true;
            continue;
        }
        QString shown;
        if (auto* e = qobject_cast<QLineEdit*>(b.widget.data()))
            shown = e->text();
        else if (auto* p = qobject_cast<QPlainTextEdit*>(b.widget.data()))
            shown = p->toPlainText();
        else if (auto* t = qobject_cast<QTextEdit*>(b.widget.data()))
            shown = t->toPlainText();
        else if (auto* cb = qobject_cast<QComboBox*>(b.widget.data()))
            shown = cb->currentText();
        if (shown != shownText(r.value(b.field), b.format))
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
}

void DataControl::setCurrent(int pos)
{
    current_ = pos;
    bufferChanged_ = false;
    pushToWidgets();
    Q_EMIT reposition();
}

bool DataControl::leaveCurrent(int action)
{
    if (!hasCurrent())
        return true;
    bool save = isDirty() || newRow_;
    int act = action;
    Q_EMIT validate(act, save);
    if (act == Cancel)
        return false;
    if (save) {
        try {
            updateRecord();
        } catch (const DbError& e) {
            int response = 1;
            if (isSignalConnected(QMetaMethod::fromSignal(&DataControl::error)))
                Q_EMIT error(e.userText(), response);
            if (response != 0)
                throw;
            return false;
        }
    } else if (newRow_) {
        rows_.removeAt(current_);
        newRow_ = false;
        current_ = rows_.isEmpty() ? -1 : std::min<int>(current_, int(rows_.size()) - 1);
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
    setCurrent(0);
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
    if (current_ <= 0 || !leaveCurrent(Previous))
        return false;
    setCurrent(current_ - 1);
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
            setCurrent(i);
            return true;
        }
    }
    return false;
}

void DataControl::addNew()
{
    if (!leaveCurrent(AddNew))
        return;
    QVector<QVariant> values(fieldNames_.size());
    rows_.push_back(Row(QSharedPointer<const QStringList>::create(fieldNames_), values));
    newRow_ = true;
    setCurrent(int(rows_.size()) - 1);
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

void DataControl::deleteCurrent(Connection& c)
{
    if (!hasCurrent())
        return;
    if (!newRow_ && c.exec(QStringLiteral("DELETE FROM %1 WHERE RecID = ?").arg(db::quoteName(table_)),
                           {rows_[current_].value(kRecId)}) != 1)
        throw DbError(kRowGone, table_);
    rows_.removeAt(current_);
    newRow_ = false;
    setCurrent(rows_.isEmpty() ? -1 : std::min<int>(current_, int(rows_.size()) - 1));
}

void DataControl::deleteCurrent()
{
    if (!hasCurrent())
        return;
    if (newRow_) {
        rows_.removeAt(current_);
        newRow_ = false;
        setCurrent(rows_.isEmpty() ? -1 : std::min<int>(current_, int(rows_.size()) - 1));
        return;
    }
    Connection c = connect();
    db::Transaction t(c);
    const int pos = current_;
    if (c.exec(QStringLiteral("DELETE FROM %1 WHERE RecID = ?").arg(db::quoteName(table_)),
               {rows_[pos].value(kRecId)}) != 1)
        throw DbError(kRowGone, table_);
    t.commit();
    rows_.removeAt(pos);
    setCurrent(rows_.isEmpty() ? -1 : std::min<int>(pos, int(rows_.size()) - 1));
}

void DataControl::close()
{
    leaveCurrent(Close);
    rows_.clear();
    newRow_ = false;
    current_ = -1;
    bufferChanged_ = false;
}

} // namespace tav
