#include "devices/event_memory/jobs.h"

#include "devices/event_memory/event_list.h"
#include "devices/event_memory/requests.h"
#include "devices/event_memory/setup_texts.h"

using namespace tavob;

namespace {
EventRangeValue rangeOf(const Reply &r)
{
    return {eventOfPointer(r.r(0), r.r(1), r.r(2), r.r(3)), eventOfPointer(r.r(4), r.r(5), r.r(6), r.r(7))};
}
} // namespace

std::optional<QString> rangeProblem(const EventRangeValue &range)
{
    if (range.first < 1 || range.first > RingSize)
        return QStringLiteral("Počátek paměti událostí je mimo platnou oblast. Proveďte Aktivaci TAVO-B.");
    if (range.last < 0 || range.last > RingSize)
        return QStringLiteral("Konec paměti událostí je mimo platnou oblast. Proveďte Aktivaci TAVO-B.");
    return std::nullopt;
}

// --- range, date and start move

EventRange::EventRange(Link &link)
    : Job(link), rangeReply(link, this, [this] { aborted(); }), dateReply(link, this, [this] { aborted(); }),
      moveReply(link, this, [this] { aborted(); })
{
}

// A request of the job's own goes on while it holds the link.
bool EventRange::take() { return running() || claim(); }

// The link goes once no reply of the job is awaited any more.
void EventRange::done()
{
    if (!rangeReply.pending() && !dateReply.pending() && !moveReply.pending())
        release();
}

bool EventRange::refresh()
{
    if (!take())
        return false;
    step([this] {
        rangeReply.ask(tavoB::readPointers(Selector::EventBuffer), ReplyWaitMs, [this](const std::optional<Reply> &r) {
            done();
            if (onRange)
                onRange(r ? std::optional<EventRangeValue>(rangeOf(*r)) : std::nullopt);
        });
    });
    return true;
}

bool EventRange::readDate(qint64 n, qint32 last)
{
    if (!take())
        return false;
    step([&] {
        const qint32 e = ringEvent(n);
        dateReply.ask(tavoB::readEventDate(e, eventInNewestBlock(e, last)), ReplyWaitMs,
                      [this](const std::optional<Reply> &r) {
                          done();
                          if (onDate)
                              onDate(r);
                      });
    });
    return true;
}

bool EventRange::moveStart(qint32 newFirst)
{
    if (!take())
        return false;
    step([&] {
        moveReply.ask(tavoB::readPointers(Selector::EventBuffer), ReplyWaitMs,
                      [this, newFirst](const std::optional<Reply> &r) {
                          step([&] {
                              const qint32 last = r ? rangeOf(*r).last : 0;
                              const auto report = [this, last](MoveOutcome outcome) {
                                  done();
                                  if (onMoved)
                                      onMoved(outcome, last);
                              };
                              if (!r)
                                  return report(MoveOutcome::NoAnswer);
                              if (last < 0 || last > RingSize)
                                  return report(MoveOutcome::LastOffRing);
                              moveReply.tell(tavoB::writePointers(newFirst, last),
                                             [report] { report(MoveOutcome::Moved); });
                          });
                      });
    });
    return true;
}

void EventRange::aborted()
{
    rangeReply.cancel();
    dateReply.cancel();
    moveReply.cancel();
    if (onPortError)
        onPortError();
}

// --- the event reading

EventReading::EventReading(Link &link, int blockWaitMs) : Job(link), transfer(link, this, blockWaitMs)
{
    transfer.onBlock = [this](const BlockTransfer::Block &b) { return takeBlock(b); };
    transfer.onEnd = [this](BlockTransfer::Result r) {
        Result result;
        result.read = nextRow_ - 1;
        result.end = transferEnd(r);
        release();
        if (onEnd)
            onEnd(result);
    };
}

bool EventReading::start(qint32 first, qint32 count, qint32 last, bool summer)
{
    if (!claim())
        return false;
    rangeFirst_ = first;
    count_ = count;
    last_ = last;
    summer_ = summer;
    current_ = firstEventOfBlock(first);
    blockAddress_ = blockAddress(first);
    nextRow_ = 1;
    step([this] {
        link().receiveReset();
        transfer.readBlocks(place());
    });
    return true;
}

// The newest block from the device event buffer, the others from the card.
BlockTransfer::Place EventReading::place() const
{
    if (blockInEventBuffer(current_, last_))
        return tavoB::eventBlock(current_, true);
    return {blockAddress_, Selector::Card};
}

// After event 4,000,000 the ring goes on with event 1, which still counts as
// inside the range.
std::optional<BlockTransfer::Place> EventReading::takeBlock(const BlockTransfer::Block &block)
{
    QList<QStringList> rows;
    rows.reserve(BlockEntries);
    for (const BlockTransfer::Entry &entry : block) {
        if (nextRow_ <= count_ && current_ >= rangeFirst_) {
            rows << eventRow(current_, entry.bytes.data(), entry.firstAccepted, summer_);
            ++nextRow_;
        }
        if (++current_ > RingSize) {
            current_ = 1;
            rangeFirst_ = 1;
        }
    }
    if (onRows)
        onRows(rows);
    blockAddress_ = nextBlockAddress(blockAddress_);
    if (onProgress)
        onProgress(nextRow_ - 1, count_);
    if (nextRow_ <= count_)
        return place();
    return std::nullopt;
}

// --- the memory set-up

namespace {
// The request of each step 0 .. 3; step 4 sends nothing.
Request stepRequest(int step)
{
    switch (step) {
    case 0: return tavoB::readIdentification(Selector::Card);
    case 1: return tavoB::readPointers(Selector::Card);
    case 2: return tavoB::readIdentification(Selector::EventBuffer);
    default: return tavoB::readPointers(Selector::EventBuffer);
    }
}
} // namespace

MemorySetup::MemorySetup(Link &link) : Job(link)
{
    Timer1.setOnTimer([this] { step([this] { tick(); }); });
}

bool MemorySetup::readHeaders()
{
    if (!claim())
        return false;
    step([this] {
        link().receiveReset();
        SetupStep = 0;
        Timer1.setEnabled(true);
    });
    return true;
}

bool MemorySetup::writePointers(qint32 first, qint32 last)
{
    if (!claim())
        return false;
    step([&] {
        link().receiveReset();
        send(tavoB::writePointers(first, last));
        startReading(AfterPointersMs);
    });
    return true;
}

bool MemorySetup::writeIdentification(const std::array<quint8, 8> &bytes)
{
    if (!claim())
        return false;
    step([&] {
        link().receiveReset();
        send(tavoB::writeIdentification(bytes));
        startReading(AfterIdentificationMs);
    });
    return true;
}

void MemorySetup::startReading(int firstTickMs)
{
    SetupStep = 0;
    Timer1.setInterval(firstTickMs);
    Timer1.setEnabled(true);
}

void MemorySetup::tick()
{
    Timer1.setEnabled(false);
    Timer1.setInterval(StepMs);
    Link &l = link();
    l.poll(Inquiry::ReplyBytes);
    HeaderTexts t;
    if (l.decode()) {
        const auto r = [&l](int n) { return l.r(n); };
        t = {codeText(&l.frame[4]), QString::number(eventOfPointer(r(0), r(1), r(2), r(3))),
             QString::number(eventOfPointer(r(4), r(5), r(6), r(7)))};
    }
    l.receiveReset();
    if (SetupStep >= 4) {
        release();
        if (onStep)
            onStep(SetupStep, t);
        return;
    }
    if (SetupStep >= 1 && onStep)
        onStep(SetupStep, t);
    send(stepRequest(SetupStep));
    ++SetupStep;
    Timer1.setEnabled(true);
}

// --- the clock

DeviceClock::DeviceClock(Link &link) : Job(link), answer(link, this, [this] { aborted(); }) {}

bool DeviceClock::sendRead() { return sendOnce(tavoB::readClock()); }

bool DeviceClock::sendWrite(const std::array<quint8, 6> &yearToSecond)
{
    return sendOnce(tavoB::writeClock(yearToSecond));
}

bool DeviceClock::sendOnce(const Request &request)
{
    if (!claim())
        return false;
    step([&] {
        link().receiveReset();
        send(request);
        sent_ = request;
        sentAt_ = wallNow();
    });
    release();
    return true;
}

// The request area of the frame buffer still holds the clock's request.
bool DeviceClock::lastRequestIsOurs() const
{
    const Link &l = link();
    if (l.frame[Link::RequestAt + 1] != sent_.command)
        return false;
    for (int i = 0; i < sent_.data.size(); ++i)
        if (l.frame[size_t(Link::RequestAt + 2 + i)] != quint8(sent_.data[i]))
            return false;
    return true;
}

std::optional<Reply> DeviceClock::takeAnswer()
{
    if (!lastRequestIsOurs())
        return std::nullopt;
    Link &l = link();
    l.poll(Inquiry::ReplyBytes);
    if (!l.decode())
        return std::nullopt;
    Reply r;
    std::copy_n(l.frame.begin(), Link::ReplySize, r.frame.begin());
    return r;
}

bool DeviceClock::read(Inquiry::Then then) { return ask(tavoB::readClock(), std::move(then)); }

bool DeviceClock::write(const std::array<quint8, 6> &yearToSecond, Inquiry::Then then)
{
    return ask(tavoB::writeClock(yearToSecond), std::move(then));
}

bool DeviceClock::ask(const Request &request, Inquiry::Then then)
{
    if (!claim())
        return false;
    step([&] {
        sentAt_ = wallNow();
        sent_ = request;
        answer.ask(request, ReplyWaitMs, [this, then = std::move(then)](const std::optional<Reply> &reply) {
            release();
            then(reply);
        });
    });
    return true;
}
