#pragma once
// A device job: one conversation with a reader (a working-set write, a range
// refresh, a clock read, ...) as a small object on the link and the clock.
// It takes its inputs as values, claims the link for its whole life, sends
// with the family's request builders, reports progress and ends with a
// result value. It shows no message and knows no window: the windows and
// tavo-cli turn its result into texts and exit codes.
//
// While a job runs the link is its own: any other sender is refused by the
// link itself, and another job started meanwhile is refused (start() false)
// with nothing changed.

#include "core/clock.h"
#include "link/block_transfer.h"
#include "link/link.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>

class Job {
public:
    // How a job ended.
    enum class End {
        Done,       // it ran to its end; what it read or found is in its result
        Stopped,    // "Storno" or the close box
        NoAnswer,   // the device did not answer
        PortError,  // the port failed; the error itself goes on to the handler's guard
    };

    explicit Job(Link &link) : link_(link) {}
    virtual ~Job();
    Job(const Job &) = delete;
    Job &operator=(const Job &) = delete;

    Link &link() const { return link_; }
    // From a successful claim until the job's last step has run.
    bool running() const { return running_; }

protected:
    // Takes the link; false, with nothing changed, while an operation holds it
    // (this job included).
    bool claim();
    // The job is over: the link is free again. Calling it twice changes nothing.
    void release();
    int send(const Request &request) { return link_.send(this, request); }
    // Runs one step; an error it raises stops the job (aborted(), then the
    // link is let go) and goes on to the guard of the timer's tick.
    template <class F> void step(F body)
    {
        try {
            body();
        } catch (...) {
            if (running_) {
                aborted();
                release();
            }
            throw;
        }
    }
    // An error ended the job: stop its timers and report End::PortError.
    virtual void aborted() {}

private:
    Link &link_;
    bool running_ = false;
};

// "Zařízení neodpovídá.": what the windows and tavo-cli say of End::NoAnswer.
QString noAnswerText();

// How a job that ran a block transfer ended, by the transfer's end.
Job::End transferEnd(BlockTransfer::Result r);

// A reply frame as the decoder left it: positions 0..15 of the frame buffer
// (0, start byte, address, status, R0 at 4, ...).
struct Reply {
    std::array<quint8, Link::ReplySize> frame{};
    quint8 r(int n) const { return frame[size_t(4 + n)]; }
    // R0 .. R7.
    const quint8 *data() const { return &frame[4]; }
};

// One request of a job and its reply, read once waitMs after the request (at
// most 20 bytes) and decoded; the receive buffer is reset before the request
// and after the read, so nothing of it is left for the next request.
class Inquiry {
public:
    static constexpr int ReplyBytes = 20;

    using Then = std::function<void(const std::optional<Reply> &)>;

    // The job the exchange sends for; `aborted` runs when reading the reply
    // raises an error, before it goes on to the tick's guard.
    Inquiry(Link &link, Link::Holder owner, std::function<void()> aborted);

    Timer timer;  // the wait for the reply

    // After the device's turnaround, what a request whose answer is not read
    // may still bring has had its time on the line.
    static constexpr int SettleMs = 50;

    // `then` gets the reply when a frame from the current address was accepted,
    // none otherwise.
    void ask(const Request &request, int waitMs, Then then);
    // A request whose answer is not read: `then` runs once such an answer
    // would have crossed the line, and whatever came of it has been dropped,
    // so the next request's reply cannot be confused with it.
    void tell(const Request &request, std::function<void()> then);
    bool pending() const { return timer.enabled(); }
    void cancel() { timer.setEnabled(false); }

private:
    void tick();

    Link &link_;
    Link::Holder owner_;
    std::function<void()> aborted_;
    Then then_;
};

