// Printed reports: the page layout, the pages a print gives and what they
// hold, read back from the PDF with pdftotext (poppler-utils).
#include "exchange/reports.h"
#include "tests/support/program_fixture.h"
#include "tests/support/table_helpers.h"
#include "records/working_set.h"

#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {
// The print dialog answered with a PDF file, a page range and copies; what the
// program preset before it opened is kept.
struct PdfOperator : ScriptedOperator {
    QString file;
    int from = 0, to = 0, copies = 1;
    int presetCopies = 0, presetFrom = 0, presetTo = 0;
    int offeredPages = 0;  // the pages the dialog lets the operator choose from, 1 ... offeredPages
    bool printSetupPages(QPrinter &printer, int pageCount) override
    {
        offeredPages = pageCount;
        return ScriptedOperator::printSetupPages(printer, pageCount);
    }
    bool printSetup(QPrinter &printer) override
    {
        ScriptedOperator::printSetup(printer);
        presetCopies = printer.copyCount();
        presetFrom = printer.fromPage();
        presetTo = printer.toPage();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setCopyCount(copies);
        if (from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(from, to);
        }
        return printAccepted;
    }
};

// The text of each page of the PDF, row by row as it lies on the page.
QStringList pdfPages(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    p.waitForFinished(60000);
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QStringList words(const QString &page) { return page.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts); }
} // namespace

class TestReports : public QObject, ProgramFixture {
    Q_OBJECT
    PdfOperator pdf;  // installed over the fixture's operator

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed: tools/deps.sh installs it");
    }
    void init()
    {
        setUp();
        setOperator(&pdf);
        pdf.file = path("report.pdf");
        pdf.from = pdf.to = 0;
        pdf.copies = 1;
        pdf.printAccepted = true;
        pdf.printRequests = 0;
        pdf.offeredPages = 0;
    }
    void cleanup() { tearDown(); }

    void columnEdges_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("W");
        QTest::addColumn<QList<int>>("edges");
        QTest::newRow("working set") << int(ReportKind::WorkingSet) << 1001 << QList<int>{0, 250, 500, 750, 1001};
        QTest::newRow("archive set") << int(ReportKind::ArchiveSet) << 1000 << QList<int>{0, 333, 666, 1000};
        QTest::newRow("person list 1:3:2...") << int(ReportKind::PersonList) << 1800
                                              << QList<int>{0, 100, 400, 600, 800, 1000, 1200, 1400, 1600, 1800};
        QTest::newRow("person list, uneven") << int(ReportKind::PersonList) << 4961
                                             << QList<int>{0, 275, 1102, 1653, 2204, 2756, 3307, 3858, 4409, 4961};
        QTest::newRow("device list") << int(ReportKind::DeviceList) << 1000 << QList<int>{0, 166, 333, 500, 666, 833, 1000};
    }
    void columnEdges()
    {
        QFETCH(int, kind);
        QFETCH(int, W);
        QFETCH(QList<int>, edges);
        QCOMPARE(reportColumnEdges(ReportKind(kind), W), edges);
    }

    void rowsAndPages()
    {
        QCOMPARE(reportRowEdge(1, 7016), 107);  // 7016 / 65 = 107.9
        QCOMPARE(reportRowEdge(64, 7016), 6908);
        QCOMPARE(reportRowEdge(65, 7016), 7016);
        QCOMPARE(reportPageCount(ReportKind::PersonList, 0), 1);
        QCOMPARE(reportPageCount(ReportKind::PersonList, 64), 2);
        QCOMPARE(reportPageCount(ReportKind::PersonList, 130), 3);
        QCOMPARE(reportPageCount(ReportKind::WorkingSet, 510), 8);
        QCOMPARE(reportPageCount(ReportKind::ArchiveSet, 3), 8);
    }

    // A long name in the narrow first column stops at the column's edge, and
    // empty rows get no outlines.
    void aValueIsCutAtItsCell()
    {
        QImage page(1800, 650, QImage::Format_RGB32);
        page.fill(Qt::white);
        const Report r{ReportKind::PersonList, {"Č."}, 1, [](int) {
                           return QStringList{QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"), QString(), "x"};
                       }};
        {
            QPainter p(&page);
            paintReportPage(p, r, 0, 1800, 650);
        }
        auto inkIn = [&page](int x0, int x1, int y0, int y1) {
            int ink = 0;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    ink += page.pixelColor(x, y) != QColor(Qt::white);
            return ink;
        };
        QVERIFY(inkIn(3, 98, 12, 19) > 0);       // the text in its cell (row 1: 10 ... 20)
        QCOMPARE(inkIn(102, 398, 12, 19), 0);    // nothing of it in the next cell
        QVERIFY(inkIn(0, 1800, 30, 31) == 0);    // row 3, no record: no outline
        QVERIFY(inkIn(0, 1800, 20, 21) > 0);     // the bottom line of row 1
    }

    void personListOf130IsThreePages()
    {
        start();
        fillPersons(130);
        trigger("TiskSeznamuOsob");
        QCOMPARE(pdf.printRequests, 1);
        QCOMPARE(pdf.presetCopies, 1);
        QCOMPARE(pdf.presetFrom, 1);
        QCOMPARE(pdf.presetTo, 3);
        const QStringList pages = pdfPages(pdf.file);
        QCOMPARE(pages.size(), 3);
        for (const QString &p : pages)
            QVERIFY(p.contains(QStringLiteral("Příjmení")) && p.contains(QStringLiteral("Oddělení")));
        QVERIFY(pages[0].contains(QStringLiteral("Osoba001")) && pages[0].contains(QStringLiteral("Osoba064")));
        QVERIFY(!pages[0].contains(QStringLiteral("Osoba065")));
        const QStringList third = words(pages[2]);
        QVERIFY(third.contains(QStringLiteral("Osoba129")) && third.contains(QStringLiteral("Osoba130")));
        QCOMPARE(third.filter(QStringLiteral("Osoba")).size(), 2);
        QCOMPARE(form1()->db.Table2.recNo(), 129);  // left at the last record printed
    }

    void pagesTwoToThreeHoldRecords65To192()
    {
        start();
        fillPersons(200);
        pdf.from = 2;
        pdf.to = 3;
        trigger("TiskSeznamuOsob");
        const QStringList pages = pdfPages(pdf.file);
        QCOMPARE(pages.size(), 2);
        QStringList names = words(pages[0]).filter(QStringLiteral("Osoba")) + words(pages[1]).filter(QStringLiteral("Osoba"));
        QCOMPARE(names.size(), 128);
        QCOMPARE(names.first(), QStringLiteral("Osoba065"));
        QCOMPARE(names.last(), QStringLiteral("Osoba192"));
    }

    void copiesRepeatEveryPage()
    {
        start();
        fillPersons(70);
        pdf.copies = 2;
        trigger("TiskSeznamuOsob");
        const QStringList pages = pdfPages(pdf.file);
        QCOMPARE(pages.size(), 4);
        QVERIFY(pages[1].contains(QStringLiteral("Osoba064")) && pages[3].contains(QStringLiteral("Osoba070")));
    }

    void emptyDeviceListIsOnePageOfHeadings()
    {
        start();
        form1()->db.emptyTable(form1()->db.Table3);
        trigger("TiskSeznamuZarizeni");
        const QStringList pages = pdfPages(pdf.file);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(words(pages[0]), (QStringList{"Č.", "Název", "Archiv", "Adresa", "Relé", "Kódů"}));
    }

    void workingSetIsEightPages()
    {
        start();
        grid().setCell(3, 449, QStringLiteral("Žluťoučký"));
        grid().setCell(1, 510, QStringLiteral("12AB000000000000"));
        trigger("TiskPracovniSestavy");
        const QStringList pages = pdfPages(pdf.file);
        QCOMPARE(pages.size(), 8);
        const QStringList eighth = words(pages[7]);
        QCOMPARE(eighth.mid(0, 4), (QStringList{"Pozice", "Kód", "Příznaky", "Příjmení"}));
        QCOMPARE(eighth.size(), 4 + 62 + 2);  // 62 slot labels, one name, one code
        QCOMPARE(eighth[4], QStringLiteral("449"));
        QVERIFY(eighth.contains(QStringLiteral("Žluťoučký")) && eighth.contains(QStringLiteral("12AB000000000000")));
        QCOMPARE(eighth.last(), QStringLiteral("12AB000000000000"));
    }

    // Copies 1, from page 1, and the pages of the report to choose from.
    void dialogPresetsOfEachReport_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("persons");
        QTest::addColumn<int>("pages");
        QTest::newRow("working set") << "TiskPracovniSestavy" << 0 << 8;
        QTest::newRow("archive set") << "TiskArchivniSestavy" << 0 << 8;
        QTest::newRow("64 persons: the second page has its headings alone") << "TiskSeznamuOsob" << 64 << 2;
        QTest::newRow("130 persons") << "TiskSeznamuOsob" << 130 << 3;
        QTest::newRow("empty device list") << "TiskSeznamuZarizeni" << 0 << 1;
    }
    void dialogPresetsOfEachReport()
    {
        QFETCH(QString, item);
        QFETCH(int, persons);
        QFETCH(int, pages);
        start();
        fillPersons(persons);
        if (item == "TiskSeznamuZarizeni")
            form1()->db.emptyTable(form1()->db.Table3);
        pdf.printAccepted = false;
        trigger(item.toLatin1().constData());
        QCOMPARE(pdf.printRequests, 1);
        QCOMPARE(pdf.offeredPages, pages);
        QCOMPARE(pdf.presetCopies, 1);
        QCOMPARE(pdf.presetFrom, 1);
        QCOMPARE(pdf.presetTo, pages);
    }

    // Qt's own dialog, as the program shows it: the range from 1 to the page count.
    void printDialogOffersThePagesGiven()
    {
        QtOperator real;
        QPrinter printer;
        printer.setFromTo(1, 5);
        int minPage = 0, maxPage = 0, from = 0, to = 0;
        bool rangeOffered = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            minPage = dialog->minPage();
            maxPage = dialog->maxPage();
            from = dialog->fromPage();
            to = dialog->toPage();
            rangeOffered = dialog->testOption(QAbstractPrintDialog::PrintPageRange);
            dialog->reject();
        });
        poll.start(10);
        QVERIFY(!real.printSetupPages(printer, 5));
        QVERIFY(rangeOffered);
        QCOMPARE(minPage, 1);
        QCOMPARE(maxPage, 5);
        QCOMPARE(from, 1);
        QCOMPARE(to, 5);
    }

    void cancelledDialogPrintsNothing()
    {
        start();
        pdf.printAccepted = false;
        trigger("TiskArchivniSestavy");
        QCOMPARE(pdf.printRequests, 1);
        QVERIFY(!QFile::exists(pdf.file));
    }

private:
    void fillPersons(int n)
    {
        Table &t = form1()->db.Table2;
        for (int i = 1; i <= n; ++i)
            addRecord(t, {QString::number(i), QStringLiteral("%1").arg(i, 16, 10, QLatin1Char('0')),
                          QStringLiteral("Osoba%1").arg(i, 3, 10, QLatin1Char('0'))});
    }
};

QTEST_MAIN(TestReports)
#include "test_reports.moc"
