#include "core/clock.h"
#include "core/error.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QCoreApplication>
#include <chrono>
#include <thread>
#include <unordered_map>

namespace {
Clock *installed = nullptr;
constexpr int EarlyMs = 1;
}

Clock &theClock()
{
    if (!installed) {
        static RealClock real;
        installed = &real;
    }
    return *installed;
}

void setTheClock(Clock *c) { installed = c; }

QDateTime wallNow() { return theClock().wallNow(); }

Random Random::fromWallClock() { return Random(quint32(wallNow().time().msecsSinceStartOfDay() / 1000)); }

// The linear congruential generator of the C library's rand(): the same
// sequence on every platform for the same seed.
int Random::next()
{
    state_ = state_ * 1103515245u + 12345u;
    return int((state_ / 65536u) % 32768u);
}

struct RealClock::Impl {
    QElapsedTimer elapsed;
    Id next = 1;
    std::unordered_map<Id, QTimer *> timers;
};

RealClock::RealClock() : d(new Impl) { d->elapsed.start(); }

RealClock::~RealClock()
{
    for (auto &t : d->timers)
        delete t.second;
    delete d;
}

qint64 RealClock::nowUs() const { return d->elapsed.nsecsElapsed() / 1000; }

Clock::Id RealClock::callAt(qint64 dueUs, std::function<void()> fn)
{
    const Id id = d->next++;
    auto *t = new QTimer;
    t->setSingleShot(true);
    t->setTimerType(Qt::PreciseTimer);
    QObject::connect(t, &QTimer::timeout, t, [this, id, dueUs, fn = std::move(fn)]() {
        auto it = d->timers.find(id);
        if (it == d->timers.end())
            return;
        it->second->deleteLater();
        d->timers.erase(it);
        const qint64 earlyUs = dueUs - nowUs();
        if (earlyUs > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(earlyUs));
        fn();
    });
    // Qt's timers keep whole milliseconds and fire up to about one late: the
    // timer is set a millisecond short and the rest is waited out here.
    const qint64 waitUs = dueUs - nowUs();
    t->start(int(qMax<qint64>(0, waitUs / 1000 - EarlyMs)));
    d->timers.emplace(id, t);
    return id;
}

void RealClock::cancel(Id id)
{
    auto it = d->timers.find(id);
    if (it == d->timers.end())
        return;
    it->second->stop();
    it->second->deleteLater();
    d->timers.erase(it);
}

Clock::Id VirtualClock::callAt(qint64 dueUs, std::function<void()> fn)
{
    const Id id = next_++;
    const qint64 due = qMax(dueUs, now_);
    due_.emplace(std::make_pair(due, id), std::move(fn));
    when_.emplace(id, due);
    return id;
}

void VirtualClock::cancel(Id id)
{
    auto it = when_.find(id);
    if (it == when_.end())
        return;
    due_.erase(std::make_pair(it->second, id));
    when_.erase(it);
}

void VirtualClock::advanceUs(qint64 us)
{
    const qint64 end = now_ + us;
    while (!due_.empty() && due_.begin()->first.first <= end) {
        auto it = due_.begin();
        now_ = it->first.first;
        auto fn = std::move(it->second);
        when_.erase(it->first.second);
        due_.erase(it);
        fn();
    }
    now_ = end;
}

bool VirtualClock::advanceUntil(const std::function<bool()> &pred, qint64 limitMs, qint64 stepMs)
{
    for (qint64 t = 0; t <= limitMs; t += stepMs) {
        if (pred())
            return true;
        advanceMs(stepMs);
    }
    return pred();
}

Timer::Timer(int intervalMs, std::function<void()> onTimer) : interval_(intervalMs), onTimer_(std::move(onTimer)) {}

Timer::~Timer()
{
    if (pending_)
        theClock().cancel(pending_);
}

void Timer::setEnabled(bool on)
{
    if (on == enabled_)
        return;
    enabled_ = on;
    if (on) {
        arm();
    } else if (pending_) {
        theClock().cancel(pending_);
        pending_ = 0;
    }
}

void Timer::setInterval(int ms)
{
    interval_ = ms;
    if (enabled_) {
        if (pending_)
            theClock().cancel(pending_);
        arm();
    }
}

void Timer::arm()
{
    pending_ = theClock().callAfterMs(interval_, [this] { fire(); });
}

void Timer::fire()
{
    pending_ = 0;
    if (!enabled_)
        return;
    arm();
    guarded([this] {
        if (onTimer_)
            onTimer_();
    });
}
