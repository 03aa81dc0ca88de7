#pragma once
// The simulated bus: the program's serial port with TAVO devices on the other
// end of the line. Time is the clock in force (theClock()).
//
// Timing. A byte takes 10 bits on the line at the port's baud rate. A write
// returns at once and does not move the clock; its bytes go out one after the
// other, after any bytes still on the way from earlier writes. A device gets a
// request when the request's last byte has arrived, carries it out at that
// moment and starts its reply TurnaroundUs later (plus a fault's delay); the
// reply bytes then become readable one by one at the line rate. The devices'
// replies share one line and never overlap: a reply waits for the one before.
// Requests and replies travel on separate wires (full duplex).
//
// Reply frames: 0x7B, escaped address, escaped status byte, escaped data,
// escaped XOR check, 0x7D. The status byte is the command byte of the request
// being answered, in every frame of a reply.

#include "link/serial_port.h"
#include "sim/sim_device.h"
#include "sim/tavo_b.h"
#include "sim/tavo_m.h"

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace sim {

class SimBus : public SerialPort {
public:
    static constexpr qint64 TurnaroundUs = 2000;

    SimBus();
    ~SimBus() override;
    SimBus(const SimBus &) = delete;
    SimBus &operator=(const SimBus &) = delete;

    // Devices; the bus owns them. A request reaches every device at its address.
    TavoMDevice &addTavoM(quint8 address = 255);
    TavoBDevice &addTavoB(quint8 address);
    SimDevice &add(std::unique_ptr<SimDevice> device);
    const std::vector<std::unique_ptr<SimDevice>> &devices() const { return devices_; }
    // The first device of that kind now at the address, or null.
    template <class D> D *device(quint8 address) const
    {
        for (const auto &d : devices_)
            if (d->address() == address)
                if (auto *found = dynamic_cast<D *>(d.get()))
                    return found;
        return nullptr;
    }

    // open() raises "Unable to open com port" while this is set.
    void setOpenFails(bool fails) { openFails_ = fails; }

    void open(const PortSettings &settings) override;
    bool isOpen() const override { return open_; }
    void close() override;
    void apply(const PortSettings &settings) override;
    int read(char *buffer, int maxCount) override;
    int write(const char *buffer, int count) override;
    // Discards what has arrived. Written bytes are on the line already (the
    // port's write returns when they are out), so nothing is taken back.
    void purge() override;
    // A write returns at once: its bytes take their whole time on the line afterwards.
    qint64 lineTimeUs(int count) const override { return lineUs(count); }

    // What the program put on the line: every write, at the time it was made.
    struct Write {
        qint64 atUs;
        QByteArray bytes;
    };
    const std::vector<Write> &writes() const { return writes_; }
    QByteArray writtenBytes() const;
    // Every well-formed request, at the time its last byte arrived.
    struct Request {
        qint64 atUs;
        SimRequest request;
    };
    const std::vector<Request> &requests() const { return requests_; }
    // Frames the devices could not take (wrong check byte, too short, cut off).
    int rejectedFrames() const { return parser_.rejected(); }
    void clearLog();

    int baud() const { return settings_.baud(); }
    // Reply bytes still on their way, and when the next one arrives (-1: none).
    int bytesInFlight() const { return int(inFlight_.size()); }
    qint64 nextByteUs() const { return inFlight_.empty() ? -1 : inFlight_.front().first; }
    // Called whenever a device has queued a reply.
    void setOnReplyQueued(std::function<void()> f) { onReplyQueued_ = std::move(f); }

private:
    qint64 lineUs(qint64 bytes) const;
    void checkBaud(const PortSettings &settings) const;
    void deliver(qint64 atUs, const SimRequest &request);
    void queueReply(const SimDevice &device, quint8 command, const std::vector<QByteArray> &frames, qint64 requestEndUs);
    QByteArray replyBytes(const SimDevice &device, quint8 command, const std::vector<QByteArray> &frames) const;
    void collectArrived();

    std::vector<std::unique_ptr<SimDevice>> devices_;
    PortSettings settings_;
    bool open_ = false;
    bool openFails_ = false;
    RequestParser parser_;
    qint64 txFreeUs_ = 0;
    qint64 rxFreeUs_ = 0;
    std::deque<std::pair<qint64, char>> inFlight_;
    QByteArray arrived_;
    std::vector<Write> writes_;
    std::vector<Request> requests_;
    std::function<void()> onReplyQueued_;
    // Calls already handed to the clock check it, so a bus may go before they are due.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace sim
