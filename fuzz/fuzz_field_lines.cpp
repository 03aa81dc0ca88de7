// The ';'-separated files (working set, exchange files, events): any bytes.
#include "core/field_lines.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    qsizetype total = 0;
    readFieldLines(bytes, 511, [&](int row, int col, const QString &text) {
        if (row < 0 || row >= 511 || col < 0)
            __builtin_trap();
        total += text.size();
    });
    if (total > bytes.size())
        __builtin_trap();
    QByteArray out;
    appendFieldLine(out, {QString::fromLatin1(bytes.left(64))});
    return 0;
}
