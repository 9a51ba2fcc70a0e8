#include "databind/datagrid.h"

#include "db/database.h"
#include "services/dialogs.h"
#include "services/plaintext.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <functional>
#include <utility>

namespace tav {

namespace {
using Format = DataControl::Format;

constexpr int kTwipsPerPixel = 15;

Qt::Alignment alignmentOf(Format f)
{
    switch (f) {
    case Format::Money:
        return Qt::AlignRight | Qt::AlignVCenter;
    case Format::YesNo:
        return Qt::AlignCenter;
    case Format::Date:
    case Format::Text:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// Record selectors: the current row, the current row with unstored edits,
// the new-row line.
const QString kCurrentMark = QStringLiteral("►");
const QString kEditingMark = QStringLiteral("✎");
const QString kNewLineMark = QStringLiteral("*");
}

// ---------------------------------------------------------------- model

class DataGridModel : public QAbstractTableModel {
public:
    struct Column {
        QString caption;
        QString field;
        Format format = Format::Text;
        bool readOnly = false;
        int widthTwips = 0;
    };

    explicit DataGridModel(DataGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

    QVector<Column> columns;

    void attach(DataControl* data)
    {
        beginResetModel();
        if (data_)
            data_->disconnect(this);
        data_ = data;
        if (data_) {
            connect(data_, &DataControl::rowsAboutToBeReset, this, [this] { beginResetModel(); });
            connect(data_, &DataControl::rowsReset, this, [this] {
                endResetModel();
                lastMarked_ = -1;
            });
            connect(data_, &DataControl::rowAboutToBeInserted, this, [this](int pos) {
                // Typed into the new-row line: that line becomes the row and a
                // fresh line follows it, so the cursor stays where it is.
                lineBecomesRow_ = showsAddLine() && pos == dataRows();
                const int at = lineBecomesRow_ ? pos + 1 : pos;
                beginInsertRows({}, at, at);
            });
            connect(data_, &DataControl::rowInserted, this, [this](int pos) {
                endInsertRows();
                if (lineBecomesRow_)
                    rowDataChanged(pos);
                lineBecomesRow_ = false;
            });
            connect(data_, &DataControl::rowAboutToBeRemoved, this, [this](int pos) {
                beginRemoveRows({}, pos, pos);
            });
            connect(data_, &DataControl::rowRemoved, this, [this](int) {
                endRemoveRows();
                lastMarked_ = -1;
            });
            connect(data_, &DataControl::rowChanged, this, [this](int pos) { rowDataChanged(pos); });
            connect(data_, &DataControl::reposition, this, [this] { markCurrent(); });
        }
        endResetModel();
    }

    void changeColumns(const std::function<void()>& change)
    {
        beginResetModel();
        change();
        endResetModel();
    }

    void setAddLine(bool shown)
    {
        if (shown == addLine_)
            return;
        beginResetModel();
        addLine_ = shown;
        endResetModel();
    }

    int dataRows() const { return data_ && data_->isOpen() ? data_->recordCount() : 0; }
    bool showsAddLine() const { return addLine_ && data_ && data_->isOpen(); }
    int addLineRow() const { return showsAddLine() ? dataRows() : -1; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : dataRows() + (showsAddLine() ? 1 : 0);
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.column() >= columns.size())
            return {};
        const Column& c = columns[index.column()];
        const bool line = index.row() >= dataRows();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: {
            if (c.format == Format::YesNo || line)
                return c.format == Format::YesNo ? QVariant() : QVariant(QString());
            const QString text = fieldText(data_->rows()[index.row()].value(c.field), c.format);
            // A lone CR breaks the shown line as LF does, not running the
            // two lines together; the box edits the text as stored.
            if (role == Qt::DisplayRole && text.contains(QLatin1Char('\r')))
                return plainLines(text);
            return text;
        }
        case Qt::CheckStateRole:
            if (c.format != Format::YesNo || line)
                return {};
            return data_->rows()[index.row()].value(c.field).toLongLong() != 0 ? Qt::Checked : Qt::Unchecked;
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignmentOf(c.format));
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        if (role != Qt::DisplayRole)
            return {};
        if (o == Qt::Horizontal)
            return section < columns.size() ? columns[section].caption : QString();
        if (section == addLineRow())
            return kNewLineMark;
        if (grid_->isCurrentDataRow(section))
            return data_->isNewRow() || data_->isDirty() ? kEditingMark : kCurrentMark;
        return QString();
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (grid_->cellEditable(index) && columns[index.column()].format != Format::YesNo)
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        grid_->keepEditor_ = false;
        if (!index.isValid() || !data_)
            return false;
        const Column& c = columns[index.column()];
        QVariant v;
        if (c.format == Format::YesNo) {
            if (role != Qt::CheckStateRole)
                return false;
            v = value.toInt() == Qt::Checked ? 1 : 0;
        } else {
            if (role != Qt::EditRole)
                return false;
            try {
                v = fieldValue(value.toString(), c.format);
            } catch (const db::DbError& e) {
                grid_->refuseTyped(index, e.userText());
                return false;
            }
        }
        return grid_->writeCell(index.row(), index.column(), v);
    }

    void rowDataChanged(int pos)
    {
        if (pos < 0 || pos >= rowCount() || columns.isEmpty())
            return;
        Q_EMIT dataChanged(index(pos, 0), index(pos, int(columns.size()) - 1));
        Q_EMIT headerDataChanged(Qt::Vertical, pos, pos);
    }

private:
    void markCurrent()
    {
        const int n = rowCount();
        if (lastMarked_ >= 0 && lastMarked_ < n)
            Q_EMIT headerDataChanged(Qt::Vertical, lastMarked_, lastMarked_);
        lastMarked_ = data_ ? data_->absolutePosition() : -1;
        if (lastMarked_ >= 0 && lastMarked_ < n)
            Q_EMIT headerDataChanged(Qt::Vertical, lastMarked_, lastMarked_);
    }

    DataGrid* grid_;
    QPointer<DataControl> data_;
    bool addLine_ = false;
    bool lineBecomesRow_ = false;
    int lastMarked_ = -1;
};

// ---------------------------------------------------------------- delegate

// The box of a cell being edited. It lets the grid go before it is taken
// apart: events sent while QWidget's destructor runs must not find it as the
// grid's QLineEdit.
class CellEditor : public QLineEdit {
public:
    CellEditor(QWidget* parent, DataGrid* grid) : QLineEdit(parent), grid_(grid) {}
    ~CellEditor() override
    {
        if (grid_)
            grid_->editorGoing(this);
    }
    // The grid goes first (its children go in QWidget's destructor).
    void forgetGrid() { grid_ = nullptr; }

private:
    DataGrid* grid_;
};

class DataGridDelegate : public QStyledItemDelegate {
public:
    explicit DataGridDelegate(DataGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* e = new CellEditor(parent, grid_);
        e->setFrame(false);
        e->setAlignment(alignmentOf(format(index)));
        grid_->editorOpened(e, index);
        return e;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        // Only when the cell opens: a change elsewhere in the row must not
        // overwrite what is being typed.
        if (editor->property("filled").toBool())
            return;
        editor->setProperty("filled", true);
        if (auto* e = qobject_cast<QLineEdit*>(editor))
            e->setText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        if (auto* e = qobject_cast<QLineEdit*>(editor))
            model->setData(index, e->text(), Qt::EditRole);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QModelIndex current = grid_->currentIndex();
        if (index == current) {
            opt.state |= QStyle::State_Selected;
        } else if (current.isValid() && index.row() == current.row()) {
            const QColor base = opt.palette.color(QPalette::Base);
            const QColor mark = opt.palette.color(QPalette::Highlight);
            opt.backgroundBrush = QColor((base.red() * 4 + mark.red()) / 5, (base.green() * 4 + mark.green()) / 5,
                                         (base.blue() * 4 + mark.blue()) / 5);
        }
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        if (format(index) != Format::YesNo) {
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
            return;
        }
        // Yes/No: the box in the middle of the cell.
        const QVariant check = index.data(Qt::CheckStateRole);
        opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        opt.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        if (!check.isValid())
            return;
        // Drawn as the window's own check boxes are.
        QStyleOptionButton box;
        box.initFrom(opt.widget);
        const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, &box, opt.widget),
                         style->pixelMetric(QStyle::PM_IndicatorHeight, &box, opt.widget));
        box.rect = QStyle::alignedRect(opt.direction, Qt::AlignCenter, size, opt.rect);
        box.state = QStyle::State_Enabled | (check.toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, opt.widget);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        if (format(index) != Format::YesNo)
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        bool toggle = false;
        switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            auto* m = static_cast<QMouseEvent*>(event);
            toggle = m->button() == Qt::LeftButton && option.rect.contains(m->position().toPoint());
            break;
        }
        case QEvent::MouseButtonDblClick:
            return true;   // two clicks toggle twice, nothing more
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            toggle = key == Qt::Key_Space || key == Qt::Key_Select;
            break;
        }
        default:
            return false;
        }
        if (!toggle || !grid_->cellEditable(index) || !grid_->isCurrentDataRow(index.row()))
            return false;
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        if (model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole))
            Q_EMIT grid_->cellEdited();
        return true;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (!grid_ || object != grid_->editorObject_)
            return QStyledItemDelegate::eventFilter(object, event);
        if (event->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(event);
            switch (k->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                // Taken here, so the window's default button never sees it.
                grid_->editorEnter();
                return true;
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                if (!grid_->editorTextAccepted(true))
                    return true;
                break;
            case Qt::Key_Escape:
                // A cell opened on a new row and left unchanged: Escape gives
                // the row up, as it does once the cell is closed.
                if (!grid_->hasPendingEdit() && grid_->data_ && grid_->data_->isNewRow()) {
                    grid_->giveUpNewRow();
                    return true;
                }
                break;
            default:
                if (event != grid_->forwardedKey_ && !k->text().isEmpty() && k->text().at(0).isPrint()
                    && !grid_->deliverKey(k->text().at(0).unicode()))
                    return true;
                break;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // Text that is refused stays in the open cell until it is
            // corrected or the cell is left through the grid, with a message.
            if (!grid_->editorTextAccepted(false))
                return false;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

public:
    void forgetGrid() { grid_ = nullptr; }

private:
    Format format(const QModelIndex& index) const
    {
        return grid_->model_->columns.value(index.column()).format;
    }

    DataGrid* grid_;
};

// ---------------------------------------------------------------- selection

// Every change of the current cell passes here first: the control's row is
// left by its rule before the cursor moves.
class DataGridSelection : public QItemSelectionModel {
public:
    DataGridSelection(QAbstractItemModel* model, DataGrid* grid) : QItemSelectionModel(model, grid), grid_(grid) {}

    void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override
    {
        if (grid_->moving_ || !index.isValid() || index == currentIndex()) {
            QItemSelectionModel::setCurrentIndex(index, command);
            return;
        }
        const QModelIndex target = grid_->leaveFor(index);
        if (target.isValid())
            QItemSelectionModel::setCurrentIndex(target, command);
    }

private:
    DataGrid* grid_;
};

// ---------------------------------------------------------------- grid

DataGrid::DataGrid(QWidget* parent) : QTableView(parent)
{
    model_ = new DataGridModel(this);
    setModel(model_);
    QItemSelectionModel* stock = selectionModel();
    setSelectionModel(new DataGridSelection(model_, this));
    delete stock;
    setItemDelegate(new DataGridDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    // Tab leaves the grid, as between the window's other controls; within a
    // cell being edited it goes on to the next cell.
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(kEditingMark) + 10);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        for (int i = 0; i < model_->columns.size(); ++i)
            if (model_->columns[i].widthTwips > 0)
                setColumnWidth(i, model_->columns[i].widthTwips / kTwipsPerPixel);
    });
}

DataGrid::~DataGrid()
{
    if (data_)
        data_->removePendingEdit(this);
    // A cell still open is closed while the grid is whole: its box would
    // otherwise lose its focus, and raise events, as the grid is taken apart.
    if (editor_)
        QTableView::closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
    editor_ = nullptr;
    editorObject_ = nullptr;
    static_cast<DataGridDelegate*>(itemDelegate())->forgetGrid();
    for (CellEditor* e : viewport()->findChildren<CellEditor*>())
        e->forgetGrid();
}

void DataGrid::setDataControl(DataControl* data)
{
    if (data_ == data)
        return;
    if (data_) {
        data_->removePendingEdit(this);
        data_->disconnect(this);
    }
    data_ = data;
    model_->attach(data);
    if (data_) {
        data_->addPendingEdit(this);
        connect(data_, &DataControl::reposition, this, &DataGrid::followControl);
        connect(data_, &DataControl::rowsReset, this, &DataGrid::followControl);
    }
    model_->setAddLine(allowAddNew_ && !readOnly_);
    followControl();
}

int DataGrid::addColumn(const QString& caption, const QString& field, Format format, int widthTwips)
{
    model_->changeColumns([&] { model_->columns.push_back({caption, field, format, false, widthTwips}); });
    followControl();
    return int(model_->columns.size()) - 1;
}

int DataGrid::columnCount() const
{
    return int(model_->columns.size());
}

QString DataGrid::columnField(int column) const
{
    return model_->columns.value(column).field;
}

QString DataGrid::columnCaption(int column) const
{
    return model_->columns.value(column).caption;
}

int DataGrid::columnOf(const QString& field) const
{
    for (int i = 0; i < model_->columns.size(); ++i)
        if (model_->columns[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void DataGrid::setColumnReadOnly(int column, bool readOnly)
{
    if (column >= 0 && column < model_->columns.size())
        model_->columns[column].readOnly = readOnly;
}

void DataGrid::setColumnWidthTwips(int column, int twips)
{
    if (column < 0 || column >= model_->columns.size())
        return;
    model_->columns[column].widthTwips = twips;
    if (twips > 0)
        setColumnWidth(column, twips / kTwipsPerPixel);
}

void DataGrid::setReadOnly(bool readOnly)
{
    if (readOnly && isEditing())
        closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
    readOnly_ = readOnly;
    model_->setAddLine(allowAddNew_ && !readOnly_);
    followControl();
}

void DataGrid::setAllowAddNew(bool allow)
{
    allowAddNew_ = allow;
    model_->setAddLine(allowAddNew_ && !readOnly_);
    followControl();
}

int DataGrid::currentColumn() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

bool DataGrid::isEditing() const
{
    return editor_ && !editor_->isHidden();
}

QString DataGrid::cellText(int column) const
{
    if (column < 0 || column >= model_->columns.size())
        return QString();
    if (isEditing() && editorIndex_.column() == column && editorIndex_.row() == currentIndex().row())
        return editor_->text();
    if (!data_ || !data_->hasCurrent())
        return QString();
    const auto& c = model_->columns[column];
    return fieldText(data_->field(c.field), c.format);
}

void DataGrid::setCellText(int column, const QString& text)
{
    if (!data_ || column < 0 || column >= model_->columns.size())
        return;
    const auto& c = model_->columns[column];
    const QVariant value = fieldValue(text, c.format);
    if (isEditing() && editorIndex_.column() == column && editorIndex_.row() == currentIndex().row())
        closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
    if (data_->hasCurrent())
        data_->setField(c.field, value);
    else if (currentIndex().isValid() && currentIndex().row() == model_->addLineRow())
        writeCell(currentIndex().row(), column, value);
}

bool DataGrid::commitEdit()
{
    if (!isEditing())
        return true;
    if (!editorTextAccepted(true))
        return false;
    QLineEdit* editor = editor_;
    if (!model_->setData(editorIndex_, editor->text(), Qt::EditRole))
        return false;
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void DataGrid::cancelEdit()
{
    if (isEditing())
        closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
}

bool DataGrid::editCell(int column)
{
    if (!data_ || column < 0 || column >= model_->columns.size())
        return false;
    const int row = data_->hasCurrent() ? data_->absolutePosition() : model_->addLineRow();
    if (row < 0)
        return false;
    const QModelIndex idx = model_->index(row, column);
    if (currentIndex() != idx) {
        setCurrentIndex(idx);
        if (currentIndex() != idx)
            return false;
    }
    if (!(model_->flags(idx) & Qt::ItemIsEditable))
        return false;
    edit(idx);
    return isEditing();
}

bool DataGrid::hasPendingEdit() const
{
    if (!isEditing() || !data_ || !isCurrentDataRow(editorIndex_.row()))
        return false;
    const auto& c = model_->columns[editorIndex_.column()];
    return editor_->text() != fieldText(data_->field(c.field), c.format);
}

void DataGrid::flushPendingEdit()
{
    if (!isEditing() || !data_ || !isCurrentDataRow(editorIndex_.row()))
        return;
    const auto& c = model_->columns[editorIndex_.column()];
    const QVariant value = fieldValue(editor_->text(), c.format);   // throws: nothing written
    QLineEdit* editor = editor_;
    if (!sameFieldValue(data_->field(c.field), value, c.format))
        data_->setField(c.field, value);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DataGrid::editorOpened(QLineEdit* editor, const QModelIndex& index)
{
    editor_ = editor;
    editorObject_ = editor;
    editorIndex_ = index;
    connect(editor, &QLineEdit::textEdited, this, &DataGrid::cellEdited);
}

bool DataGrid::editorTextAccepted(bool showMessage)
{
    if (!isEditing())
        return true;
    try {
        fieldValue(editor_->text(), model_->columns.value(editorIndex_.column()).format);
        return true;
    } catch (const db::DbError& e) {
        if (showMessage) {
            QPointer<QLineEdit> editor = editor_;
            showError(e.userText());
            if (editor) {
                editor->setFocus();
                editor->selectAll();
            }
        }
        return false;
    }
}

void DataGrid::giveUpNewRow()
{
    // Escape with no cell being changed, as in a second Escape after the
    // cell's: the row not yet stored is given up, the cursor on the line.
    const int column = currentIndex().isValid() ? currentIndex().column() : lastColumn_;
    if (isEditing())
        closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
    data_->deleteCurrent(DataControl::AfterDelete::NoStepBack);
    const int line = model_->addLineRow();
    if (line >= 0)
        setCurrentIndex(model_->index(line, std::max(column, 0)));
}

bool DataGrid::editorEnter()
{
    if (!commitEdit())
        return false;
    deliverKey(13);
    return true;
}

bool DataGrid::deliverKey(int keyAscii)
{
    int key = keyAscii;
    Q_EMIT keyPress(key);
    return key != 0;
}

void DataGrid::showError(const QString& text)
{
    InfoMessage(text, window());
}

bool DataGrid::cellEditable(const QModelIndex& index) const
{
    if (readOnly_ || !index.isValid() || index.column() >= model_->columns.size())
        return false;
    const auto& c = model_->columns[index.column()];
    if (c.readOnly)
        return false;
    if (index.row() < model_->dataRows())
        return true;
    return index.row() == model_->addLineRow() && c.format != Format::YesNo;
}

bool DataGrid::isCurrentDataRow(int row) const
{
    return data_ && data_->hasCurrent() && row == data_->absolutePosition();
}

bool DataGrid::writeCell(int row, int column, const QVariant& value)
{
    if (!data_ || column < 0 || column >= model_->columns.size())
        return false;
    const auto& c = model_->columns[column];
    if (!cellEditable(model_->index(row, column)))
        return false;
    try {
        if (row == model_->addLineRow()) {
            // Nothing typed on the new-row line starts no row.
            if (fieldText(value, c.format).isEmpty() || (c.format == Format::YesNo && value.toInt() == 0))
                return true;
            if (!data_->addNew())
                return false;
        } else if (!isCurrentDataRow(row)) {
            return false;
        } else if (sameFieldValue(data_->field(c.field), value, c.format)) {
            return true;
        }
        data_->setField(c.field, value);
        return true;
    } catch (const db::DbError& e) {
        showError(e.userText());
        return false;
    }
}

QModelIndex DataGrid::leaveFor(const QModelIndex& index)
{
    const int row = index.row();
    const int column = index.column();
    // A cell being edited goes into the row first (or starts the new row).
    if (isEditing() && !commitEdit())
        return {};
    if (!data_)
        return model_->index(row, column);
    bool moved = true;
    {
        QScopedValueRollback<bool> guard(moving_, true);
        try {
            if (row < model_->dataRows()) {
                if (!isCurrentDataRow(row))
                    moved = data_->moveTo(row);
            } else if (data_->hasCurrent()) {
                moved = data_->movePastLast();
            }
        } catch (const db::DbError& e) {
            moved = false;
            showError(e.userText());
        }
    }
    if (!moved) {
        followControl();
        return {};
    }
    // Leaving a new row unstored drops it: the new-row line moves up.
    const int at = data_->hasCurrent() ? data_->absolutePosition() : model_->addLineRow();
    return model_->index(at, column);
}

void DataGrid::followControl()
{
    if (moving_)
        return;
    QModelIndex want;
    const int column = currentColumn() >= 0 ? currentColumn() : lastColumn_;
    if (data_ && column < model_->columns.size()) {
        if (data_->hasCurrent())
            want = model_->index(data_->absolutePosition(), column);
        else if (model_->showsAddLine())
            want = model_->index(model_->addLineRow(), column);
    }
    if (want == currentIndex())
        return;
    QScopedValueRollback<bool> guard(moving_, true);
    selectionModel()->setCurrentIndex(want, QItemSelectionModel::NoUpdate);
    if (want.isValid())
        scrollTo(want);
}

bool DataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (index.isValid() && index.row() != currentIndex().row())
        return false;
    return QTableView::edit(index, trigger, event);
}

void DataGrid::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        // The grid's Enter belongs to the window's key handler, never to its
        // default button.
        e->accept();
        deliverKey(13);
        return;
    }
    if (e->key() == Qt::Key_Escape && !readOnly_) {
        // Escape in a grid one types into belongs to the grid: it never
        // closes the window (with the rows typed in it).
        e->accept();
        if (isEditing())
            cancelEdit();
        else if (data_ && data_->isNewRow())
            giveUpNewRow();
        return;
    }
    const QString text = e->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !deliverKey(text.at(0).unicode())) {
        e->accept();
        return;
    }
    QScopedValueRollback<QEvent*> forwarded(forwardedKey_, e);
    QTableView::keyPressEvent(e);
}

void DataGrid::mousePressEvent(QMouseEvent* e)
{
    const QModelIndex at = indexAt(e->position().toPoint());
    pressOnCurrent_ = at.isValid() && at == currentIndex();
    QTableView::mousePressEvent(e);
}

void DataGrid::mouseReleaseEvent(QMouseEvent* e)
{
    const QModelIndex at = indexAt(e->position().toPoint());
    QTableView::mouseReleaseEvent(e);
    // A click on the cell that was already current opens it for typing.
    if (pressOnCurrent_ && at.isValid() && at == currentIndex() && !isEditing()
        && (model_->flags(at) & Qt::ItemIsEditable))
        edit(at);
    pressOnCurrent_ = false;
    Q_EMIT gridClicked();
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        lastColumn_ = current.column();
    // The current row's shading follows the cursor.
    if (previous.isValid() && previous.row() != current.row())
        viewport()->update();
    else if (current.isValid())
        viewport()->update(visualRect(current).united(visualRect(previous)));
    if (current.row() != previous.row() || current.column() != previous.column())
        Q_EMIT currentCellChanged(current.row(), current.column());
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool keep = std::exchange(keepEditor_, false);
    if (editor == editorObject_) {
        // A commit of the view's own whose text was refused: the cell stays
        // open for correction, as after Enter or Tab.
        if (keep && hint != QAbstractItemDelegate::RevertModelCache && editorIndex_.row() == currentIndex().row()) {
            editor_->setFocus();
            editor_->selectAll();
            return;
        }
        editor_ = nullptr;
        editorObject_ = nullptr;
        editorIndex_ = QPersistentModelIndex();
    }
    QTableView::closeEditor(editor, hint);
}

void DataGrid::editorGoing(QLineEdit* editor)
{
    if (editorObject_ != editor)
        return;
    editor_ = nullptr;
    editorObject_ = nullptr;
    editorIndex_ = QPersistentModelIndex();
}

void DataGrid::refuseTyped(const QModelIndex& index, const QString& message)
{
    // Text that reached the model without the grid's own check (the view
    // commits a cell on its own): said here, and the cell kept.
    keepEditor_ = isEditing() && index == QModelIndex(editorIndex_);
    QPointer<QLineEdit> editor = editor_;
    showError(message);
    if (keepEditor_ && editor) {
        editor->setFocus();
        editor->selectAll();
    }
}

} // namespace tav
