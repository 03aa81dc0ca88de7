// TAVO-konfig.txt: the operator's headings and the stored password value.
#include "fuzz/fuzz_file_reader.h"
#include "records/headings.h"
#include "records/user_settings.h"
#include "core/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Headings h;
    try {
        LoadUserSettings(h, fuzzFile(data, size, "TAVO-konfig.txt"));
    } catch (const Error &) {
    }
    return 0;
}
