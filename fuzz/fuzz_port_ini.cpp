// TAVO-port.ini: the serial port's settings.
#include "fuzz/fuzz_file_reader.h"
#include "link/port_ini.h"
#include "link/port_settings.h"
#include "core/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    PortSettings s;
    try {
        loadPortSettings(fuzzFile(data, size, "TAVO-port.ini"), s);
    } catch (const Error &) {
    }
    return 0;
}
