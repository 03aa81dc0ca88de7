#pragma once
// A simulated bus on a virtual clock, opened at 9600 baud, with a helper that
// sends one request and collects what came back.

#include "sim/sim_bus.h"
#include "core/clock.h"

#include <memory>

using namespace sim;

struct SimFixture {
    VirtualClock vc;
    std::unique_ptr<SimBus> bus;

    void setUp()
    {
        setTheClock(&vc);
        bus = std::make_unique<SimBus>();
        bus->open(PortSettings{});
    }
    void tearDown()
    {
        bus.reset();
        setTheClock(nullptr);
    }

    void send(const QByteArray &bytes) { bus->write(bytes.constData(), int(bytes.size())); }
    QByteArray readAll()
    {
        QByteArray buf(8192, '\0');
        return buf.left(bus->read(buf.data(), int(buf.size())));
    }
    // Purge, send, let waitMs pass, read everything that arrived.
    QByteArray ask(const QByteArray &request, int waitMs = 100)
    {
        bus->purge();
        send(request);
        vc.advanceMs(waitMs);
        return readAll();
    }
};
