#pragma once
// "TAVO-port.ini": the port settings between runs, section "ComPort1".

#include "link/port_settings.h"

// Reads the keys present over the settings in force; a missing file, section
// or key keeps the value in force. Raises "Failed to load settings".
void loadPortSettings(const QString &fileName, PortSettings &settings);

// Writes the keys with the values in force, leaving every other line of the
// file as it was; creates a missing file. The old file is replaced only once
// the new one is complete. Raises "Failed to store settings".
void storePortSettings(const QString &fileName, const PortSettings &settings);
