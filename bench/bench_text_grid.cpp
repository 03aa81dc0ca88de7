// Figures of the largest text grid, the event list: 100,001 rows x 10 columns
// (the titles and 100,000 events) filled in blocks of 32 rows, as a reading
// delivers them. Printed for the table alone and for the grid showing it
// (offscreen, shown and painted), then for the QTableWidget the grids were
// before, each with the time taken and the resident memory it added (VmRSS
// of /proc/self/status before and after). Goals: under 100 ms and 40 MB.
//
// The texts are those of a reading and more: an event number, a 16-digit code,
// a surname, a position or "nedef", a date "12.05.2026", a time "14:05:30" and
// four small numbers. Making them is timed apart and left out of the times.
//
// Each figure is taken in a process of its own, so memory one of them freed
// does not hide what the next one takes.

#include "bench/bench_support.h"
#include "core/text_table.h"
#include "ui/text_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTableWidget>
#include <cstdio>
#include <functional>

using namespace bench;

namespace {
constexpr int Cols = 10;
constexpr int Events = 100000;
constexpr int Block = 32;

const QStringList Titles{"Událost", "Kód", "Příjmení", "Pozice", "Den", "Měsíc", "Rok", "Hod", "Min", "Sec"};

QStringList event(int n)
{
    static const QStringList surnames{"Novák", "Svobodová", "Dvořák", "Černý", "Procházková", "Kučera",
                                      "Veselý", "Horáková", "Němec", "Pokorný", "Marešová", "Žižka"};
    const quint64 code = quint64(n) * 0x9E3779B97F4A7C15ULL;
    const int s = n % 86400;
    return {QString::number(n),
            QStringLiteral("%1").arg(code, 16, 16, QLatin1Char('0')).toUpper(),
            surnames[n % surnames.size()],
            n % 20 == 0 ? QStringLiteral("nedef") : QString::number(n % 4096),
            QStringLiteral("%1.%2.2026").arg(1 + n % 28, 2, 10, QLatin1Char('0')).arg(1 + n % 12, 2, 10, QLatin1Char('0')),
            QStringLiteral("%1:%2:%3")
                .arg(s / 3600, 2, 10, QLatin1Char('0'))
                .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                .arg(s % 60, 2, 10, QLatin1Char('0')),
            QString::number(1 + n % 12),
            QStringLiteral("2026"),
            QString::number(s / 60 % 60),
            QString::number(s % 60)};
}

// Events first ... first + 31 as a reading delivers them.
QList<QStringList> block(int first)
{
    QList<QStringList> rows;
    for (int n = first; n < first + Block && n <= Events; ++n)
        rows << event(n);
    return rows;
}

void report(const char *what, qint64 ns, long kb, qint64 makingNs)
{
    const double ms = ns / 1e6, mb = kb / 1024.0;
    std::printf("%-38s %7.1f ms %-13s %6.1f MB added %-13s (making the texts: %.0f ms more)\n", what, ms,
                ms < 100 ? "(goal met)" : "(OVER 100 ms)", mb, mb < 40 ? "(goal met)" : "(OVER 40 MB)", makingNs / 1e6);
}

// Fills the reading's blocks in, one at a time, and reports the time and the
// memory it took. Each block's texts are made just before it is stored, as a
// reading makes them; that time is taken out of the figure.
void measure(const char *what, const std::function<void()> &prepare, const std::function<void(const QList<QStringList> &)> &fill,
             const std::function<void()> &finish = {})
{
    prepare();
    QCoreApplication::processEvents();
    const long before = residentKb();
    qint64 making = 0;
    QElapsedTimer total;
    total.start();
    for (int first = 1; first <= Events; first += Block) {
        const qint64 start = total.nsecsElapsed();
        const QList<QStringList> rows = block(first);
        making += total.nsecsElapsed() - start;
        fill(rows);
    }
    if (finish)
        finish();
    const qint64 ns = total.nsecsElapsed() - making;
    report(what, ns, residentKb() - before, making);
}

void tableAlone()
{
    TextTable table(Cols);
    measure(
        "table alone (TextTable)", [&] { table.appendRows({Titles}); },
        [&](const QList<QStringList> &block) { table.appendRows(block); });
}

// The event list's grid: no fixed column, the title row fixed.
void grid()
{
    TextGrid grid(Cols, 0, 0, 1);
    const auto paint = [&] {
        grid.viewport()->repaint();
        QCoreApplication::processEvents();
    };
    measure(
        "grid over the table (TextGrid)",
        [&] {
            grid.setColWidths({59, 122, 61, 42, 28, 50, 46, 31, 31, 28});
            grid.setRowHeights(18);
            grid.resize(620, 420);
            grid.show();
            grid.table().appendRows({Titles});
            paint();
        },
        [&](const QList<QStringList> &block) { grid.table().appendRows(block); }, paint);
}

void tableWidget()
{
    QTableWidget grid(0, Cols);
    measure(
        "before: QTableWidget, an item per cell",
        [&] {
            grid.resize(620, 420);
            grid.show();
            grid.setRowCount(1);
            for (int c = 0; c < Cols; ++c)
                grid.setItem(0, c, new QTableWidgetItem(Titles[c]));
        },
        [&](const QList<QStringList> &block) {
            int r = grid.rowCount();
            grid.setRowCount(r + int(block.size()));
            for (const QStringList &cells : block) {
                for (int c = 0; c < Cols; ++c)
                    grid.setItem(r, c, new QTableWidgetItem(cells[c]));
                ++r;
            }
        },
        [&] {
            grid.viewport()->repaint();
            QCoreApplication::processEvents();
        });
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString part = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QList<std::pair<QString, std::function<void()>>> parts{
        {"table", tableAlone}, {"grid", grid}, {"widget", tableWidget}};
    for (const auto &[name, run] : parts) {
        if (part == name) {
            run();
            return 0;
        }
    }
    std::printf("100,001 rows x %d columns, filled in blocks of %d rows\n", Cols, Block);
    std::fflush(stdout);
    for (const auto &p : parts) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {p.first});
        child.waitForFinished(-1);
    }
    return 0;
}
