// Figures of the set tools at their largest: filling the surnames of 510 rows
// from a person list of 100,000 records, finding duplicates among those
// 100,000, and comparing the working set with the archive set (with the two
// copies and the working set's duplicates beside them). Each is run five
// times on tables already open, as the operator runs it; the best and the
// worst time are printed against the goal of 200 ms.

#include "bench/bench_support.h"
#include "core/cp1250.h"
#include "records/database.h"
#include "records/set_tools.h"
#include "records/working_set.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace bench;

namespace {
constexpr int Persons = 100000;
constexpr double GoalMs = 200.0;

QByteArray recordBytes(const QList<FieldDef> &fields, const QStringList &values)
{
    QByteArray r(1, ' ');
    for (int i = 0; i < fields.size(); ++i)
        r += toCp1250(values.value(i)).left(fields[i].width).leftJustified(fields[i].width, ' ');
    return r;
}

// The person list written straight to the file; every 100th person holds the
// code of the one before (a second key of the same person, say).
void writePersons(const QString &folder)
{
    const QList<FieldDef> fields = personFields();
    Table::create(folder, QStringLiteral("osoby"), fields);
    QFile f(folder + QStringLiteral("/osoby.DBF"));
    if (!f.open(QIODevice::ReadWrite))
        qFatal("cannot write the person list");
    QByteArray bytes = f.readAll();
    bytes.chop(1);
    static const char *const names[] = {"Novák", "Svobodová", "Dvořák", "Černý", "Procházková", "Kučera", "Veselá", "Horák"};
    for (int n = 0; n < Persons; ++n) {
        const quint64 code = n % 100 == 99 ? quint64(n - 1) : quint64(n);
        bytes += recordBytes(fields, {QString::number(n), keyCode(code), QString::fromUtf8(names[n % 8]) + QString::number(n),
                                      QStringLiteral("Jan"), QStringLiteral("Výroba"), QStringLiteral("123 456 789")});
    }
    bytes += char(0x1A);
    qToLittleEndian(quint32(Persons), bytes.data() + 4);
    f.seek(0);
    f.write(bytes);
}

// 510 rows: most codes known, every 10th unknown, every 50th a repeat, a few no codes.
void fillWorkingSet(WorkingSet &set)
{
    for (int n = 1; n <= SlotCount; ++n) {
        QString code = keyCode(quint64(n) * 150);
        if (n % 10 == 0)
            code = keyCode(quint64(Persons) + quint64(n));
        if (n % 50 == 0)
            code = keyCode(quint64(n - 1) * 150);
        if (n % 97 == 0)
            code = QStringLiteral("CHYBA");
        set.setRow(n, {slotLabel(n), code, QStringLiteral("1010101010101010")});
    }
}

void figure(const char *what, const std::function<QString()> &run)
{
    double best = 1e9, worst = 0;
    QString result;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        result = run();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        best = std::min(best, ms);
        worst = std::max(worst, ms);
    }
    std::printf("%-44s %8.2f ms best %8.2f ms worst  %s  (%s)\n", what, best, worst, worst < GoalMs ? "goal met" : "GOAL MISSED",
                qPrintable(result));
}

void openTable(Table &t, const QString &folder, const QString &name, const QString &index)
{
    t.setDatabaseFolder(folder);
    t.setTableName(name);
    t.setIndexFieldNames(index);
    t.open();
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    writePersons(dir.path());
    createArchiveTable(dir.path(), QStringLiteral("arch1"));
    Table persons, archive;
    openTable(persons, dir.path(), QStringLiteral("osoby"), QStringLiteral("OS2"));
    openTable(archive, dir.path(), QStringLiteral("arch1"), QStringLiteral("SE0"));
    WorkingSet set;
    fillWorkingSet(set);
    std::printf("person list: %d records; working set: %d rows; goal: each under %.0f ms\n", persons.recordCount(), SlotCount, GoalMs);

    figure("fill surnames (510 rows, 100,000 persons)", [&] {
        persons.setIndexFieldNames(QStringLiteral("OS2"));  // the operator's surname order first
        const Finding f = fillSurnames(set, persons);
        persons.setIndexFieldNames(QStringLiteral("OS2"));
        return QStringLiteral("%1 unknown").arg(f.count);
    });
    figure("duplicates in 100,000 persons", [&] {
        persons.setIndexFieldNames(QStringLiteral("OS2"));
        const PersonDuplicates d = personDuplicates(persons);
        persons.findKey(d.lastCode);
        return QStringLiteral("%1 duplicates").arg(d.count);
    });
    figure("copy working set to archive set", [&] {
        copyWorkingToArchive(set, archive);
        return QStringLiteral("%1 slots").arg(archive.recordCount());
    });
    figure("compare (510 slots)", [&] { return QStringLiteral("%1 differences").arg(compareSets(set, archive).count); });
    figure("copy archive set to working set", [&] {
        copyArchiveToWorking(archive, set);
        return QStringLiteral("%1 rows").arg(SlotCount);
    });
    figure("duplicates in the working set", [&] { return QStringLiteral("%1 duplicates").arg(workingSetDuplicates(set).count); });
    return 0;
}
