#include "ui/db_grid.h"
#include "ui/cp1250_validator.h"
#include "ui/data_set.h"
#include "core/cp1250.h"
#include "core/error.h"
#include "core/operator.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QValidator>

void confirmAndDelete(DataSet &table)
{
    if (op().messageBox(QStringLiteral("Confirm"), QStringLiteral("Delete record?"), MB_YESNO | MB_ICONQUESTION) == IDYES)
        table.deleteRecord();
}

// The table's records in its active order; while a record is inserted it is
// shown as one more row at the end.
class TableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    DataSet *table = nullptr;
    bool quiet = false;  // the grid itself is driving the table: it need not follow it

    bool inserting() const { return table && table->state() == DataSet::Insert; }
    int currentRow() const
    {
        if (!table || !table->active())
            return -1;
        return inserting() ? table->recordCount() : table->recNo();
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        if (parent.isValid() || !table || !table->active())
            return 0;
        return table->recordCount() + (inserting() ? 1 : 0);
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !table || !table->active() ? 0 : table->fieldCount();
    }
    QVariant data(const QModelIndex &i, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return {};
        if (i.row() == currentRow() && table->state() != DataSet::Browse)
            return table->fieldText(i.column());
        return table->textAt(i.row(), i.column());
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (role != Qt::DisplayRole || !table || !table->active())
            return {};
        if (o == Qt::Horizontal)
            return section < table->fieldCount() ? table->displayLabel(section) : QVariant();
        return section == currentRow() ? indicator() : QString();
    }
    Qt::ItemFlags flags(const QModelIndex &) const override
    {
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }
    bool setData(const QModelIndex &i, const QVariant &value, int role) override
    {
        if (role != Qt::EditRole || value.toString() == data(i, Qt::EditRole).toString())
            return false;
        // An editor left open on the row of a cancelled insert: its record is gone.
        if (i.row() != currentRow() && table->bookmarkAt(i.row()) < 0)
            return false;
        bool done = false;
        const QScopedValueRollback<bool> q(quiet, true);
        guarded([&] {
            if (i.row() != currentRow())
                goToRow(i.row());
            const bool editing = table->state() != DataSet::Browse;
            table->edit();
            try {
                table->setFieldText(i.column(), value.toString());
            } catch (...) {
                // A text the field refuses leaves no edit behind that was not there before.
                if (!editing)
                    table->cancel();
                throw;
            }
            done = true;
        });
        return done;
    }
    // The record the row shows now: posting the record under edit may move
    // it in the order, and with it the records between.
    void goToRow(int row) { table->gotoBookmark(table->bookmarkAt(row)); }
    void reset()
    {
        beginResetModel();
        endResetModel();
    }
    void refreshAll()
    {
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        if (rowCount() > 0)
            emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    }

private:
    QString indicator() const
    {
        switch (table->state()) {
        case DataSet::Edit: return QStringLiteral("I");
        case DataSet::Insert: return QStringLiteral("*");
        default: return QStringLiteral("\u25B6");
        }
    }
};

namespace {

class FieldDelegate : public QStyledItemDelegate {
public:
    FieldDelegate(DBGrid *grid) : QStyledItemDelegate(grid), grid_(grid) {}
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &o, const QModelIndex &i) const override
    {
        QWidget *w = QStyledItemDelegate::createEditor(parent, o, i);
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            e->setValidator(new Cp1250Validator(e));
            // A value longer than its field (a memo's text) is shown whole.
            if (grid_->table())
                e->setMaxLength(qMax(grid_->table()->fieldWidth(i.column()), int(i.data().toString().size())));
        }
        w->installEventFilter(grid_);
        return w;
    }
    // Escape reaches the delegate before the grid: the edit is cancelled, then the editor closed.
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape)
            grid_->cancelEdit();
        return QStyledItemDelegate::eventFilter(o, e);
    }

private:
    DBGrid *grid_;
};
} // namespace

DBGrid::DBGrid(QWidget *parent) : QTableView(parent), model_(new TableModel(this))
{
    setModel(model_);
    setItemDelegate(new FieldDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabKeyNavigation(true);
    setShowGrid(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setWordWrap(false);
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    QTableView::mouseDoubleClickEvent(e);
    emit recordDoubleClicked();
}

// The editor is always shown while the grid has the focus.
void DBGrid::focusInEvent(QFocusEvent *e)
{
    QTableView::focusInEvent(e);
    if (currentIndex().isValid() && !indexWidget(currentIndex()))
        edit(currentIndex());
}

DBGrid::~DBGrid() { setTable(nullptr); }

void DBGrid::setTable(DataSet *table)
{
    if (table_)
        table_->unsubscribe(subscription_);
    table_ = table;
    model_->table = table;
    if (table_)
        subscription_ = table_->subscribe([this](DataSet::Change c) { tableChanged(int(c)); });
    tableChanged(int(DataSet::Change::Structure));
}

DataSet *DBGrid::table() const { return table_; }

void DBGrid::setColumnWidths(const QList<int> &widths)
{
    widths_ = widths;
    applyWidths();
}

void DBGrid::applyWidths()
{
    for (int c = 0; c < widths_.size() && c < model_->columnCount(); ++c)
        setColumnWidth(c, widths_[c] > 0 ? widths_[c] : horizontalHeader()->defaultSectionSize());
}

void DBGrid::tableChanged(int change)
{
    const bool rowsChanged = model_->rowCount() != verticalHeader()->count();
    if (change == int(DataSet::Change::Structure) || rowsChanged) {
        model_->reset();
        applyWidths();
    } else {
        model_->refreshAll();
    }
    if (!model_->quiet)
        showCurrent();
}

// Puts the grid's current cell on the table's current record, keeping the column.
void DBGrid::showCurrent()
{
    const int row = model_->currentRow();
    if (row < 0 || row == currentIndex().row())
        return;
    following_ = true;
    setCurrentIndex(model_->index(row, qMax(0, currentIndex().column())));
    following_ = false;
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    {
        const QScopedValueRollback<bool> q(model_->quiet, true);
        QTableView::currentChanged(current, previous);
        if (following_ || !table_ || !current.isValid() || current.row() == model_->currentRow())
            return;
        if (current.row() < table_->recordCount())
            guarded([&] { model_->goToRow(current.row()); });
    }
    showCurrent();
}

void DBGrid::askAndDelete()
{
    if (table_ && table_->active())
        guarded([this] { confirmAndDelete(*table_); });
}

void DBGrid::cancelEdit()
{
    if (table_ && (table_->state() == DataSet::Edit || table_->state() == DataSet::Insert))
        guarded([this] { table_->cancel(); });
}

void DBGrid::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        cancelEdit();
        return;
    }
    if (e->key() == Qt::Key_Delete && (e->modifiers() & Qt::ControlModifier)) {
        askAndDelete();
        return;
    }
    QTableView::keyPressEvent(e);
}

// The editor is always shown, so it gets the double clicks and Ctrl+Delete first.
bool DBGrid::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::MouseButtonDblClick) {
        emit recordDoubleClicked();
        return true;
    }
    if (e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Delete && (k->modifiers() & Qt::ControlModifier)) {
            askAndDelete();
            return true;
        }
    }
    return QTableView::eventFilter(watched, e);
}
