// Figures of the exchange on a person list of 100,000 records: the CSV export
// and the import into an emptied list, the printed report of all 1,563 pages
// to PDF, and record searches through the query and through the search window.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_exchange [folder to keep the files in]

#include "bench/bench_support.h"
#include "core/field_lines.h"
#include "exchange/csv_exchange.h"
#include "exchange/record_query.h"
#include "exchange/reports.h"
#include "exchange/tform5.h"
#include "records/headings.h"
#include "records/database.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

using namespace bench;

namespace {
constexpr int Records = 100000;

// The exchange file of the list, as an export of it would be.
QByteArray personFile(QRandomGenerator &rng)
{
    QByteArray out;
    appendFieldLine(out, {"Č.", "Kód", "Příjmení", "Jméno", "Oddělení", "Telefon", "P1", "P2", "P3"});
    for (int n = 0; n < Records; ++n)
        appendFieldLine(out, {QString::number(n), QStringLiteral("%1").arg(quint64(n) * 7919, 16, 16, QChar('0')).toUpper(),
                              surname(rng), QStringLiteral("Jméno %1").arg(n % 300), QStringLiteral("Oddělení %1").arg(n % 40),
                              QStringLiteral("+420 777 %1").arg(n, 6, 10, QChar('0')), "P1", "", "poznámka"});
    return out;
}

// Wall time, and the processor time of this program alone: the machine may be busy with others.
struct Clock {
    QElapsedTimer wall;
    std::clock_t cpu = 0;
    void restart()
    {
        wall.restart();
        cpu = std::clock();
    }
    QByteArray figures() const
    {
        return QStringLiteral("%1 ms (cpu %2 ms)")
            .arg(double(wall.nsecsElapsed()) / 1e6, 8, 'f', 1)
            .arg(double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC, 8, 'f', 1)
            .toUtf8();
    }
};
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QRandomGenerator rng(20240601);

    Database db;
    db.databaseFolder = folder;
    db.Table2.setTableName("BENCHosoby");
    db.Table2.setDatabaseFolder(folder);
    Table::create(folder, "BENCHosoby", personFields());
    db.Table2.setIndexFieldNames("OS1");
    db.Table2.open();

    const QByteArray file = personFile(rng);
    std::printf("person list: %d records, exchange file %lld bytes\n", Records, qint64(file.size()));

    Clock clock;
    clock.restart();
    db.emptyTable(db.Table2);
    const int added = appendImport(db.Table2, file);
    std::printf("import into the emptied list %s  (%d records; goal < 1000 ms)\n", clock.figures().constData(), added);

    clock.restart();
    QStringList headings{"Č.", "Kód", "Příjmení", "Jméno", "Oddělení", "Telefon", "P1", "P2", "P3"};
    const QByteArray exported = tableExportBytes(headings, db.Table2);
    writeWholeFile(folder + "/osoby.csv", exported);
    std::printf("export                       %s  (%lld bytes; goal < 1000 ms)\n", clock.figures().constData(), qint64(exported.size()));

    for (const char *sql : {"SELECT * FROM BENCHosoby\nWHERE OS2 LIKE \"%novák%\" \nORDER BY OS2",
                            "SELECT * FROM BENCHosoby\nWHERE OS2 LIKE \"Čer%\" \nORDER BY OS1",
                            "SELECT * FROM BENCHosoby\nWHERE OS1 LIKE \"%00AB%\" \nORDER BY OS1",
                            "SELECT * FROM BENCHosoby\nWHERE OS2 LIKE \"%%\" \nORDER BY OS2"}) {
        clock.restart();
        const auto result = runQuery(QString::fromUtf8(sql), db);
        std::printf("search %-28s %s  (%d found; goal < 100 ms)\n",
                    QString::fromUtf8(sql).section('\n', 1, 1).toUtf8().constData(), clock.figures().constData(),
                    result->rowCount());
    }

    // The operator's view: Hledat with an empty text in TForm5, the result
    // grid fitted to its values and painted.
    {
        Headings headings;
        for (int c = 0; c < headings.Cols; ++c)
            headings.at(c, 2) = c < 9 ? QStringList{"Č.", "Kód", "Příjmení", "Jméno", "Oddělení", "Telefon", "P1", "P2", "P3"}[c] : QString();
        TForm5 w(db, headings);
        w.ComboBox3->setCurrentIndex(1);
        w.ComboBox3Change();
        w.Edit1->clear();
        w.resize(900, 600);
        w.show();
        clock.restart();
        w.Image1Click();
        w.DBGrid1->grab();
        std::printf("search window, empty text  %s  (%d found; goal < 100 ms)\n", clock.figures().constData(),
                    w.result()->rowCount());
    }

    Table &t = db.Table2;
    const int fields = t.fieldCount();
    const Report r{ReportKind::PersonList, headings, t.recordCount(), [&t, fields](int i) {
                       QStringList v;
                       for (int f = 0; f < fields; ++f)
                           v << t.textAt(i, f);
                       return v;
                   }};
    const int pages = reportPageCount(r.kind, r.records);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder + "/osoby.pdf");
    QList<int> all;
    for (int p = 0; p < pages; ++p)
        all << p;
    clock.restart();
    printReport(printer, r, all);
    std::printf("print %d pages to PDF   %s  (%lld bytes; goal < 30000 ms)\n", pages, clock.figures().constData(),
                QFile(folder + "/osoby.pdf").size());
    return 0;
}
