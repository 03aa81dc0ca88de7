// The simulator's bus configuration.
#include "sim/bus_config.h"
#include "sim/sim_bus.h"
#include "core/error.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    sim::SimBus bus;
    try {
        sim::loadBusConfig(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)), bus);
    } catch (const Error &) {
    }
    return 0;
}
