// The working-set file: any bytes are filled into a working set, which stays
// 511 rows of 4 cells; what it then holds is written and read back unchanged.
#include "records/working_set.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    WorkingSet set;
    fillWorkingSet(set, bytes);
    if (set.rowCount() != WorkingSet::Rows || set.colCount() != WorkingSet::Cols)
        __builtin_trap();
    const QByteArray saved = workingSetBytes(set);
    WorkingSet again;
    fillWorkingSet(again, saved);
    for (int r = 0; r < WorkingSet::Rows; ++r)
        for (int c = 0; c < WorkingSet::Cols; ++c)
            if (again.cell(c, r) != set.cell(c, r))
                __builtin_trap();
    return 0;
}
