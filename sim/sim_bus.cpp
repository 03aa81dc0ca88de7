#include "sim/sim_bus.h"

#include "core/clock.h"
#include "core/error.h"

#include <algorithm>

namespace sim {

namespace {
constexpr char Noise = char(0xFF);
}

SimBus::SimBus() = default;
SimBus::~SimBus() = default;

TavoMDevice &SimBus::addTavoM(quint8 address)
{
    return static_cast<TavoMDevice &>(add(std::make_unique<TavoMDevice>(address)));
}

TavoBDevice &SimBus::addTavoB(quint8 address)
{
    return static_cast<TavoBDevice &>(add(std::make_unique<TavoBDevice>(address)));
}

SimDevice &SimBus::add(std::unique_ptr<SimDevice> device)
{
    devices_.push_back(std::move(device));
    return *devices_.back();
}

void SimBus::open(const PortSettings &settings)
{
    if (openFails_)
        throw PortError(QStringLiteral("Unable to open com port (win error code: 2)"));
    checkBaud(settings);
    settings_ = settings;
    open_ = true;
}

// A reply on its way when the port closes is lost.
void SimBus::close()
{
    open_ = false;
    inFlight_.clear();
    arrived_.clear();
}

void SimBus::apply(const PortSettings &settings)
{
    checkBaud(settings);
    settings_ = settings;
}

void SimBus::checkBaud(const PortSettings &settings) const
{
    if (settings.baud() <= 0)
        throw PortError(QStringLiteral("SetCommState function failed (win error code: 87)"));
}

int SimBus::read(char *buffer, int maxCount)
{
    if (!open_)
        throw PortError(QStringLiteral("ReadFile function failed (win error code: 6)"));
    collectArrived();
    const int n = qMin(maxCount, int(arrived_.size()));
    std::copy_n(arrived_.constData(), n, buffer);
    arrived_.remove(0, n);
    return n;
}

int SimBus::write(const char *buffer, int count)
{
    if (!open_)
        throw PortError(QStringLiteral("WriteFile function failed (win error code: 6)"));
    Clock &clock = theClock();
    const qint64 start = qMax(clock.nowUs(), txFreeUs_);
    writes_.push_back({clock.nowUs(), QByteArray(buffer, count)});
    for (int i = 0; i < count; ++i) {
        if (auto request = parser_.feed(quint8(buffer[i]))) {
            const qint64 at = start + lineUs(i + 1);
            std::weak_ptr<bool> alive = alive_;
            clock.callAt(at, [this, alive, at, r = *request] {
                if (!alive.expired())
                    deliver(at, r);
            });
        }
    }
    txFreeUs_ = start + lineUs(count);
    return count;
}

void SimBus::purge()
{
    if (!open_)
        throw PortError(QStringLiteral("PurgeComm function failed (win error code: 6)"));
    collectArrived();
    arrived_.clear();
}

QByteArray SimBus::writtenBytes() const
{
    QByteArray all;
    for (const Write &w : writes_)
        all += w.bytes;
    return all;
}

void SimBus::clearLog()
{
    writes_.clear();
    requests_.clear();
}

// Rounded up to whole microseconds.
qint64 SimBus::lineUs(qint64 bytes) const
{
    const qint64 baud = settings_.baud();
    return (bytes * 10 * 1000000 + baud - 1) / baud;
}

void SimBus::deliver(qint64 atUs, const SimRequest &request)
{
    requests_.push_back({atUs, request});
    std::vector<SimDevice *> addressed;  // before any of them changes its address
    for (const auto &d : devices_)
        if (d->address() == request.address)
            addressed.push_back(d.get());
    for (SimDevice *d : addressed) {
        const std::vector<QByteArray> frames = d->serve(request);
        if (!frames.empty() && open_)
            queueReply(*d, request.command, frames, atUs);
    }
}

void SimBus::queueReply(const SimDevice &device, quint8 command, const std::vector<QByteArray> &frames,
                        qint64 requestEndUs)
{
    const SimFaults &f = device.faults();
    const bool hit = f.hit(command);
    if (hit && f.noReply)
        return;
    const QByteArray bytes = replyBytes(device, command, frames);
    const qint64 ready = requestEndUs + TurnaroundUs + (hit ? qint64(f.delayMs) * 1000 : 0);
    const qint64 start = qMax(ready, rxFreeUs_);
    for (int k = 0; k < bytes.size(); ++k)
        inFlight_.emplace_back(start + lineUs(k + 1), bytes[k]);
    rxFreeUs_ = start + lineUs(bytes.size());
    if (onReplyQueued_)
        onReplyQueued_();
}

QByteArray SimBus::replyBytes(const SimDevice &device, quint8 command, const std::vector<QByteArray> &frames) const
{
    const SimFaults &f = device.faults();
    const bool hit = f.hit(command);
    QByteArray bytes(hit ? qMax(0, f.strayBytes) : 0, Noise);
    const quint8 from = hit && f.otherAddress >= 0 ? quint8(f.otherAddress) : device.address();
    for (int i = 0; i < int(frames.size()); ++i)
        if (!(hit && i == f.dropFrame))
            bytes += encodeReplyFrame(from, command, frames[size_t(i)], hit && f.badCheck);
    return bytes;
}

void SimBus::collectArrived()
{
    const qint64 now = theClock().nowUs();
    while (!inFlight_.empty() && inFlight_.front().first <= now) {
        arrived_.append(inFlight_.front().second);
        inFlight_.pop_front();
    }
}

} // namespace sim
