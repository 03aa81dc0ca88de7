// The event download's watermark file (TAVO-cli-udalosti.txt): any bytes are
// either refused with a reason or taken; what is taken is written and read
// back to the same watermarks.
#include "cli/watermark.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const std::optional<cli::Watermarks> marks = cli::parseWatermarks(bytes, &error);
    if (!marks) {
        if (error.isEmpty())
            __builtin_trap();
        return 0;
    }
    const std::optional<cli::Watermarks> again = cli::parseWatermarks(cli::watermarkBytes(*marks), &error);
    if (!again || again->keys() != marks->keys())
        __builtin_trap();
    for (auto it = marks->cbegin(); it != marks->cend(); ++it) {
        const cli::Watermark &a = *it, &b = again->value(it.key());
        if (a.lastEvent != b.lastEvent || a.dateTime != b.dateTime || a.pending != b.pending)
            __builtin_trap();
    }
    return 0;
}
