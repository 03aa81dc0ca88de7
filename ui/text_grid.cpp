#include "ui/text_grid.h"
#include "ui/cp1250_validator.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QValidator>
#include <algorithm>

namespace {

class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(TextGrid *grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &o, const QModelIndex &i) const override
    {
        QWidget *w = QStyledItemDelegate::createEditor(parent, o, i);
        if (auto *e = qobject_cast<QLineEdit *>(w))
            e->setValidator(new Cp1250Validator(e));
        return w;
    }

protected:
    void initStyleOption(QStyleOptionViewItem *o, const QModelIndex &i) const override
    {
        QStyledItemDelegate::initStyleOption(o, i);
        if (grid_->table().isFixed(i.column(), i.row())) {
            // A heading: the table disables it, but it reads as plain text on the button colour.
            if (grid_->isEnabled()) {
                o->state |= QStyle::State_Enabled;
                o->palette.setCurrentColorGroup(QPalette::Normal);
            }
            o->backgroundBrush = o->palette.button();
        } else if (const QColor c = grid_->markColour(i.data(TextTable::MarkRole).toInt()); c.isValid()) {
            o->backgroundBrush = c;
        }
    }

private:
    TextGrid *grid_;
};
} // namespace

TextGrid::TextGrid(int colCount, int rowCount, int fixedCols, int fixedRows, QWidget *parent)
    : QTableView(parent), ownTable_(std::make_unique<TextTable>(colCount, rowCount)), table_(ownTable_.get())
{
    table_->setFixed(fixedCols, fixedRows);
    setUp();
}

TextGrid::TextGrid(TextTable *table, QWidget *parent) : QTableView(parent), table_(table) { setUp(); }

void TextGrid::setUp()
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setModel(table_);
    setItemDelegate(new CellDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabKeyNavigation(true);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (current.isValid())
            emit cellSelected(current.column(), current.row());
    });
    if (table_->rowCount() > table_->fixedRows() && table_->colCount() > table_->fixedCols())
        selectCell(table_->fixedCols(), table_->fixedRows());
}

void TextGrid::setColWidths(const QList<int> &widths)
{
    for (int c = 0; c < widths.size() && c < colCount(); ++c)
        setColumnWidth(c, widths[c]);
}

void TextGrid::setRowHeights(int h)
{
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(h);
}

void TextGrid::selectCell(int col, int row)
{
    setCurrentIndex(table_->index(std::max(row, table_->fixedRows()), std::max(col, table_->fixedCols())));
}

void TextGrid::keyPressEvent(QKeyEvent *e)
{
    for (QChar ch : e->text())
        emit keyTyped(ch);
    QTableView::keyPressEvent(e);
}

// The view moves the current cell off removed rows to a neighbour that can be
// current; when only fixed rows are left there is none, and the cell goes.
void TextGrid::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    const int current = row();
    if (current >= start && current <= end && table_->rowCount() - (end - start + 1) <= table_->fixedRows())
        selectionModel()->clearCurrentIndex();
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}
