#include "shell/dataenvironment.h"

#include <stdexcept>

namespace tav {

namespace {

// Table order is the order of RecID.
const QVector<DataEnvironment1::Command>& designCommands()
{
    static const QVector<DataEnvironment1::Command> commands = {
        {QStringLiteral("comGraf"), QStringLiteral("SELECT * FROM Grafic ORDER BY RecID"), {}},
        {QStringLiteral("comPac"), QStringLiteral("SELECT * FROM Help ORDER BY RecID"), {}},
        {QStringLiteral("comDataB"), QStringLiteral("SELECT * FROM Pacients ORDER BY RecID"), {}},
        // comMany, comMat and comWork were designed without a text; no report uses them.
        {QStringLiteral("comMany"), QString(), {}},
        {QStringLiteral("comMat"), QString(), {}},
        {QStringLiteral("comKarton"), QStringLiteral("SELECT * FROM TempKarton ORDER BY RecID"), {}},
        {QStringLiteral("comWork"), QString(), {}},
    };
    return commands;
}

// Placeholders outside quoted texts and names.
int placeholders(const QString& sql)
{
    int n = 0;
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[') || c == QLatin1Char('`')) {
            quote = c == QLatin1Char('[') ? QLatin1Char(']') : c;
        } else if (c == QLatin1Char('?')) {
            ++n;
        }
    }
    return n;
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
    return conn.query(c.text, c.params);
}

db::Rows DataEnvironment1::rows(const QString& name) const
{
    command(name);
    return rows(position(name));
}

} // namespace tav
