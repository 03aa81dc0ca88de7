// Figures of the table engine on a person list of 100,000 records: opening
// with both indexes built, finding a key, appending 100,000 more records and
// the memory it takes, beside GDAL's ogr2ogr converting the same table to CSV.

#include "bench/bench_support.h"
#include "records/table.h"
#include "core/cp1250.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>

using namespace bench;

namespace {
constexpr int Records = 100000;

QList<FieldDef> personFields()
{
    QList<FieldDef> f{{"OS0", 'C', 10, 0}, {"OS1", 'C', 16, 0}, {"OS2", 'C', 30, 0}};
    for (int i = 3; i <= 8; ++i)
        f.append({QString("OS%1").arg(i), 'C', 30, 0});
    return f;
}

QStringList person(QRandomGenerator &rng, quint64 n)
{
    QStringList v{QString::number(n), keyCode(n), surname(rng)};
    for (int i = 3; i <= 8; ++i)
        v << QString("Poznámka %1 k osobě č. %2").arg(i).arg(n);
    return v;
}

QByteArray recordBytes(const QList<FieldDef> &fields, const QStringList &values)
{
    QByteArray r(1, ' ');
    for (int i = 0; i < fields.size(); ++i)
        r += toCp1250(values[i]).left(fields[i].width).leftJustified(fields[i].width, ' ');
    return r;
}

// The person list written straight to the file, as years of use leave it.
void writePersons(const QString &folder, QRandomGenerator &rng, QStringList &someCodes)
{
    const QList<FieldDef> fields = personFields();
    Table::create(folder, "osoby", fields);
    QFile f(folder + "/osoby.DBF");
    f.open(QIODevice::ReadWrite);
    QByteArray bytes = f.readAll();
    bytes.chop(1);
    for (int n = 0; n < Records; ++n) {
        const QStringList p = person(rng, quint64(n));
        if (n % 10 == 0)
            someCodes << p[1];
        bytes += recordBytes(fields, p);
    }
    bytes += char(0x1A);
    qToLittleEndian(quint32(Records), bytes.data() + 4);
    f.seek(0);
    f.write(bytes);
}

// From here on the peak counts the engine only, not the making of the table.
void resetPeak()
{
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double findMicroseconds(Table &t, const QStringList &keys)
{
    QElapsedTimer clock;
    clock.start();
    int found = 0;
    for (const QString &k : keys)
        found += t.findKey(k) ? 1 : 0;
    const double us = double(clock.nsecsElapsed()) / 1000.0 / double(keys.size());
    if (found != keys.size())
        std::printf("  (only %d of %lld keys found)\n", found, qint64(keys.size()));
    return us;
}

void ogr2ogrFigure(const QString &folder, double engineOpenMs)
{
    const QString ogr2ogr = QStandardPaths::findExecutable("ogr2ogr");
    if (ogr2ogr.isEmpty()) {
        std::printf("ogr2ogr -f CSV         not installed (gdal-bin)\n");
        return;
    }
    QElapsedTimer clock;
    clock.start();
    const int rc = QProcess::execute(ogr2ogr, {"-f", "CSV", folder + "/osoby.csv", folder + "/osoby.DBF"});
    std::printf("ogr2ogr -f CSV         %8.1f ms  (exit %d; the engine's open: %.1f ms)\n",
                double(clock.nsecsElapsed()) / 1e6, rc, engineOpenMs);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QRandomGenerator rng(20240601);
    QStringList keys;
    writePersons(dir.path(), rng, keys);
    resetPeak();
    std::printf("person list: %d records, %lld bytes\n", Records, QFile(dir.path() + "/osoby.DBF").size());

    QElapsedTimer clock;
    clock.start();
    Table t;
    t.setDatabaseFolder(dir.path());
    t.setTableName("osoby");
    t.setIndexFieldNames("OS1");
    t.open();
    const double openMs = double(clock.nsecsElapsed()) / 1e6;
    std::printf("open, OS1 and OS2 built %8.1f ms   (goal < 500 ms)\n", openMs);

    std::printf("find key OS1           %8.2f us   (goal < 50 us)\n", findMicroseconds(t, keys));
    QStringList names;
    for (int i = 0; i < 10000; ++i)
        names << t.textAt(int(rng.bounded(Records)), 2);
    t.setIndexFieldNames("OS2");
    std::printf("find key OS2 (Czech)   %8.2f us\n", findMicroseconds(t, names));
    std::printf("resident after open    %8ld kB\n", statusKb("VmRSS:"));

    ogr2ogrFigure(dir.path(), openMs);

    clock.restart();
    for (int n = Records; n < 2 * Records; ++n) {
        const QStringList p = person(rng, quint64(n));
        t.append();
        for (int i = 0; i < p.size(); ++i)
            t.setFieldText(i, p[i]);
        t.post();
    }
    const double appendMs = double(clock.nsecsElapsed()) / 1e6;
    std::printf("append %d records  %8.1f ms   (%.1f us a record)\n", Records, appendMs, appendMs * 1000 / Records);
    std::printf("resident after append  %8ld kB   (peak %ld kB; goal < 100 MB)\n", statusKb("VmRSS:"), statusKb("VmHWM:"));
    return 0;
}
