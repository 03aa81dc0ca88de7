#pragma once
// An editable text grid with fixed rows and columns, addressed as cells(col, row).

#include <QTableWidget>
#include <functional>

class TextGrid : public QTableWidget {
    Q_OBJECT
public:
    TextGrid(int colCount, int rowCount, int fixedCols, int fixedRows, QWidget *parent = nullptr);

    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString &text);
    int colCount() const { return columnCount(); }
    int rowCountAll() const { return rowCount(); }
    // Drops rows from the end or adds empty ones (fixed in the fixed columns).
    void setRowCountAll(int rows);
    void setColWidths(const QList<int> &widths);
    void setRowHeights(int h);
    // The cell the operator works on (never a fixed one).
    int col() const { return currentColumn(); }
    int row() const { return currentRow(); }
    void selectCell(int col, int row);

signals:
    // A cell became the selected one.
    void cellSelected(int col, int row);
    // A character was typed into the grid.
    void keyTyped(QChar ch);

public:

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    QTableWidgetItem *newItem(int col, int row) const;
    int fixedCols_;
    int fixedRows_;
};
