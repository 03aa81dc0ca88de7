#include "records/working_set.h"
#include "core/field_lines.h"

#include <QFile>

QString slotLabel(int slot) { return slot == 1 ? QStringLiteral("master") : slotNumber(slot); }

QString slotNumber(int slot) { return QStringLiteral("%1").arg(slot, 3, 10, QLatin1Char('0')); }

WorkingSet::WorkingSet() : TextTable(Cols, Rows)
{
    setFixed(1, 1);
    clearWorkingSet(*this);
}

void clearWorkingSet(TextTable &set)
{
    for (int r = 1; r < WorkingSet::Rows; ++r)
        set.setRow(r, {slotLabel(r)});
}

QByteArray workingSetBytes(const TextTable &set)
{
    QByteArray out;
    out.reserve(WorkingSet::Rows * 40);
    for (int r = 0; r < WorkingSet::Rows; ++r) {
        QStringList cells;
        for (int c = 0; c < WorkingSet::Cols; ++c)
            cells << set.cell(c, r);
        appendFieldLine(out, cells);
    }
    return out;
}

void fillWorkingSet(TextTable &set, const QByteArray &bytes)
{
    readFieldLines(bytes, WorkingSet::Rows, [&set](int r, int c, const QString &text) {
        if (c < WorkingSet::Cols)
            set.setCell(c, r, text);
    });
}

void LoadWorkingSet(TextTable &set, const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return;
    fillWorkingSet(set, f.readAll());
}

bool SaveWorkingSet(const TextTable &set, const QString &fileName, QString *reason)
{
    return writeWholeFile(fileName, workingSetBytes(set), reason);
}
