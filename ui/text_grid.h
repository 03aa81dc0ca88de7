#pragma once
// An editable text grid, addressed as cells(col, row): a view of a TextTable.
// The table's fixed rows and columns are painted as headings; they are never
// edited and never become the current cell, by keyboard, mouse or selectCell.

#include "core/text_table.h"

#include <QColor>
#include <QHash>
#include <QTableView>
#include <memory>

class TextGrid : public QTableView {
    Q_OBJECT
public:
    // A grid over a table of its own, of empty texts.
    TextGrid(int colCount, int rowCount, int fixedCols, int fixedRows, QWidget *parent = nullptr);
    // A view of a table held elsewhere, which must outlive the grid.
    explicit TextGrid(TextTable *table, QWidget *parent = nullptr);

    TextTable &table() const { return *table_; }
    QString cell(int col, int row) const { return table_->cell(col, row); }
    void setCell(int col, int row, const QString &text) { table_->setCell(col, row, text); }
    int colCount() const { return table_->colCount(); }
    int rowCountAll() const { return table_->rowCount(); }
    // Drops rows from the end or adds empty ones.
    void setRowCountAll(int rows) { table_->setRowCount(rows); }
    void setColWidths(const QList<int> &widths);
    void setRowHeights(int h);
    // The cell the operator works on (never a fixed one); -1 when there is none.
    int col() const { return currentIndex().column(); }
    int row() const { return currentIndex().row(); }
    // Makes the cell current; a fixed row or column gives way to the first one that is not.
    void selectCell(int col, int row);
    // Rows of the table marked with `key` are painted in `colour`.
    void setMarkColour(int key, const QColor &colour) { markColours_.insert(key, colour); }
    QColor markColour(int key) const { return markColours_.value(key); }

signals:
    // A cell became the selected one.
    void cellSelected(int col, int row);
    // A character was typed into the grid.
    void keyTyped(QChar ch);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;

private:
    void setUp();

    std::unique_ptr<TextTable> ownTable_;
    TextTable *table_;
    QHash<int, QColor> markColours_;
};
