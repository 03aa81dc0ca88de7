#include "records/working_set.h"
#include "core/field_lines.h"
#include "ui/text_grid.h"

#include <QFile>

namespace {
constexpr int Rows = SlotCount + 1;
constexpr int Cols = 4;
} // namespace

QString slotLabel(int slot) { return slot == 1 ? QStringLiteral("master") : slotNumber(slot); }

QString slotNumber(int slot) { return QStringLiteral("%1").arg(slot, 3, 10, QLatin1Char('0')); }

TextGrid *createWorkingSetGrid()
{
    auto *grid = new TextGrid(Cols, Rows, 1, 1);
    grid->setColWidths({50, 124, 124, 110});
    grid->setRowHeights(18);
    clearWorkingSet(*grid);
    return grid;
}

void clearWorkingSet(TextGrid &grid)
{
    for (int r = 1; r < Rows; ++r) {
        grid.setCell(0, r, slotLabel(r));
        for (int c = 1; c < Cols; ++c)
            grid.setCell(c, r, QString());
    }
}

QByteArray workingSetBytes(const TextGrid &grid)
{
    QByteArray out;
    out.reserve(Rows * 40);
    for (int r = 0; r < Rows; ++r) {
        QStringList cells;
        for (int c = 0; c < Cols; ++c)
            cells << grid.cell(c, r);
        appendFieldLine(out, cells);
    }
    return out;
}

void fillWorkingSet(TextGrid &grid, const QByteArray &bytes)
{
    readFieldLines(bytes, Rows, [&grid](int r, int c, const QString &text) {
        if (c < Cols)
            grid.setCell(c, r, text);
    });
}

void LoadWorkingSet(TextGrid &grid, const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return;
    fillWorkingSet(grid, f.readAll());
}

bool SaveWorkingSet(const TextGrid &grid, const QString &fileName, QString *reason)
{
    return writeWholeFile(fileName, workingSetBytes(grid), reason);
}
