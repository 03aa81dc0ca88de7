#include "ui/text_grid.h"
#include "core/cp1250.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QValidator>

namespace {
// Keeps characters out of the editor that the files could not hold.
class Cp1250Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override { return fitsCp1250(input) ? Acceptable : Invalid; }
};

class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &o, const QModelIndex &i) const override
    {
        QWidget *w = QStyledItemDelegate::createEditor(parent, o, i);
        if (auto *e = qobject_cast<QLineEdit *>(w))
            e->setValidator(new Cp1250Validator(e));
        return w;
    }
};
} // namespace

TextGrid::TextGrid(int colCount, int rowCount, int fixedCols, int fixedRows, QWidget *parent)
    : QTableWidget(rowCount, colCount, parent), fixedCols_(fixedCols), fixedRows_(fixedRows)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setItemDelegate(new CellDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabKeyNavigation(true);
    for (int r = 0; r < rowCount; ++r)
        for (int c = 0; c < colCount; ++c)
            setItem(r, c, newItem(c, r));
    connect(this, &QTableWidget::currentCellChanged, this, [this](int r, int c, int, int) {
        if (r >= 0 && c >= 0)
            emit cellSelected(c, r);
    });
    if (rowCount > fixedRows && colCount > fixedCols)
        setCurrentCell(fixedRows, fixedCols);
}

QTableWidgetItem *TextGrid::newItem(int col, int row) const
{
    auto *item = new QTableWidgetItem;
    if (row < fixedRows_ || col < fixedCols_) {
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(palette().button());
    }
    return item;
}

void TextGrid::setRowCountAll(int rows)
{
    const int old = rowCount();
    setRowCount(rows);
    for (int r = old; r < rows; ++r)
        for (int c = 0; c < columnCount(); ++c)
            setItem(r, c, newItem(c, r));
}

QString TextGrid::cell(int col, int row) const
{
    const QTableWidgetItem *i = item(row, col);
    return i ? i->text() : QString();
}

void TextGrid::setCell(int col, int row, const QString &text)
{
    if (QTableWidgetItem *i = item(row, col))
        i->setText(text);
}

void TextGrid::setColWidths(const QList<int> &widths)
{
    for (int c = 0; c < widths.size() && c < columnCount(); ++c)
        setColumnWidth(c, widths[c]);
}

void TextGrid::setRowHeights(int h)
{
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(h);
}

void TextGrid::selectCell(int col, int row) { setCurrentCell(row, col); }

void TextGrid::keyPressEvent(QKeyEvent *e)
{
    for (QChar ch : e->text())
        emit keyTyped(ch);
    QTableWidget::keyPressEvent(e);
}
