#pragma once
// The one interface every device operation talks through. Implementations:
// the real port (QSerialPort: serial devices, USB adapters, pseudo-terminals)
// and the simulated bus.

#include "link/port_settings.h"

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens the named port for this program alone and applies the settings.
    // Raises the port error on failure; the port then stays closed.
    virtual void open(const PortSettings &settings) = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // Applies changed line settings to the open port.
    virtual void apply(const PortSettings &settings) = 0;
    // Returns at once with the bytes already received, at most maxCount.
    virtual int read(char *buffer, int maxCount) = 0;
    // Blocks until the bytes have gone out on the line (or the write time-out).
    virtual int write(const char *buffer, int count) = 0;
    // Discards what waits in the input and output buffers.
    virtual void purge() = 0;
    // How long count bytes just written still take on the line after write()
    // has returned: nothing for a port whose write blocks until they are out.
    virtual qint64 lineTimeUs(int count) const
    {
        Q_UNUSED(count);
        return 0;
    }
};
