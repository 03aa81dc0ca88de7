// Figures of the night's event download by the tavo-cli program itself, over
// a real pseudo-terminal to tavo-sim at 9600 baud on the real clock:
// - a TAVO-B holding 3,200 new events, no watermark yet: the run's wall time,
//   from starting the program to its exit, beside the protocol's own time:
//   the line time of every request the run wrote (counted from its byte
//   trace) plus, per block, one poll cycle of 100 ms and the 1600 ms wait
//   (goal: within 1.02 times that);
// - a second run right after, which finds nothing new (goal under 1 s);
// - the events files: exactly 3,200 event lines, events 1 to 3,200 once each.

#include "bench/bench_support.h"
#include "core/clock.h"
#include "records/database.h"
#include "records/table.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

using namespace bench;

namespace {
constexpr int Events = 3200;
constexpr int Blocks = Events / 32;
constexpr int Persons = 10000;
constexpr int Baud = 9600;
constexpr int PollUs = 100000, BlockWaitUs = 1600000;
const QString Reader = QStringLiteral("Vrátnice");

void appendAll(const QString &folder, const QString &name, const QList<FieldDef> &fields, const QList<QStringList> &records)
{
    Table::create(folder, name, fields);
    Table t;
    t.setDatabaseFolder(folder);
    t.setTableName(name);
    t.open();
    t.appendRecords(records);
    t.close();
}

// The DEMO device list with the one reader, and a person list of 10,000 in
// which the 40 keys of the simulator's events are persons 1 to 40.
void writeTables(const QString &folder)
{
    appendAll(folder, Database::deviceTableName(QStringLiteral("DEMO")), deviceFields(),
              {{QStringLiteral("1"), Reader, QStringLiteral("arch1"), QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("510")}});
    QRandomGenerator rng(7);
    QList<QStringList> persons;
    for (int n = 0; n < Persons; ++n) {
        const QString code = n < 40 ? QStringLiteral("%1").arg(0x100000000ULL + quint64(n), 16, 16, QLatin1Char('0')).toUpper()
                                    : keyCode(quint64(n));
        persons << QStringList{QString::number(n + 1), code, surname(rng)};
    }
    appendAll(folder, Database::personTableName(QStringLiteral("DEMO")), personFields(), persons);
}

struct Run {
    int exitCode = -1;
    qint64 us = 0;
    QDateTime startedAt;  // the PC's time at the start, to set beside the trace
    QString out, err;
};

// One run of tavo-cli to its exit, timed.
Run runCli(const QStringList &args)
{
    Run r;
    QProcess p;
    r.startedAt = wallNow();
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(TAVO_CLI_PATH), args);
    if (!p.waitForFinished(-1))
        p.kill();
    r.us = t.nsecsElapsed() / 1000;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    r.err = QString::fromUtf8(p.readAllStandardError()).trimmed();
    return r;
}

// What the run's byte trace shows of the requests it wrote.
struct Requests {
    int count = 0;
    int blocks = 0;  // block reads (149)
    qint64 bytes = 0;
    QDateTime first, last;

    qint64 lineUs() const { return bytes * 10 * 1000000 / Baud; }
};

// Lines "yyyy-MM-dd HH:mm:ss.zzz PC-> 7B 01 95 ... 7D"; replies ("<-DEV") are left out.
Requests readTrace(const QString &file)
{
    Requests r;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return r;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() < 5 || words[2] != "PC->")
            continue;
        const QDateTime at = QDateTime::fromString(QString::fromLatin1(words[0] + ' ' + words[1]),
                                                   QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        if (!r.first.isValid())
            r.first = at;
        r.last = at;
        ++r.count;
        r.bytes += words.size() - 3;
        const int command = words[4] == "7C" ? 6 : 5;  // "7B", the address (escaped or not), the command
        r.blocks += command < words.size() && words[command].toInt(nullptr, 16) == 149;
    }
    return r;
}

// The event lines of the reader's events files: how many, and whether they are
// events 1 .. Events once each.
struct EventLines {
    int lines = 0;
    bool eachOnce = true;
    QStringList files;
};

EventLines readEventsFiles(const QString &dir)
{
    EventLines e;
    std::vector<int> seen(Events + 1, 0);
    const QDir d(dir);
    e.files = d.entryList({Reader + QStringLiteral("-*.csv")}, QDir::Files, QDir::Name);
    for (const QString &name : e.files) {
        QFile f(d.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        QList<QByteArray> lines = f.readAll().split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        for (int i = 1; i < lines.size(); ++i) {  // after the title line
            ++e.lines;
            const int event = lines[i].left(lines[i].indexOf(';')).toInt();
            if (event < 1 || event > Events || ++seen[size_t(event)] > 1)
                e.eachOnce = false;
        }
    }
    for (int n = 1; n <= Events; ++n)
        e.eachOnce = e.eachOnce && seen[size_t(n)] == 1;
    return e;
}

double seconds(const QDateTime &from, const QDateTime &to) { return from.msecsTo(to) / 1e3; }

void firstRun(const Run &r, const Requests &q)
{
    std::printf("first run: exit %d, %s\n", r.exitCode, qPrintable(r.out));
    std::printf("  %d requests, %lld bytes, %d block reads (%d expected)\n", q.count, q.bytes, q.blocks, Blocks);
    const qint64 protocol = q.lineUs() + qint64(q.blocks) * (PollUs + BlockWaitUs);
    report("3,200 events by tavo-cli (s)", r.us / 1e6, protocol * 1.02 / 1e6, "s ", r.us <= protocol * 1.02);
    std::printf("  protocol's own time %.3f s (line time %.3f s + %d blocks x 1.7 s), ratio %.4f x\n", protocol / 1e6,
                q.lineUs() / 1e6, q.blocks, double(r.us) / double(protocol));
    if (q.first.isValid())
        std::printf("  start to first request %.3f s, first to last request %.3f s, last request to exit %.3f s\n",
                    seconds(r.startedAt, q.first), seconds(q.first, q.last),
                    r.us / 1e6 - seconds(r.startedAt, q.last));
    std::printf("  the machine's load: %s\n", loadAverage().constData());
}

void secondRun(const Run &r, const Requests &q)
{
    std::printf("second run: exit %d, %s\n", r.exitCode, qPrintable(r.out));
    std::printf("  %d requests, %d block reads\n", q.count, q.blocks);
    report("second run, nothing new, one reader (s)", r.us / 1e6, 1, "s ", r.us < 1000000);
}

void eventsFiles(const EventLines &e)
{
    std::printf("events files: %s\n", qPrintable(e.files.join(QStringLiteral(", "))));
    const bool within = e.lines == Events && e.eachOnce;
    std::printf("%-44s %10d      goal %8d      %s\n", "event lines in the events files", e.lines, Events,
                within ? "met" : "NOT MET");
    std::printf("  events 1 .. %d once each: %s\n", Events, e.eachOnce ? "yes" : "no");
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("program")), out = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(folder);
    QDir().mkpath(out);
    writeTables(folder);
    QProcess sim;
    const QString pty = startSimulator(sim, dir.path(),
                                      "baud 9600\ndevice tavo-b 1\n  events " + QByteArray::number(Events) + "\n");
    if (pty.isEmpty())
        return 1;
    std::printf("tavo-sim on %s, %d baud; a TAVO-B with %d new events, %d persons\n", qPrintable(pty), Baud, Events,
                Persons);
    auto args = [&](const QString &trace) {
        return QStringList{"events", "--device", Reader, "--out", out, "--folder", folder, "--port", pty, "--trace", trace};
    };
    const QString trace1 = dir.filePath(QStringLiteral("trace1.txt")), trace2 = dir.filePath(QStringLiteral("trace2.txt"));
    const Run first = runCli(args(trace1));
    const Run second = first.exitCode == 0 ? runCli(args(trace2)) : Run{};
    sim.terminate();
    sim.waitForFinished(3000);
    if (first.exitCode != 0 || second.exitCode != 0) {
        std::fprintf(stderr, "tavo-cli failed: %s\n%s\n", qPrintable(first.err), qPrintable(second.err));
        return 1;
    }
    firstRun(first, readTrace(trace1));
    secondRun(second, readTrace(trace2));
    eventsFiles(readEventsFiles(out));
    return 0;
}
