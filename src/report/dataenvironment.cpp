#include "report/dataenvironment.h"

#include <QRegularExpression>
#include <stdexcept>

namespace tav {

namespace {

const QVector<DataEnvironment1::Command>& designCommands()
{
    static const QVector<DataEnvironment1::Command> commands = {
        {QStringLiteral("comGraf"), QStringLiteral("SELECT * FROM Grafic"), {}},
        {QStringLiteral("comPac"), QStringLiteral("SELECT * FROM Help"), {}},
        {QStringLiteral("comDataB"), QStringLiteral("SELECT * FROM Pacients"), {}},
        // comMany, comMat and comWork were designed without a text; no report uses them.
        {QStringLiteral("comMany"), QString(), {}},
        {QStringLiteral("comMat"), QString(), {}},
        {QStringLiteral("comKarton"), QStringLiteral("SELECT * FROM TempKarton"), {}},
        {QStringLiteral("comWork"), QString(), {}},
    };
    return commands;
}

// The text with its quoted texts and names blanked out (quotes kept), so
// that what is left is SQL only.
QString outsideQuotes(const QString& sql)
{
    QString out = sql;
    QChar quote;
    for (QChar& c : out) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                c = QLatin1Char('_');
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[') || c == QLatin1Char('`')) {
            quote = c == QLatin1Char('[') ? QLatin1Char(']') : c;
        }
    }
    return out;
}

// Placeholders outside quoted texts and names.
int placeholders(const QString& sql)
{
    return int(outsideQuotes(sql).count(QLatin1Char('?')));
}

// Table order is insertion order, which SQLite keeps only while it reads the
// table itself rather than an index: a plain one-table SELECT with no order
// of its own is read ORDER BY RecID. Any other text is run as written.
QString inTableOrder(const QString& sql)
{
    static const QRegularExpression plain(
        QStringLiteral("^\\s*SELECT\\s[^()]*?\\sFROM\\s+[A-Za-z_][A-Za-z0-9_]*(\\s+WHERE\\s.*)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression other(
        QStringLiteral("\\b(ORDER\\s+BY|GROUP\\s+BY|LIMIT|UNION|INTERSECT|EXCEPT|JOIN)\\b|;|--|/\\*"),
        QRegularExpression::CaseInsensitiveOption);
    const QString bare = outsideQuotes(sql);
    if (!plain.match(bare).hasMatch() || bare.contains(other))
        return sql;
    return sql + QStringLiteral(" ORDER BY RecID");
}

} // namespace

DataEnvironment1& DataEnvironment1::instance()
{
    static DataEnvironment1 de;
    return de;
}

DataEnvironment1::DataEnvironment1() : commands_(designCommands())
{
}

void DataEnvironment1::restoreDesignTexts()
{
    commands_ = designCommands();
}

int DataEnvironment1::position(const QString& name) const
{
    for (int i = 0; i < commands_.size(); ++i)
        if (commands_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

const DataEnvironment1::Command& DataEnvironment1::command(int position) const
{
    if (position < 1 || position > commands_.size())
        throw std::out_of_range("DataEnvironment1: no command at " + std::to_string(position));
    return commands_[position - 1];
}

const DataEnvironment1::Command& DataEnvironment1::command(const QString& name) const
{
    const int p = position(name);
    if (p == 0)
        throw std::out_of_range("DataEnvironment1: no command " + name.toStdString());
    return commands_[p - 1];
}

void DataEnvironment1::setCommandText(int position, const QString& sql, const QVariantList& params)
{
    command(position);
    commands_[position - 1].text = sql;
    commands_[position - 1].params = params;
}

void DataEnvironment1::setCommandText(const QString& name, const QString& sql, const QVariantList& params)
{
    command(name);
    setCommandText(position(name), sql, params);
}

db::Rows DataEnvironment1::rows(int position) const
{
    const Command& c = command(position);
    if (c.text.trimmed().isEmpty())
        throw db::DbError(QStringLiteral("Командата %1 няма текст на заявка").arg(c.name));
    if (placeholders(c.text) != c.params.size())
        throw db::DbError(QStringLiteral("Командата %1 има %2 параметъра, а са дадени %3 стойности")
                              .arg(c.name).arg(placeholders(c.text)).arg(c.params.size()));
    db::Connection conn = db::Connection::main();
    return conn.query(inTableOrder(c.text), c.params);
}

db::Rows DataEnvironment1::rows(const QString& name) const
{
    command(name);
    return rows(position(name));
}

} // namespace tav
