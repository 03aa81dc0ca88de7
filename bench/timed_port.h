#pragma once
// The real port for the benchmarks against tavo-sim, with its writes timed.

#include "core/clock.h"
#include "link/qt_serial_port.h"
#include "link/serial_port.h"

#include <QByteArray>
#include <QList>

namespace bench {

constexpr int Baud = 9600;

// The line time of bytes at 9600 baud, 10 bits a byte.
inline qint64 lineUs(qint64 bytes) { return bytes * 10 * 1000000 / Baud; }

// The real port, with the bytes of every write, their line time and the time
// of the last read and of the end of the last write noted.
class TimedPort : public SerialPort {
public:
    void open(const PortSettings &s) override { port_.open(s); }
    bool isOpen() const override { return port_.isOpen(); }
    void close() override { port_.close(); }
    void apply(const PortSettings &s) override { port_.apply(s); }
    int read(char *buffer, int maxCount) override
    {
        lastReadUs = theClock().nowUs();
        return port_.read(buffer, maxCount);
    }
    int write(const char *buffer, int count) override
    {
        const qint64 startUs = theClock().nowUs();
        const int n = port_.write(buffer, count);
        writes.append(QByteArray(buffer, count));
        lineTimeUs += lineUs(count);
        lastWriteEndUs = theClock().nowUs();
        writeExcessUs += lastWriteEndUs - startUs - lineUs(count);
        return n;
    }
    void purge() override { port_.purge(); }

    QList<QByteArray> writes;
    qint64 lineTimeUs = 0;  // of the writes since it was last set to 0
    qint64 lastReadUs = 0, lastWriteEndUs = 0;
    qint64 writeExcessUs = 0;  // the writes' time beyond their bytes' line time

    qint64 requestLineUs() const
    {
        qint64 us = 0;
        for (const QByteArray &w : writes)
            us += lineUs(w.size());
        return us;
    }
    // Requests sent with this command.
    int count(quint8 command) const
    {
        int n = 0;
        for (const QByteArray &w : writes)
            n += quint8(w[1] == 0x7C ? w[3] : w[2]) == command;  // after an escaped address
        return n;
    }

private:
    QtSerialPort port_;
};

} // namespace bench
