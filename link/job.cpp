#include "link/job.h"

Job::~Job() { link_.release(this); }

bool Job::claim()
{
    if (!link_.hold(this, [this] { return running_; }))
        return false;
    running_ = true;
    return true;
}

void Job::release()
{
    running_ = false;
    link_.release(this);
}

QString noAnswerText() { return QStringLiteral("Zařízení neodpovídá."); }

Job::End transferEnd(BlockTransfer::Result r)
{
    switch (r) {
    case BlockTransfer::Result::Done: return Job::End::Done;
    case BlockTransfer::Result::Stopped: return Job::End::Stopped;
    case BlockTransfer::Result::NoAnswer: return Job::End::NoAnswer;
    case BlockTransfer::Result::PortError: break;
    }
    return Job::End::PortError;
}

Inquiry::Inquiry(Link &link, Link::Holder owner, std::function<void()> aborted)
    : link_(link), owner_(owner), aborted_(std::move(aborted))
{
    timer.setOnTimer([this] { tick(); });
}

void Inquiry::ask(const Request &request, int waitMs, Then then)
{
    link_.receiveReset();
    then_ = std::move(then);
    link_.send(owner_, request);
    // Asked again while the reply is awaited, the reading keeps its time.
    if (timer.interval() != waitMs)
        timer.setInterval(waitMs);
    timer.setEnabled(true);
}

void Inquiry::tell(const Request &request, std::function<void()> then)
{
    link_.receiveReset();
    const int sent = link_.send(owner_, request);
    const qint64 lineUs = link_.port().lineTimeUs(sent + ReplyBytes);
    then_ = [then = std::move(then)](const std::optional<Reply> &) { then(); };
    timer.setInterval(int((lineUs + 999) / 1000) + SettleMs);
    timer.setEnabled(true);
}

void Inquiry::tick()
{
    timer.setEnabled(false);
    std::optional<Reply> reply;
    try {
        link_.poll(ReplyBytes);
        if (link_.decode())
            std::copy_n(link_.frame.begin(), Link::ReplySize, reply.emplace().frame.begin());
        link_.receiveReset();
    } catch (...) {
        if (aborted_)
            aborted_();
        throw;
    }
    if (then_)
        std::exchange(then_, nullptr)(reply);
}
