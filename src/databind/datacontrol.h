#pragma once
// The data control of the data-bound windows: the rows of one table read
// wholly into memory, a current row shown in bound widgets, and the
// Validate / Reposition / Error events the windows handle.
//
// Unsaved edits follow one rule: edits in bound widgets (and in a grid's
// cell) are written when the current row changes or the control closes,
// unless a Validate handler cancels (action = 0) or clears `save`.
//
// Positions: 0-based rows; with no current row the control is either
// before the first row (an empty source) or past the last one (after a
// delete at the end, or on a grid's new-row line).
//
// A new row (addNew) starts with the table's declared defaults (0 in the
// Yes/No fields) and is stored only when written. The grid (datagrid.h)
// and the navigator (datanavigator.h) show a control's rows and move it.

#include "db/database.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QVector>

class QWidget;

namespace tav {

// Something besides the bound widgets that edits the current row (a grid's
// open cell). The control hands its edit over before the row is written or
// left, and counts it when asked whether the row is dirty.
class PendingEdit {
public:
    virtual ~PendingEdit() = default;
    virtual bool hasPendingEdit() const = 0;
    // Writes the edit into the row buffer. Throws db::DbError for text that
    // is not of the field's kind; nothing is written then.
    virtual void flushPendingEdit() = 0;
};

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

    // How a field is shown and typed (see fieldText / fieldValue below).
    enum class Format {
        Text,    // as stored; an empty text is NULL
        Date,    // shown and typed DD.MM.YYYY, stored as a date
        Money,   // a price: shown with two decimals, typed "12,50" or "12.50"
        YesNo    // 0 or 1 (a check box)
    };
    // A widget shows and edits one field of the current row. QLineEdit,
    // QPlainTextEdit, QTextEdit, QCheckBox (Yes/No), QComboBox (its text) and
    // QLabel (shown only) are understood.
    void bind(QWidget* w, const QString& field, Format format = Format::Text);
    void unbindAll();

    // A grid registers its open cell here (see PendingEdit).
    void addPendingEdit(PendingEdit* e);
    void removePendingEdit(PendingEdit* e);

    // True from refresh() to close(): rows can be shown and added.
    bool isOpen() const { return open_; }
    int recordCount() const { return int(rows_.size()); }
    // 0-based; -1 when there is no current row.
    int absolutePosition() const { return hasCurrent() ? current_ : -1; }
    bool isEmpty() const { return rows_.isEmpty(); }
    bool hasCurrent() const { return current_ >= 0 && current_ < rows_.size(); }
    bool isNewRow() const { return newRow_; }
    // Past the last row (also true of an empty source).
    bool eof() const { return rows_.isEmpty() || current_ >= rows_.size(); }
    bool bof() const { return rows_.isEmpty() || current_ < 0; }

    // The text a navigator shows (windows set "Запис: " + number).
    QString caption() const { return caption_; }
    void setCaption(const QString& text);

    // Moves; each raises Validate, writes pending edits (unless Validate
    // cleared `save`: the row then shows what is stored, an unstored new row
    // is dropped) and then raises Reposition. False when there is nowhere to
    // go, Validate cancelled, or the write failed and the Error handler took
    // the error over (response = 0); otherwise a failed write throws.
    bool moveFirst();
    bool moveLast();
    bool moveNext();
    bool movePrevious();
    bool moveTo(int position);
    // Leaves the current row (action AddNew) and stands past the last row:
    // a grid's new-row line is current.
    bool movePastLast();
    // Makes the first row with field == value current (comparison in code, exact).
    bool findFirst(const QString& field, const QVariant& value);

    // Starts a new row after the last, the current row left first as a
    // move leaves it; false when it could not be left.
    bool addNew();
    // Writes the bound widgets (and set() values) into the current row:
    // INSERT for a new row, UPDATE by RecID otherwise. Throws db::DbError;
    // on failure the row buffer and the widgets keep what was typed.
    void updateRecord();
    // The same inside a caller's connection and transaction (several controls
    // saved as one). Call commitWritten() after the caller's commit succeeded.
    void writeCurrent(db::Connection& c);
    void commitWritten();
    // Deletes the current row from the table (an unstored new row is only
    // dropped) without Validate; the next row becomes current. At the end,
    // StepBack makes the new last row current, NoStepBack leaves no current
    // row (past the last). False when there was no current row. Throws
    // db::DbError, leaving the rows as they were.
    enum class AfterDelete { StepBack, NoStepBack };
    bool deleteCurrent(AfterDelete after = AfterDelete::StepBack);
    bool deleteCurrent(db::Connection& c, AfterDelete after = AfterDelete::StepBack);
    // Saves pending edits (subject to Validate) and forgets the rows.
    void close();

    // Values of the current row (the buffer, widgets not consulted).
    QVariant field(const QString& name) const;
    QString text(const QString& name) const;
    // Sets a value in the buffer and shows it in a widget bound to it.
    void setField(const QString& name, const QVariant& value);
    // Copies the widgets (and a grid's open cell) into the buffer: what
    // updateRecord writes. Throws db::DbError for a typed value that is not
    // of its field's kind.
    void pullFromWidgets();
    // Shows the buffer in the widgets.
    void pushToWidgets();
    // True when the buffer holds unstored edits or a widget (or a grid's open
    // cell) shows something else than the buffer holds.
    bool isDirty() const;
    // Raises Error for a failure of the window's own write; true when the
    // handler reported it (response = 0), so nothing more is to be said.
    bool reportError(const db::DbError& e);
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
    void captionChanged(const QString& text);

    // For views over the rows (the grid): each change of the rows comes as
    // an about-to / done pair, a changed value of a row as rowChanged.
    void rowsAboutToBeReset();
    void rowsReset();
    void rowAboutToBeInserted(int pos);
    void rowInserted(int pos);
    void rowAboutToBeRemoved(int pos);
    void rowRemoved(int pos);
    void rowChanged(int pos);

private:
    bool leaveCurrent(int action);
    void flushPendingEdits();
    void removeRow(int pos);
    void afterDelete(int pos, AfterDelete after);
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
    QVector<QVariant> newRowValues_;
    db::Rows rows_;
    int current_ = -1;
    bool newRow_ = false;
    qint64 pendingId_ = 0;
    QVector<Binding> bindings_;
    QVector<PendingEdit*> pendingEdits_;
    db::Row original_;   // the current row as stored, for dropped edits
    QString caption_;
    bool open_ = false;
};

// A value as a bound widget or grid cell shows it: NULL as "", a date as
// DD.MM.YYYY, money with two decimals and the regional decimal sign, Yes/No
// as "0"/"1".
QString fieldText(const QVariant& value, DataControl::Format format);
// Typed text as the value to store: blank text is NULL (Yes/No: 0). Throws
// db::DbError ("Невалидна дата", "Невалидна цена") with the typed text when
// the text is no date or price.
QVariant fieldValue(const QString& text, DataControl::Format format);
// True when a stored value and a value to store are the same for the field
// (so re-typing what is shown changes nothing).
bool sameFieldValue(const QVariant& a, const QVariant& b, DataControl::Format format);

} // namespace tav
