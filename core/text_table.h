#pragma once
// Rows x columns of texts as a Qt model: the data behind every text grid of the
// program (the working set, the event list, the lists of the dialogs), used
// directly by the code that fills and reads it, with the grids as its views.
// Each row is one string holding its cells, so 100,000 events stay small.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TextTable : public QAbstractTableModel {
    Q_OBJECT
public:
    // The row's colour key (0: not marked), for views that paint marked rows.
    static constexpr int MarkRole = Qt::UserRole + 1;

    explicit TextTable(int colCount, int rowCount = 0, QObject *parent = nullptr);

    int colCount() const { return cols_; }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;

    // The first columns and rows hold headings and labels: views show them,
    // but they cannot be selected, made current or edited there.
    void setFixed(int cols, int rows);
    int fixedCols() const { return fixedCols_; }
    int fixedRows() const { return fixedRows_; }
    bool isFixed(int col, int row) const { return col < fixedCols_ || row < fixedRows_; }

    // Empty outside the table.
    QString cell(int col, int row) const;
    // Ignored outside the table.
    void setCell(int col, int row, const QString &text);
    // The row's cells from column 0 on; the columns the list does not reach become empty.
    void setRow(int row, const QStringList &cells);
    // Drops rows from the end or adds empty ones.
    void setRowCount(int rows);
    // Adds rows at the end, each given by its cells as for setRow, in one step for the views.
    void appendRows(const QList<QStringList> &rows);
    // Leaves no row.
    void clear();

    int rowMark(int row) const;
    // Gives the row a colour key 0 ... 255; 0 takes the mark away.
    void setRowMark(int row, int key);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    bool inside(int col, int row) const { return col >= 0 && col < cols_ && row >= 0 && row < rows_.size(); }
    void resizeMarks();

    int cols_;
    int fixedCols_ = 0;
    int fixedRows_ = 0;
    QList<QString> rows_;  // each row's cells, packed one after another
    QByteArray marks_;     // a colour key per row; empty while no row was ever marked
};
