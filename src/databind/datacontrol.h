#pragma once
// The data control of the data-bound windows: the rows of one table read
// wholly into memory, a current row shown in bound widgets, and the
// Validate / Reposition / Error events the windows handle.
//
// Unsaved edits follow one rule: edits in bound widgets are written when the
// current row changes or the control closes, unless a Validate handler
// cancels (action = 0) or clears `save`.

#include "db/database.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QVector>

class QWidget;

namespace tav {

class DataControl : public QObject {
    Q_OBJECT
public:
    enum Action { Cancel = 0, First = 1, Previous = 2, Next = 3, Last = 4, AddNew = 5,
                  Update = 6, Delete = 7, Find = 8, Bookmark = 9, Close = 10 };

    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    // "SELECT * FROM <table> <clause>" on the main database by default.
    // The clause may hold a WHERE and an ORDER BY with ? parameters; without an
    // ORDER BY the rows come in table order.
    void setDatabaseName(const QString& path) { databaseName_ = path; }
    void setRecordSource(const QString& table, const QString& clause = {}, const QVariantList& params = {});
    QString table() const { return table_; }

    // Reads the rows afresh and makes the first current (none when empty).
    // Throws db::DbError.
    void refresh();

    // A widget shows and edits one field of the current row. QLineEdit,
    // QPlainTextEdit, QTextEdit, QCheckBox (Yes/No), QComboBox (its text) and
    // QLabel (shown only) are understood.
    enum class Format { Text, Date };   // Date: shown as DD.MM.YYYY, stored as a date
    void bind(QWidget* w, const QString& field, Format format = Format::Text);
    void unbindAll();

    int recordCount() const { return int(rows_.size()); }
    // 0-based; -1 when there is no current row.
    int absolutePosition() const { return current_; }
    bool isEmpty() const { return rows_.isEmpty(); }
    bool hasCurrent() const { return current_ >= 0 && current_ < rows_.size(); }
    bool isNewRow() const { return newRow_; }
    bool eof() const { return current_ >= rows_.size(); }
    bool bof() const { return current_ < 0; }

    // Moves; each raises Validate (which may save pending edits) then Reposition.
    bool moveFirst();
    bool moveLast();
    bool moveNext();
    bool movePrevious();
    bool moveTo(int position);
    // Makes the first row with field == value current (comparison in code, exact).
    bool findFirst(const QString& field, const QVariant& value);

    // Starts a new empty row (not stored until written).
    void addNew();
    // Writes the bound widgets (and set() values) into the current row:
    // INSERT for a new row, UPDATE by RecID otherwise. Throws db::DbError;
    // on failure the row buffer and the widgets keep what was typed.
    void updateRecord();
    // The same inside a caller's connection and transaction (several controls
    // saved as one). Call commitWritten() after the caller's commit succeeded.
    void writeCurrent(db::Connection& c);
    void commitWritten();
    // Deletes the current row from the table; the next row becomes current.
    void deleteCurrent();
    void deleteCurrent(db::Connection& c);
    // Saves pending edits (subject to Validate) and forgets the rows.
    void close();

    // Values of the current row (the buffer, widgets not consulted).
    QVariant field(const QString& name) const;
    QString text(const QString& name) const;
    // Sets a value in the buffer and shows it in a widget bound to it.
    void setField(const QString& name, const QVariant& value);
    // Copies the widgets into the buffer (what updateRecord writes).
    void pullFromWidgets();
    // Shows the buffer in the widgets.
    void pushToWidgets();
    // True when a widget shows something else than the buffer holds.
    bool isDirty() const;
    const db::Row& currentRow() const;
    const db::Rows& rows() const { return rows_; }

Q_SIGNALS:
    // Before the current row is left; set action = Cancel to stay,
    // save = false to drop the edits.
    void validate(int& action, bool& save);
    void reposition();
    // A database error during a move, write or delete. Set response = 0 after
    // reporting it yourself; otherwise the error is rethrown to the caller.
    void error(const QString& text, int& response);

private:
    bool leaveCurrent(int action);
    void writeRow(db::Connection& c, db::Row& row, bool isNew);
    db::Connection connect() const;
    void setCurrent(int pos);

    struct Binding {
        QPointer<QWidget> widget;
        QString field;
        Format format = Format::Text;
    };
    QVariant widgetValue(const Binding& b) const;
    void showValue(const Binding& b, const QVariant& v);
    bool bufferChanged_ = false;
    QString databaseName_;
    QString table_;
    QString clause_;
    QVariantList params_;
    QStringList fieldNames_;
    db::Rows rows_;
    int current_ = -1;
    bool newRow_ = false;
    qint64 pendingId_ = 0;
    QVector<Binding> bindings_;
};

} // namespace tav
