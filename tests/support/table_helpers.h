#pragma once
// Helpers for tests that fill and read tables of the engine.

#include "records/table.h"

#include <QStringList>

// Appends one record with the values in its first fields.
inline void addRecord(Table &t, const QStringList &values)
{
    t.append();
    for (int i = 0; i < values.size(); ++i)
        t.setFieldText(i, values[i]);
    t.post();
}

// Field `field` of every record, in the table's order.
inline QStringList column(Table &t, int field)
{
    QStringList out;
    for (int p = 0; p < t.recordCount(); ++p)
        out << t.textAt(p, field);
    return out;
}
