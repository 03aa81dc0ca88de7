#include "core/text_table.h"

#include <algorithm>

namespace {
// A row is one string: each cell as its length, then its characters. A length
// below 0x8000 takes one character; a longer one two, the first with its top
// bit set. The string ends after the last cell written: the cells past its end
// are empty, and a row of empty cells is an empty string that costs nothing.
constexpr char16_t LongLength = 0x8000;

qsizetype packedSize(QStringView text) { return (text.size() < LongLength ? 1 : 2) + text.size(); }

QChar *putCell(QChar *out, QStringView text)
{
    const qsizetype n = text.size();
    if (n < LongLength) {
        *out++ = QChar(char16_t(n));
    } else {
        *out++ = QChar(char16_t(LongLength | n >> 16));
        *out++ = QChar(char16_t(n & 0xFFFF));
    }
    return std::copy(text.begin(), text.end(), out);
}

// Where a cell lies in its row: its length from `at`, its text from `text` to
// `end`. A cell past the end of the row has all three at the row's end, and
// `missing` empty cells go before it when it is written.
struct Span {
    qsizetype at, text, end;
    int missing;
};

Span findCell(QStringView row, int col)
{
    qsizetype at = 0;
    for (int c = 0;; ++c) {
        if (at >= row.size())
            return {at, at, at, col - c};
        qsizetype length = row[at].unicode();
        qsizetype head = 1;
        if (length & LongLength) {
            length = (length & ~qsizetype(LongLength)) << 16 | row[at + 1].unicode();
            head = 2;
        }
        if (c == col)
            return {at, at + head, at + head + length, 0};
        at += head + length;
    }
}

QString packRow(const QStringList &cells, int cols)
{
    qsizetype used = std::min<qsizetype>(cells.size(), cols);
    while (used > 0 && cells[used - 1].isEmpty())
        --used;
    qsizetype size = 0;
    for (qsizetype c = 0; c < used; ++c)
        size += packedSize(cells[c]);
    if (size == 0)
        return QString();
    QString row(size, Qt::Uninitialized);
    QChar *out = row.data();
    for (qsizetype c = 0; c < used; ++c)
        out = putCell(out, cells[c]);
    return row;
}
} // namespace

TextTable::TextTable(int colCount, int rowCount, QObject *parent)
    : QAbstractTableModel(parent), cols_(colCount), rows_(std::max(rowCount, 0))
{
}

int TextTable::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int TextTable::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : cols_; }

void TextTable::setFixed(int cols, int rows)
{
    fixedCols_ = cols;
    fixedRows_ = rows;
}

QString TextTable::cell(int col, int row) const
{
    if (!inside(col, row))
        return QString();
    const QString &r = rows_[row];
    const Span s = findCell(r, col);
    return r.mid(s.text, s.end - s.text);
}

void TextTable::setCell(int col, int row, const QString &text)
{
    if (!inside(col, row))
        return;
    QString &r = rows_[row];
    const Span s = findCell(r, col);
    if (QStringView(r).sliced(s.text, s.end - s.text) == text)
        return;
    QString out(s.at + s.missing + packedSize(text) + (r.size() - s.end), Qt::Uninitialized);
    QChar *p = std::copy_n(r.constData(), s.at, out.data());
    p = std::fill_n(p, s.missing, QChar(0));
    p = putCell(p, text);
    std::copy(r.constData() + s.end, r.constData() + r.size(), p);
    r = std::move(out);
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
}

void TextTable::setRow(int row, const QStringList &cells)
{
    if (!inside(0, row))
        return;
    rows_[row] = packRow(cells, cols_);
    emit dataChanged(index(row, 0), index(row, cols_ - 1), {Qt::DisplayRole, Qt::EditRole});
}

void TextTable::setRowCount(int rows)
{
    rows = std::max(rows, 0);
    const int old = int(rows_.size());
    if (rows > old) {
        beginInsertRows(QModelIndex(), old, rows - 1);
        rows_.resize(rows);
        resizeMarks();
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows(QModelIndex(), rows, old - 1);
        rows_.resize(rows);
        resizeMarks();
        endRemoveRows();
    }
}

void TextTable::appendRows(const QList<QStringList> &rows)
{
    if (rows.isEmpty())
        return;
    const int first = int(rows_.size());
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    for (const QStringList &cells : rows)
        rows_.append(packRow(cells, cols_));
    resizeMarks();
    endInsertRows();
}

void TextTable::clear()
{
    beginResetModel();
    rows_ = QList<QString>();
    marks_ = QByteArray();
    endResetModel();
}

void TextTable::resizeMarks()
{
    if (!marks_.isEmpty())
        marks_.resize(rows_.size(), 0);
}

int TextTable::rowMark(int row) const { return row >= 0 && row < marks_.size() ? quint8(marks_[row]) : 0; }

void TextTable::setRowMark(int row, int key)
{
    if (!inside(0, row) || key < 0 || key > 255 || rowMark(row) == key)
        return;
    if (marks_.isEmpty())
        marks_ = QByteArray(rows_.size(), 0);
    marks_[row] = char(key);
    emit dataChanged(index(row, 0), index(row, cols_ - 1), {MarkRole});
}

QVariant TextTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return cell(index.column(), index.row());
    if (role == MarkRole)
        return rowMark(index.row());
    return QVariant();
}

bool TextTable::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setCell(index.column(), index.row(), value.toString());
    return true;
}

Qt::ItemFlags TextTable::flags(const QModelIndex &index) const
{
    if (!index.isValid() || isFixed(index.column(), index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
