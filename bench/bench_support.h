#pragma once
// What the benchmarks share: a wait on the event loop, the process's memory,
// made-up persons, a figure beside its goal, the machine's load and tavo-sim
// on a pseudo-terminal.

#include <QByteArray>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <functional>

namespace bench {

// Runs the event loop until done() holds, asking every stepMs.
inline void runUntil(const std::function<bool()> &done, int stepMs = 10)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(stepMs);
    loop.exec();
}

// A line of /proc/self/status in kB ("VmRSS:", "VmHWM:"); -1 when not there.
inline long statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    return -1;
}

inline long residentKb() { return statusKb("VmRSS:"); }

// A Czech-looking surname of two to four syllables.
inline QString surname(QRandomGenerator &rng)
{
    static const QStringList syllables{"No", "vák", "Dvo", "řák", "Čer", "ný", "Ha", "jek", "Ší", "ma",
                                       "Ch", "al", "upa", "Ži", "ža", "Ře", "hoř", "Ťu", "ček", "Ku"};
    QString s;
    const int n = 2 + int(rng.bounded(3));
    for (int i = 0; i < n; ++i)
        s += syllables[int(rng.bounded(syllables.size()))];
    return s.left(1).toUpper() + s.mid(1).toLower();
}

// A key code of 16 hex digits, spread out over the range.
inline QString keyCode(quint64 n)
{
    return QStringLiteral("%1").arg(n * 0x9E3779B97F4A7C15ULL, 16, 16, QLatin1Char('0')).toUpper();
}

// A measured figure beside its goal.
inline void report(const char *what, double measured, double goal, const char *unit, bool within)
{
    std::printf("%-44s %10.3f %s   goal %8.3f %s   %s\n", what, measured, unit, goal, unit, within ? "met" : "NOT MET");
}

// The load averages of /proc/loadavg, printed beside timings.
inline QByteArray loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().left(14).trimmed() : QByteArray("?");
}

#ifdef TAVO_SIM_PATH
// tavo-sim serving the bus of `configuration`, written as bus.conf into
// `folder`; the pseudo-terminal it announces, or an empty text (and a line on
// standard error) when it did not start.
inline QString startSimulator(QProcess &sim, const QString &folder, const QByteArray &configuration)
{
    const QString config = folder + QStringLiteral("/bus.conf");
    QFile f(config);
    if (f.open(QIODevice::WriteOnly) && f.write(configuration) == configuration.size() && f.flush()) {
        f.close();
        sim.start(QStringLiteral(TAVO_SIM_PATH), {config});
        if (sim.waitForStarted(5000) && sim.waitForReadyRead(5000))
            return QString::fromLocal8Bit(sim.readLine()).trimmed();
    }
    std::fprintf(stderr, "tavo-sim did not start\n");
    return QString();
}
#endif

} // namespace bench
