#include "records/heading_grid.h"

#include <QHeaderView>

namespace {
constexpr int TitleWidth = 96;
constexpr int HeadingWidth = 88;
constexpr int RowHeight = 24;
} // namespace

HeadingGrid::HeadingGrid(int headingCount, QWidget *parent) : TextGrid(headingCount + 1, 2, 1, 1, parent)
{
    setCell(0, 0, QStringLiteral("Starý nadpis"));
    setCell(0, 1, QStringLiteral("Nový nadpis"));
    setRowHeights(RowHeight);
    setColumnWidth(0, TitleWidth);
    for (int c = 1; c <= headingCount; ++c)
        setColumnWidth(c, HeadingWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * frameWidth();
    setFixedSize(TitleWidth + headingCount * HeadingWidth + frame, 2 * RowHeight + frame);
}

void HeadingGrid::setHeading(int c, const QString &text)
{
    setCell(c + 1, 0, text);
    setCell(c + 1, 1, text);
}

void HeadingGrid::commitEdit()
{
    QWidget *editor = window()->focusWidget();
    if (editor && editor != viewport() && viewport()->isAncestorOf(editor))
        commitData(editor);
}

bool HeadingGrid::hasCellAfter(bool next) const
{
    const int c = col() + (next ? 1 : -1);
    return row() == 1 && c >= 1 && c < colCount();
}

bool HeadingGrid::focusNextPrevChild(bool next)
{
    if (!hasCellAfter(next))
        return QWidget::focusNextPrevChild(next);
    selectCell(col() + (next ? 1 : -1), 1);
    return true;
}

void HeadingGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool tabbing = hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem;
    if (!tabbing || hasCellAfter(hint == QAbstractItemDelegate::EditNextItem)) {
        TextGrid::closeEditor(editor, hint);
        return;
    }
    TextGrid::closeEditor(editor, QAbstractItemDelegate::NoHint);
    QWidget::focusNextPrevChild(hint == QAbstractItemDelegate::EditNextItem);
}
