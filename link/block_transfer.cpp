#include "link/block_transfer.h"

#include "link/link.h"

#include <algorithm>

BlockTransfer::BlockTransfer(Link &link, const void *owner, int blockWaitMs)
    : blockTimer(blockWaitMs), link_(link), owner_(owner)
{
    pollTimer.setOnTimer([this] { pollTick(); });
    blockTimer.setOnTimer([this] { blockTick(); });
    endTimer.setOnTimer([this] { endTick(); });
}

// An error (the port's) ends the transfer: the caller hears of it first, then
// the error goes on to the guard of the timer's tick.
template <class F> void BlockTransfer::endOnPortError(F step)
{
    try {
        step();
    } catch (...) {
        pollTimer.setEnabled(false);
        blockTimer.setEnabled(false);
        endTimer.setEnabled(false);
        if (active_)
            finish(Result::PortError);
        throw;
    }
}

void BlockTransfer::readBlocks(Place first) { begin(first); }

void BlockTransfer::openOnly() { begin(std::nullopt); }

void BlockTransfer::begin(std::optional<Place> first)
{
    place_ = first;
    stop_ = false;
    active_ = true;
    requestStart();
}

// The device answers a transfer start with any frame once it is ready.
void BlockTransfer::requestStart()
{
    polls_ = 0;
    link_.send(owner_, bus::transferStart());
    pollTimer.setEnabled(true);
}

void BlockTransfer::pollTick()
{
    endOnPortError([this] {
        pollTimer.setEnabled(false);
        link_.poll(PollBytes);
        if (++polls_ > Polls) {
            finish(Result::NoAnswer);
            return;
        }
        if (!link_.decode()) {
            pollTimer.setEnabled(true);
            return;
        }
        link_.receiveReset();
        if (!place_) {
            active_ = false;
            if (onOpened)
                onOpened();
            return;
        }
        link_.send(owner_, bus::readBlock(place_->address, place_->selector));
        blockTimer.setEnabled(true);
    });
}

void BlockTransfer::blockTick()
{
    endOnPortError([this] {
        blockTimer.setEnabled(false);
        link_.poll(BlockReadBytes);
        const Block block = readBlock();
        link_.receiveReset();
        const std::optional<Place> next = onBlock ? onBlock(block) : std::nullopt;
        if (next && !stop_) {
            place_ = next;
            requestStart();
            return;
        }
        const int sent = link_.send(owner_, bus::transferEnd());
        ending_ = next ? Result::Stopped : Result::Done;
        const qint64 lineUs = link_.port().lineTimeUs(sent + PollBytes);
        endTimer.setInterval(int((lineUs + 999) / 1000) + EndSettleMs);
        endTimer.setEnabled(true);
    });
}

void BlockTransfer::endTick()
{
    endOnPortError([this] {
        endTimer.setEnabled(false);
        link_.receiveReset();
        finish(ending_);
    });
}

// 64 frames, decoded one after the other: each entry's bytes 0..7, then 8..15.
BlockTransfer::Block BlockTransfer::readBlock()
{
    Block block;
    for (Entry &e : block) {
        e.firstAccepted = link_.decode();
        std::copy_n(&link_.frame[4], 8, e.bytes.begin());
        e.secondAccepted = link_.decode();
        std::copy_n(&link_.frame[4], 8, e.bytes.begin() + 8);
    }
    return block;
}

void BlockTransfer::finish(Result r)
{
    active_ = false;
    if (onEnd)
        onEnd(r);
}
