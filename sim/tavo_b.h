#pragma once
// A simulated TAVO-B reader: the ring of events on its memory card, the device
// event buffer with the header and the newest block, and its clock.

#include "link/protocol.h"
#include "sim/sim_device.h"

#include <QDateTime>
#include <array>
#include <map>

namespace sim {

class TavoBDevice : public SimDevice {
public:
    static constexpr quint8 Card = Selector::Card;
    static constexpr quint8 ClockMemory = Selector::DeviceClock;
    static constexpr quint8 EventBuffer = Selector::EventBuffer;
    static constexpr qint64 RingSize = 4000000;
    // Header block, then event n at (n + 31) × 16.
    static constexpr quint32 CardSize = quint32((RingSize + 32) * 16);
    // Header (first pointer, last pointer, identification), then the 32 slots of the newest block.
    static constexpr int EventBufferSize = 16 + 32 * 16;

    // One event: key code, position (12 bits, 0 = unknown code), BCD date and time.
    using Record = std::array<quint8, 16>;
    static Record makeRecord(quint64 code, int position, const QDateTime &standardTime);
    // What an unwritten record of the card reads as.
    static Record blankRecord();

    // An empty memory (first 1, last 0) with identification 0; the clock stands at
    // 01.01.2024 00:00:00 and runs from the moment of construction.
    explicit TavoBDevice(quint8 address);

    quint8 address() const override { return address_; }
    void setAddress(quint8 a) { address_ = a; }

    // The device's header; every change is written through to the card's header.
    // Event numbers are pointer / 16 - 31, as the pointers stand (not checked).
    qint64 firstEvent() const;
    qint64 lastEvent() const;
    void setRange(qint64 first, qint64 last);
    QByteArray identification() const { return header_.mid(8, 8); }
    void setIdentification(const QByteArray &id);
    bool rangeValid() const;
    qint64 eventCount() const;

    // Appends an event after the last one (the oldest goes when the ring is
    // full). A device whose header is not valid records nothing: false.
    bool record(const Record &r);
    bool record(quint64 code, int position) { return record(makeRecord(code, position, clock())); }
    // Event n as the device holds it: the newest block from the buffer, others from the card.
    Record event(qint64 n) const;
    std::size_t cardRecordsHeld() const { return card_.size(); }

    // The card as bytes (the newest block reaches it only when the block is full).
    QByteArray readCard(quint32 address, int count) const;
    void writeCard(quint32 address, const QByteArray &bytes);
    void setCardPresent(bool present) { cardPresent_ = present; }
    QByteArray eventBuffer() const;

    // Standard time, running on the clock in force.
    QDateTime clock() const;
    void setClock(const QDateTime &standardTime);
    QByteArray clockBytes() const;

    bool transferOpen() const { return transferOpen_; }

    std::vector<QByteArray> serve(const SimRequest &request) override;

private:
    void writeHeader(int at, const QByteArray &bytes);
    void writeEventBuffer(quint32 address, const QByteArray &bytes);
    void followLastBlock();
    void setClockFromBytes(const QByteArray &bytes);
    void flushNewest();
    bool cardRange(quint32 address, int count) const;
    std::vector<QByteArray> read(quint8 memory, quint32 address) const;
    std::vector<QByteArray> write(quint8 memory, quint32 address, const QByteArray &bytes);
    std::vector<QByteArray> readBlock(quint8 memory, quint32 address) const;

    quint8 address_;
    QByteArray header_;      // 16 bytes
    QByteArray cardHeader_;  // 512 bytes
    std::map<qint64, Record> card_;
    std::array<Record, 32> newest_;
    qint64 newestFirst_ = 1;
    bool full_ = false;
    bool cardPresent_ = true;
    bool transferOpen_ = false;
    QDateTime clockBase_;
    qint64 clockSetUs_ = 0;
};

} // namespace sim
