#pragma once
// A table grid bound to an open table: one column per field titled with its
// display label, editing in place with the editor always shown, the current
// record marked in the row header, resizable columns, Tab between cells.
// Ctrl+Delete deletes the current record after the operator confirms it;
// Escape cancels the edit or insert of the current record, so a record that
// cannot be stored can always be given up.
// The table must outlive the grid or be unbound first.

#include <QTableView>
#include <functional>

class DataSet;
class TableModel;

class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget *parent = nullptr);
    ~DBGrid() override;

    void setTable(DataSet *table);  // nullptr unbinds
    DataSet *table() const;
    // Width of column c in pixels; kept when the table is reopened. 0 = default.
    void setColumnWidths(const QList<int> &widths);
    // Escape: drops the change of the record under edit or insert.
    void cancelEdit();

signals:
    // The operator double-clicked a cell.
    void recordDoubleClicked();

public:

protected:
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void tableChanged(int change);
    void applyWidths();
    void showCurrent();
    void askAndDelete();

    TableModel *model_;
    DataSet *table_ = nullptr;
    int subscription_ = 0;
    QList<int> widths_;
    bool following_ = false;  // the grid is following the table's cursor
};

// Asks the operator whether to delete the current record ("Delete record?"),
// and deletes it on Yes. Shared by the grid and the navigator.
void confirmAndDelete(DataSet &table);
