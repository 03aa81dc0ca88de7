#pragma once
// The block transfer, as both device families run it: a transfer start, polled
// until the device answers; a read block (address and memory selector); one
// wait; the 64 frames of the block decoded into 32 entries; then the next
// block or the transfer end. The window that runs it shows the progress and
// turns what the transfer reports into texts and messages.
//
// Each poll and the block are read once, when their timer fires: a reply that
// is not complete by then is lost, as the device protocol expects.
//
// The device answers the transfer end too. The transfer reports its end only
// once that answer has had its time on the line and has been dropped, so the
// next request's reply cannot be confused with it (a transfer start takes any
// frame as the device's answer).

#include "core/clock.h"
#include "link/protocol.h"

#include <array>
#include <functional>
#include <optional>

class Link;

class BlockTransfer {
public:
    static constexpr int PollMs = 100;
    static constexpr int Polls = 20;  // the 21st poll without an answer gives up
    static constexpr int PollBytes = 10;
    static constexpr int BlockWaitMs = 1600;
    static constexpr int BlockReadBytes = 1000;
    // After the transfer end and its answer have crossed the line: the device's turnaround.
    static constexpr int EndSettleMs = 50;

    enum class Result { Done, Stopped, NoAnswer, PortError };
    // Where a block is read from.
    struct Place {
        quint32 address;
        quint8 selector;
    };
    // One entry of a block: bytes 0..7 and 8..15 as the two frames carried
    // them; a half whose frame was rejected holds whatever the frame buffer
    // held, and is no data.
    struct Entry {
        std::array<quint8, EntryBytes> bytes{};
        bool firstAccepted = false;
        bool secondAccepted = false;
    };
    using Block = std::array<Entry, BlockEntries>;

    // The transfer sends for `owner`, the operation holding the link.
    BlockTransfer(Link &link, const void *owner, int blockWaitMs = BlockWaitMs);

    Timer pollTimer{PollMs};  // polls for the answer to a transfer start
    Timer blockTimer;         // the block has had its time to arrive
    Timer endTimer;           // the transfer end's answer has had its time to arrive

    // The device answered a transfer start of openOnly().
    std::function<void()> onOpened;
    // A block has been read: the caller takes it and names the next block, or none.
    std::function<std::optional<Place>(const Block &)> onBlock;
    // The transfer is over. Not called when openOnly() succeeded.
    std::function<void(Result)> onEnd;

    // Reads blocks from `first` on, as long as onBlock names another and no
    // stop was asked for; the transfer end follows.
    void readBlocks(Place first);
    // A transfer start and its polls alone: a caller that then writes on its
    // own (the working-set write) goes on from onOpened.
    void openOnly();
    // "Storno": the block under way is still read, then the transfer ends.
    void stop() { stop_ = true; }
    bool stopRequested() const { return stop_; }
    bool running() const { return pollTimer.enabled() || blockTimer.enabled() || endTimer.enabled(); }
    int polls() const { return polls_; }

    // The timers' ticks.
    void pollTick();
    void blockTick();
    void endTick();

private:
    void begin(std::optional<Place> first);
    void requestStart();
    Block readBlock();
    void finish(Result r);
    template <class F> void endOnPortError(F step);

    Link &link_;
    const void *owner_;
    Result ending_ = Result::Done;  // what the transfer reports once the end's answer is dropped
    std::optional<Place> place_;  // the block asked for once the device is ready; none: open only
    int polls_ = 0;
    bool stop_ = false;
    bool active_ = false;
};
