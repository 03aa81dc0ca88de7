#pragma once
// A port that keeps what is written and hands out what the test queued,
// and notes every open, close, apply and purge.

#include "link/serial_port.h"
#include "core/error.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <algorithm>
#include <cstring>

class FakePort : public SerialPort {
public:
    QList<QByteArray> writes;
    QByteArray incoming;
    QStringList calls;           // "open COM2", "apply", "close", "purge"
    QList<PortSettings> given;   // the settings of every open and apply
    bool opened = false;
    bool refuseOpen = false;
    int writeResult = -1;        // -1: the count written

    void open(const PortSettings &s) override
    {
        calls << QStringLiteral("open ") + s.port;
        given << s;
        if (refuseOpen)
            throw PortError(QStringLiteral("Unable to open com port (win error code: 2)"));
        opened = true;
    }
    bool isOpen() const override { return opened; }
    void close() override
    {
        calls << QStringLiteral("close");
        opened = false;
    }
    void apply(const PortSettings &s) override
    {
        calls << QStringLiteral("apply");
        given << s;
    }
    int read(char *buffer, int maxCount) override
    {
        const int n = std::min(maxCount, int(incoming.size()));
        std::memcpy(buffer, incoming.constData(), size_t(n));
        incoming.remove(0, n);
        return n;
    }
    int write(const char *buffer, int count) override
    {
        writes << QByteArray(buffer, count);
        return writeResult < 0 ? count : writeResult;
    }
    void purge() override { calls << QStringLiteral("purge"); }
};
