// Lays the demo database into a program folder: a person list with a few
// people, a device list with a TAVO-M reader at 255 and a TAVO-B reader at 1,
// and the archive set "arch1" with some of the people's codes in it.
// Usage: make_demo_tables <folder>

#include "records/database.h"
#include "records/table.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace {
struct Person {
    const char *number, *code, *surname, *name, *department, *phone;
};

const Person people[] = {
    {"1", "01A2B3C4D5E6F701", "Novák", "Jan", "Výroba", "601 111 201"},
    {"2", "01A2B3C4D5E6F702", "Dvořáková", "Marie", "Účtárna", "601 111 202"},
    {"3", "01A2B3C4D5E6F703", "Černý", "Petr", "Sklad", "601 111 203"},
    {"4", "01A2B3C4D5E6F704", "Šťastná", "Lucie", "Výroba", "601 111 204"},
    {"5", "01A2B3C4D5E6F705", "Růžička", "Tomáš", "Údržba", "601 111 205"},
    {"6", "01A2B3C4D5E6F706", "Žáková", "Eva", "Vedení", "601 111 206"},
    {"7", "01A2B3C4D5E6F707", "Chalupa", "Jiří", "Sklad", "601 111 207"},
    {"8", "01A2B3C4D5E6F708", "Hořejší", "Věra", "Recepce", "601 111 208"},
};

void fillPeople(const QString &folder)
{
    Table::create(folder, QStringLiteral("DEMOosoby"), personFields());
    Table t;
    t.setDatabaseFolder(folder);
    t.setTableName(QStringLiteral("DEMOosoby"));
    t.open();
    for (const Person &p : people) {
        t.append();
        const char *fields[] = {p.number, p.code, p.surname, p.name, p.department, p.phone};
        for (int i = 0; i < 6; ++i)
            t.setFieldText(i, QString::fromUtf8(fields[i]));
        t.post();
    }
    t.close();
}

void fillDevices(const QString &folder)
{
    Table::create(folder, QStringLiteral("DEMOzarizeni"), deviceFields());
    Table t;
    t.setDatabaseFolder(folder);
    t.setTableName(QStringLiteral("DEMOzarizeni"));
    t.open();
    const char *rows[][6] = {{"1", "Vrátnice TAVO-M", "arch1", "255", "5", "510"},
                             {"2", "Docházka TAVO-B", "arch1", "1", "5", "510"}};
    for (auto &row : rows) {
        t.append();
        for (int i = 0; i < 6; ++i)
            t.setFieldText(i, QString::fromUtf8(row[i]));
        t.post();
    }
    t.close();
}

void fillArchive(const QString &folder)
{
    createArchiveTable(folder, QStringLiteral("arch1"));
    Table t;
    t.setDatabaseFolder(folder);
    t.setTableName(QStringLiteral("arch1"));
    t.setIndexFieldNames(QStringLiteral("SE0"));
    t.open();
    for (int i = 0; i < 5; ++i) {
        t.moveTo(i);
        t.edit();
        t.setFieldText(1, QString::fromLatin1(people[i].code));
        t.setFieldText(2, QStringLiteral("1000000000000000"));
        t.post();
    }
    t.close();
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_tables <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    try {
        QDir().mkpath(folder);
        fillPeople(folder);
        fillDevices(folder);
        fillArchive(folder);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_demo_tables: %s\n", e.what());
        return 1;
    }
    return 0;
}
