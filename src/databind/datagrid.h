#pragma once
// The data-bound grid: a table over the rows of a DataControl, one column
// per field, shown in the order the columns were added.
//
// The grid's current row IS the control's current row. Moving to another
// row (click, arrow keys, Tab) leaves the control's row by its rule: any
// edit is handed over, Validate runs (and may cancel, the cursor then stays)
// and pending edits are written. Editing a cell writes into the control's
// row buffer (DataControl::setField), so the control's updateRecord() or
// its next move stores it, with the bound widgets' values.
//
// A window declares its grid once:
//
//     DBGrid1 = new DataGrid(this);
//     DBGrid1->addColumn("Дата", "Data", DataControl::Format::Date, 1100);
//     DBGrid1->addColumn("Код дейн.", "KodHelp");
//     DBGrid1->addColumn("Здр. каса", "ZK", DataControl::Format::YesNo, 800);
//     DBGrid1->setAllowAddNew(true);     // the empty last line adds rows
//     DBGrid1->setDataControl(Data3);    // before or after Data3->refresh()
//
// and reads the row from the control (Data3->field("KodHelp"),
// Data3->absolutePosition(), Data3->isNewRow()), the cell from the grid
// (currentColumn(), cellText()).
//
// The new-row line: with setAllowAddNew(true) an editable grid shows an
// empty line after the rows (marked "*"). Going to it leaves the current
// row (DataControl::movePastLast: Validate with action AddNew), so the
// control has no current row there. The first text committed into one of
// its cells starts a new row of the control (DataControl::addNew; a
// reposition with isNewRow() true, where a window fills defaults such as
// today's date), then the typed value is set; the line moves down. The new
// row is stored like any other: by the window's write or the next move.
//
// Typed text is checked by the column's format (see fieldValue): a date
// that is no date or a price that is no price is refused with a message
// (Enter, Tab, a move to another cell, a commit of the view's own) and
// nothing is written; the cell keeps the typed text for correction, Escape
// restores the stored value.
//
// Events, each a signal:
//   keyPress(int& keyAscii)  a character typed in the grid or in a cell
//                            being edited; Enter comes as 13, after the
//                            cell's text went into the row buffer and the
//                            cell closed. Enter never reaches the window's
//                            default button. Setting keyAscii = 0 drops a
//                            typed character.
//   cellEdited()             the user changed a cell: its text typed, a
//                            Yes/No ticked or cleared.
//   gridClicked()            a mouse click in the grid's cells area.
//   currentCellChanged(row, column)
//                            after the current cell moved (row changes
//                            also come as the control's reposition).
//
// A window's save that may run while a cell is being edited (a button's
// keyboard shortcut leaves the focus in the cell) calls commitEdit() first;
// the control's write also takes a cell of an existing row being edited.

#include "databind/datacontrol.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>

class QLineEdit;

namespace tav {

class DataGridModel;

class DataGrid : public QTableView, private PendingEdit {
    Q_OBJECT
public:
    using Format = DataControl::Format;

    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    void setDataControl(DataControl* data);
    DataControl* dataControl() const { return data_; }

    // Adds a column; its width in twips (15 twips = 1 pixel), 0 for the
    // default. Returns the column's index.
    int addColumn(const QString& caption, const QString& field, Format format = Format::Text, int widthTwips = 0);
    int columnCount() const;
    QString columnField(int column) const;
    QString columnCaption(int column) const;
    // The column of a field (case-insensitive), -1 when none shows it.
    int columnOf(const QString& field) const;
    void setColumnReadOnly(int column, bool readOnly);
    void setColumnWidthTwips(int column, int twips);

    // A read-only grid lists the rows and moves the current row; nothing
    // in it is edited or added.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return readOnly_; }
    void setAllowAddNew(bool allow);
    bool allowAddNew() const { return allowAddNew_; }

    // The current cell's column (-1 when none); its row is the control's.
    int currentColumn() const;
    // What the current row's cell shows, the text of a cell being edited
    // included. "" when there is no current row.
    QString cellText(int column) const;
    // Puts text into the current row's cell as if it were typed and
    // committed (a cell being edited there is closed). Throws db::DbError
    // for text that is not of the column's format.
    void setCellText(int column, const QString& text);
    // Hands a cell being edited to the row buffer and closes it; on the
    // new-row line this starts the new row. False, after a message, when
    // its text is refused (the cell stays open).
    bool commitEdit();
    // Closes a cell being edited and drops what was typed in it.
    void cancelEdit();
    // True while a cell is being edited.
    bool isEditing() const;
    // Makes a cell of the current row (or of the new-row line) current and
    // opens it for typing, as a double click does. False when it cannot be
    // edited.
    bool editCell(int column);
    using QTableView::edit;

Q_SIGNALS:
    void keyPress(int& keyAscii);
    void cellEdited();
    void gridClicked();
    void currentCellChanged(int row, int column);

protected:
    // Only a cell of the current row opens for typing.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void giveUpNewRow();
    friend class DataGridDelegate;
    friend class DataGridSelection;
    friend class DataGridModel;

    // PendingEdit: the control takes a cell of its current row being edited.
    bool hasPendingEdit() const override;
    void flushPendingEdit() override;

    // The delegate's hooks.
    void editorOpened(QLineEdit* editor, const QModelIndex& index);
    bool editorEnter();
    bool editorTextAccepted(bool showMessage);
    bool deliverKey(int keyAscii);
    // The selection model's hook: leaves the control's row for the one of
    // `index`; the index to make current, or an invalid one to stay.
    QModelIndex leaveFor(const QModelIndex& index);
    // Writes a typed value into the current row or starts the new row.
    bool writeCell(int row, int column, const QVariant& value);
    bool cellEditable(const QModelIndex& index) const;
    bool isCurrentDataRow(int row) const;
    void followControl();
    void showError(const QString& text);
    // A value the model refused: its message, and the cell kept when it is
    // the one being edited.
    void refuseTyped(const QModelIndex& index, const QString& message);
    // The cell's box is being destroyed.
    void editorGoing(QLineEdit* editor);
    friend class CellEditor;

    QPointer<DataControl> data_;
    DataGridModel* model_ = nullptr;
    QPointer<QLineEdit> editor_;
    // The same box, compared as an object: no cast of one half destroyed.
    const QObject* editorObject_ = nullptr;
    bool keepEditor_ = false;   // the next close of the box is refused
    QPersistentModelIndex editorIndex_;
    QEvent* forwardedKey_ = nullptr;
    bool readOnly_ = false;
    bool allowAddNew_ = false;
    bool moving_ = false;
    bool pressOnCurrent_ = false;
    int lastColumn_ = 0;   // kept while no cell is current
};

} // namespace tav
