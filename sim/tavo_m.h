#pragma once
// A simulated TAVO-M reader: the code memory with its configuration in entry 0,
// the relays and the list of the codes presented last.

#include "link/protocol.h"
#include "sim/sim_device.h"

#include <QList>
#include <vector>

namespace sim {

class TavoMDevice : public SimDevice {
public:
    static constexpr int Entries = 512;
    static constexpr int EntrySize = EntryBytes;
    static constexpr int MemorySize = Entries * EntrySize;
    static constexpr quint8 CodeMemory = Selector::CodeMemory;
    static constexpr int LastCodesKept = 10;

    // A factory-fresh device: empty code memory (all zero) and this configuration.
    explicit TavoMDevice(quint8 address = 255, quint8 relayTime = 5, int codeCount = 510);

    // Configuration, as entry 0 holds it: address, relay time, (code count + 1) × 16 big-endian.
    quint8 address() const override { return quint8(memory_[0]); }
    quint8 relayTime() const { return quint8(memory_[1]); }
    int codeCount() const;
    void setConfiguration(quint8 address, quint8 relayTime, int codeCount);

    // Entry e (0..511) is bytes e × 16 .. e × 16 + 15: key code in 0..7 (first byte
    // first), flags 1..8 in byte 8 (bit 0 = flag 1), flags 9..16 in byte 9.
    QByteArray entry(int e) const { return memory_.mid(e * EntrySize, EntrySize); }
    quint64 code(int e) const;
    void setCode(int e, quint64 code);
    quint16 flags(int e) const;  // bit k - 1 = flag k
    void setFlags(int e, quint16 flags);
    const QByteArray &memory() const { return memory_; }
    QByteArray &memory() { return memory_; }

    quint8 version() const { return version_; }
    void setVersion(quint8 v) { version_ = v; }

    // A key held to the reader: it heads the last-codes list (newest first).
    void presentKey(quint64 code);
    const QList<quint64> &lastCodes() const { return lastCodes_; }
    void setLastCodes(const QList<quint64> &codes) { lastCodes_ = codes; }

    // Relay tests as received, and the relays' state on the clock in force.
    struct RelayTest {
        qint64 atUs;
        quint8 time;     // 0 toggle, 1..254 seconds, 255 hold
        quint16 relays;  // bit n - 1 = relay n
    };
    const std::vector<RelayTest> &relayTests() const { return relayTests_; }
    bool relayClosed(int relay) const;  // relay 1..16

    bool transferOpen() const { return transferOpen_; }

    std::vector<QByteArray> serve(const SimRequest &request) override;

private:
    QByteArray read(quint32 address, int count) const;
    void write(quint32 address, const QByteArray &bytes);
    std::vector<QByteArray> relayTest(const QByteArray &q);
    std::vector<QByteArray> lastCodesReply() const;
    std::vector<QByteArray> writeConfiguration(const QByteArray &q);
    std::vector<QByteArray> memoryRequest(quint8 command, const QByteArray &q);

    QByteArray memory_;
    quint8 version_ = 3;
    QList<quint64> lastCodes_;
    std::vector<RelayTest> relayTests_;
    qint64 closedUntilUs_[16] = {};
    bool transferOpen_ = false;
};

} // namespace sim
