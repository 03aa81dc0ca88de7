#pragma once
// The bus that tavo-sim serves, described by a small text file (format at the
// top of bus_config.cpp and in sim/README.md).

#include "sim/sim_bus.h"

#include <QDateTime>
#include <QString>

namespace sim {

struct BusConfig {
    int baud = 9600;
};

// Adds the devices the text describes to the bus. A TAVO-B without a "clock"
// line gets defaultClock (when valid). Raises Error naming the line at fault.
BusConfig loadBusConfig(const QString &text, SimBus &bus, const QDateTime &defaultClock = {});

} // namespace sim
