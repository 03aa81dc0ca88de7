#pragma once
// The TAVO-B device jobs: the range of the event memory and the date of one
// event, the event reading, the start move, the memory set-up's reads and
// writes, and the clock's requests. Each is a job on the link (link/job.h):
// the event windows and tavo-cli drive the same objects.

#include "devices/event_memory/event_format.h"
#include "link/block_transfer.h"
#include "link/job.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The first and last event of a reader's event buffer.
struct EventRangeValue {
    qint32 first = 1;
    qint32 last = 0;
};

// A range that no set-up gave (a header off the ring): the message that sends
// the operator to the set-up; none for a range that can be read. An empty
// memory (last 0) is fine.
std::optional<QString> rangeProblem(const EventRangeValue &range);

// The range (command 146, pointers of the event buffer), the date and time
// half of one event's record, and the start move, each reply read once
// 100 ms after its request. The job holds the link while any of its replies
// is awaited; a request of its own may follow another meanwhile, as the
// reading window's edits ask for dates while the operator types.
class EventRange : public Job {
public:
    static constexpr int ReplyWaitMs = 100;
    enum class MoveOutcome { Moved, NoAnswer, LastOffRing };

    explicit EventRange(Link &link);
    Inquiry rangeReply;  // the range refresh's
    Inquiry dateReply;   // the date's
    Inquiry moveReply;   // the range read again right before the start moves

    // The range, none when the device did not answer.
    std::function<void(const std::optional<EventRangeValue> &)> onRange;
    // The 8 date and time bytes of the event asked for (R0..R7), none without an answer.
    std::function<void(const std::optional<Reply> &)> onDate;
    // The start move's outcome, with the reader's last event read right before it.
    std::function<void(MoveOutcome, qint32 last)> onMoved;
    // An error of the port ended the job.
    std::function<void()> onPortError;

    bool refresh();
    // Event n (taken around the ring) of a reader whose last event is `last`.
    bool readDate(qint64 n, qint32 last);
    // The range is read again, so that the last-event pointer written back is
    // the reader's own, with every event recorded since; then the pointers
    // (newFirst, last) are written. The write's answer is not read; the job
    // holds the link until it would have crossed the line.
    bool moveStart(qint32 newFirst);

private:
    bool take();
    void done();
    void aborted() override;
};

// The event reading: block by block from the block of the range's first
// event, the newest block from the event buffer, the others from the card,
// on around the end of the ring. The records before the range's first event
// are passed over; each block's records inside the range become rows.
class EventReading : public Job {
public:
    struct Result {
        End end = End::Done;
        qint32 read = 0;  // rows read
    };

    explicit EventReading(Link &link, int blockWaitMs = BlockTransfer::BlockWaitMs);
    BlockTransfer transfer;

    // The rows of a block (eventRow's columns), then how many have been read of the count.
    std::function<void(const QList<QStringList> &rows)> onRows;
    std::function<void(qint32 read, qint32 count)> onProgress;
    std::function<void(const Result &)> onEnd;

    // `count` events from `first` of a reader whose last event is `last`,
    // dates rendered with the summer-time setting given.
    bool start(qint32 first, qint32 count, qint32 last, bool summer);
    void stop() { transfer.stop(); }
    bool stopRequested() const { return transfer.stopRequested(); }

private:
    BlockTransfer::Place place() const;
    std::optional<BlockTransfer::Place> takeBlock(const BlockTransfer::Block &block);

    qint32 rangeFirst_ = 1, count_ = 0, last_ = 0, current_ = 1, nextRow_ = 1;
    quint32 blockAddress_ = 0;
    bool summer_ = true;
};

// The set-up's reads: one request a step, 100 ms apart, each reply read once:
// the card's identification and pointers, the event buffer's identification
// and pointers. A write of the pointers or of the identification (its answer
// not read) is followed by the reads.
class MemorySetup : public Job {
public:
    static constexpr int StepMs = 100;
    static constexpr int AfterIdentificationMs = 600;
    static constexpr int AfterPointersMs = 1200;
    // A reply's R0..R7 as the identification number, and as the two pointers.
    struct HeaderTexts {
        QString identification, first, last;
    };

    explicit MemorySetup(Link &link);
    Timer Timer1{StepMs};
    int SetupStep = 0;
    // Step 1 .. 4 has read its reply (empty texts without one).
    std::function<void(int step, const HeaderTexts &texts)> onStep;

    bool readHeaders();
    bool writePointers(qint32 first, qint32 last);
    bool writeIdentification(const std::array<quint8, 8> &bytes);

private:
    void aborted() override { Timer1.setEnabled(false); }
    void startReading(int firstTickMs);
    void tick();
};

// The reader's clock: command 146 reads it (R0..R7 the clock's 8 bytes),
// 148 sets it. The clock window polls: each request takes the link only while
// it is sent, and the next tick takes the answer unless the line was used
// since. tavo-cli asks: the link is held from the request until its answer
// has been read.
class DeviceClock : public Job {
public:
    static constexpr int ReplyWaitMs = 200;

    explicit DeviceClock(Link &link);
    Inquiry answer;

    // --- polled: false, nothing sent, while another operation holds the link.
    bool sendRead();
    bool sendWrite(const std::array<quint8, 6> &yearToSecond);
    // The answer to the request sent last, read now; none when it did not
    // come, or when another operation's request has gone out since.
    std::optional<Reply> takeAnswer();

    // --- asked: `then` gets the answer ReplyWaitMs after the request.
    bool read(Inquiry::Then then);
    bool write(const std::array<quint8, 6> &yearToSecond, Inquiry::Then then);

    // The PC's time when the last request was sent: the device read its clock
    // when the request reached it, a few milliseconds later.
    QDateTime sentAt() const { return sentAt_; }

private:
    bool sendOnce(const Request &request);
    bool ask(const Request &request, Inquiry::Then then);
    bool lastRequestIsOurs() const;
    void aborted() override { answer.cancel(); }

    Request sent_;
    QDateTime sentAt_;
};
