#pragma once
// What the benchmarks share: a wait on the event loop, the process's memory,
// and made-up persons.

#include <QByteArray>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QTimer>
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

} // namespace bench
