#include "records/working_set.h"
#include "ui/cp1250.h"
#include "ui/text_grid.h"

#include <QFile>
#include <QSaveFile>

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
        for (int c = 0; c < Cols; ++c) {
            if (c > 0)
                out.append(';');
            out.append(toCp1250(grid.cell(c, r)).replace(';', QByteArray()));
        }
        out.append("\r\n");
    }
    return out;
}

void fillWorkingSet(TextGrid &grid, const QByteArray &bytes)
{
    int r = 0, c = 0;
    QByteArray text;
    auto store = [&] {
        if (c < Cols)
            grid.setCell(c, r, fromCp1250(text));
        text.clear();
    };
    for (qsizetype i = 0; i < bytes.size() && r < Rows; ++i) {
        const char b = bytes[i];
        if (b == ';') {
            store();
            ++c;
        } else if (b == '\r' || b == '\n') {
            store();
            c = 0;
            ++r;
            if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            text.append(b);
        }
    }
    // A last line without its line end still counts.
    if (r < Rows && (!text.isEmpty() || c > 0))
        store();
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
    QSaveFile f(fileName);
    const QByteArray bytes = workingSetBytes(grid);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    if (reason)
        *reason = f.errorString();
    return false;
}
