#pragma once
// One clock for every window timer and for the simulated line. In the program
// it is the Qt event loop; under test a virtual clock that the test advances.
// The PC's date and time and the random generator's seed come from the same
// clock, so a test pins them too.

#include <QDateTime>
#include <QtGlobal>
#include <functional>
#include <map>

class Clock {
public:
    using Id = quint64;
    virtual ~Clock() = default;
    virtual qint64 nowUs() const = 0;
    // Calls fn once at dueUs (or as soon as possible after it). 0 is never an id.
    virtual Id callAt(qint64 dueUs, std::function<void()> fn) = 0;
    virtual void cancel(Id id) = 0;

    // The PC's local date and time.
    virtual QDateTime wallNow() const = 0;

    Id callAfterMs(int ms, std::function<void()> fn) { return callAt(nowUs() + qint64(ms) * 1000, std::move(fn)); }
    qint64 nowMs() const { return nowUs() / 1000; }
};

// The PC's local date and time, from the clock in force.
QDateTime wallNow();

// A pseudo-random generator as the program's tools use it: seeded from a
// number (the seam's wall clock in seconds), giving 0 .. 32767.
class Random {
public:
    explicit Random(quint32 seed) : state_(seed) {}
    // Seeded by the time of day in seconds, from the clock in force.
    static Random fromWallClock();
    int next();

private:
    quint32 state_;
};

// The clock in force: the real one unless a test installed another.
Clock &theClock();
void setTheClock(Clock *c);

// Qt's event loop with precise single-shot timers.
class RealClock : public Clock {
public:
    RealClock();
    ~RealClock() override;
    qint64 nowUs() const override;
    Id callAt(qint64 dueUs, std::function<void()> fn) override;
    void cancel(Id id) override;
    QDateTime wallNow() const override { return QDateTime::currentDateTime(); }

private:
    struct Impl;
    Impl *d;
};

// Time moves only when the test says so; due calls fire in time order
// (calls due at the same moment in the order they were made).
class VirtualClock : public Clock {
public:
    qint64 nowUs() const override { return now_; }
    Id callAt(qint64 dueUs, std::function<void()> fn) override;
    void cancel(Id id) override;
    // The pinned wall time plus the virtual time gone since it was pinned.
    QDateTime wallNow() const override { return wallAt_.addMSecs((now_ - pinnedUs_) / 1000); }
    void setWallNow(const QDateTime &t)
    {
        wallAt_ = t;
        pinnedUs_ = now_;
    }

    void advanceUs(qint64 us);
    void advanceMs(qint64 ms) { advanceUs(ms * 1000); }
    // Advances in steps of stepMs until pred() holds or limitMs has passed; true if it held.
    bool advanceUntil(const std::function<bool()> &pred, qint64 limitMs, qint64 stepMs = 1);
    bool idle() const { return due_.empty(); }

private:
    qint64 now_ = 0;
    qint64 pinnedUs_ = 0;
    QDateTime wallAt_{QDate(2026, 1, 1), QTime(12, 0)};
    Id next_ = 1;
    std::map<std::pair<qint64, Id>, std::function<void()>> due_;
    std::map<Id, qint64> when_;
};

// A window timer: while enabled it fires every interval on the clock in force.
// Enabling an enabled timer changes nothing; a tick runs under the error guard.
class Timer {
public:
    explicit Timer(int intervalMs = 1000, std::function<void()> onTimer = {});
    ~Timer();
    Timer(const Timer &) = delete;
    Timer &operator=(const Timer &) = delete;

    void setOnTimer(std::function<void()> f) { onTimer_ = std::move(f); }
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }
    void setInterval(int ms);
    int interval() const { return interval_; }

private:
    void arm();
    void fire();
    int interval_;
    bool enabled_ = false;
    Clock::Id pending_ = 0;
    std::function<void()> onTimer_;
};
