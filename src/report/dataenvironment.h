#pragma once
// DataEnvironment1: the named commands whose rows the printed reports show.
// A report re-targets a command (by position or name) with a text and the
// values bound to its ? placeholders, and receives the rows of that text,
// read afresh from the main database. The rows are the report's own copy and
// no connection stays open, so two open reports never share rows.

#include "db/database.h"

#include <QString>
#include <QVariantList>
#include <QVector>

namespace tav {

class DataEnvironment1 {
public:
    struct Command {
        QString name;
        QString text;          // SQL with ? placeholders
        QVariantList params;   // one value per placeholder
    };

    // Created on first use; lives until the program ends.
    static DataEnvironment1& instance();

    // comGraf, comPac, comDataB, comMany, comMat, comKarton, comWork.
    int count() const { return int(commands_.size()); }
    // By 1-based position in stored order, or by name (any case); throw
    // std::out_of_range.
    const Command& command(int position) const;
    const Command& command(const QString& name) const;
    int position(const QString& name) const;   // 0 when there is none

    // Re-targets a command; the text stays in force until it is set again.
    void setCommandText(int position, const QString& sql, const QVariantList& params = {});
    void setCommandText(const QString& name, const QString& sql, const QVariantList& params = {});

    // The rows of the command's current text, read now on the main database.
    // A plain one-table text with no ORDER BY of its own ("SELECT * FROM Help
    // WHERE EGN = ?") gives its rows in table order.
    // Throws db::DbError (a command without text, a count of values that does
    // not match the placeholders, an engine error).
    db::Rows rows(int position) const;
    db::Rows rows(const QString& name) const;

    // The texts the commands were designed with (the program's start; tests).
    void restoreDesignTexts();

private:
    DataEnvironment1();
    QVector<Command> commands_;
};

} // namespace tav
