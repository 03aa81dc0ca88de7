// The working set as a value and its file: exact bytes, line ends, short and long files.
#include "records/working_set.h"
#include "tests/support/test_files.h"
#include "core/cp1250.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
// Empty texts everywhere, labels included.
std::unique_ptr<TextTable> emptySet() { return std::make_unique<TextTable>(4, SlotCount + 1); }
} // namespace

class TestWorkingSet : public QObject {
    Q_OBJECT
private slots:
    void slotLabels()
    {
        auto g = std::make_unique<WorkingSet>();
        QCOMPARE(g->rowCount(), 511);
        QCOMPARE(g->columnCount(), 4);
        QCOMPARE(g->cell(0, 1), QStringLiteral("master"));
        QCOMPARE(g->cell(0, 2), QStringLiteral("002"));
        QCOMPARE(g->cell(0, 99), QStringLiteral("099"));
        QCOMPARE(g->cell(0, 510), QStringLiteral("510"));
        QCOMPARE(slotNumber(1), QStringLiteral("001"));
        // The labels and the headings are fixed for the grid that shows them.
        QVERIFY(g->isFixed(0, 5) && g->isFixed(2, 0));
        QVERIFY(!g->isFixed(1, 1) && !g->isFixed(3, 510));
    }

    void emptySetIs2555Bytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("DEMOpracovni.csv"));
        auto g = emptySet();
        QVERIFY(SaveWorkingSet(*g, path));
        const QByteArray bytes = readFile(path);
        QCOMPARE(bytes.size(), 2555);
        QCOMPARE(bytes, QByteArray(";;;\r\n").repeated(511));
    }

    void roundTripDropsSemicolons()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.csv"));
        auto g = std::make_unique<WorkingSet>();
        g->setCell(0, 0, QStringLiteral("Pozice"));
        g->setCell(3, 0, QStringLiteral("Příjmení"));
        g->setCell(1, 1, QStringLiteral("12AB000000000000"));
        g->setCell(2, 1, QStringLiteral("1000000000000001"));
        g->setCell(3, 1, QStringLiteral("Novák;Dvořák"));
        g->setCell(3, 510, QStringLiteral("Žluťoučký"));
        QVERIFY(SaveWorkingSet(*g, path));
        const QByteArray bytes = readFile(path);
        QVERIFY(bytes.startsWith(toCp1250(QStringLiteral("Pozice;;;Příjmení\r\nmaster;12AB000000000000;1000000000000001;NovákDvořák\r\n"))));
        QVERIFY(bytes.endsWith(toCp1250(QStringLiteral("510;;;Žluťoučký\r\n"))));

        auto back = emptySet();
        LoadWorkingSet(*back, path);
        for (int r = 0; r <= SlotCount; ++r)
            for (int c = 0; c < 4; ++c)
                QCOMPARE(back->cell(c, r), QString(g->cell(c, r)).remove(QLatin1Char(';')));
    }

    // Another program may have saved the file with LF or CR alone.
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("eol");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR") << QByteArray("\r");
    }
    void lineEnds()
    {
        QFETCH(QByteArray, eol);
        auto g = emptySet();
        fillWorkingSet(*g, "H0;H1;H2;H3" + eol + "master;AB;01;" + toCp1250(QStringLiteral("Novák")) + eol + "002;CD" + eol);
        QCOMPARE(g->cell(3, 0), QStringLiteral("H3"));
        QCOMPARE(g->cell(1, 1), QStringLiteral("AB"));
        QCOMPARE(g->cell(3, 1), QStringLiteral("Novák"));
        QCOMPARE(g->cell(1, 2), QStringLiteral("CD"));
    }

    void shortLinesAndExtraFields()
    {
        auto g = emptySet();
        g->setCell(2, 1, QStringLiteral("keep2"));
        g->setCell(3, 1, QStringLiteral("keep3"));
        g->setCell(1, 3, QStringLiteral("untouched"));
        fillWorkingSet(*g, "a;b;c;d\r\nmaster;X1\r\n002;1;2;3;extra;more\r\n");
        QCOMPARE(g->cell(1, 1), QStringLiteral("X1"));
        QCOMPARE(g->cell(2, 1), QStringLiteral("keep2"));
        QCOMPARE(g->cell(3, 1), QStringLiteral("keep3"));
        QCOMPARE(g->cell(3, 2), QStringLiteral("3"));
        QCOMPARE(g->cell(1, 3), QStringLiteral("untouched"));
    }

    void missingFileChangesNothing()
    {
        auto g = std::make_unique<WorkingSet>();
        g->setCell(1, 5, QStringLiteral("ABC"));
        LoadWorkingSet(*g, QStringLiteral("/nonexistent/DEMOpracovni.csv"));
        QCOMPARE(g->cell(1, 5), QStringLiteral("ABC"));
        QCOMPARE(g->cell(0, 1), QStringLiteral("master"));
    }

    // Longer than the old 64 KiB buffer: written and read back whole.
    void largeFileKeptWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.csv"));
        auto g = emptySet();
        const QString longText(200, QLatin1Char('n'));
        for (int r = 1; r <= SlotCount; ++r)
            g->setCell(3, r, longText + QString::number(r));
        QVERIFY(SaveWorkingSet(*g, path));
        QVERIFY(readFile(path).size() > 100000);
        auto back = emptySet();
        LoadWorkingSet(*back, path);
        QCOMPARE(back->cell(3, 510), longText + QStringLiteral("510"));
    }

    void failedSaveReportsAndKeepsTheOldFile()
    {
        QTemporaryDir dir;
        auto g = emptySet();
        QString reason;
        QVERIFY(!SaveWorkingSet(*g, dir.filePath(QStringLiteral("missing/folder/x.csv")), &reason));
        QVERIFY(!reason.isEmpty());

        // A folder in the file's place: the save fails and nothing is replaced.
        const QString taken = dir.filePath(QStringLiteral("taken.csv"));
        QVERIFY(QDir().mkdir(taken));
        QVERIFY(!SaveWorkingSet(*g, taken, &reason));
        QVERIFY(QFileInfo(taken).isDir());
    }

    void clearKeepsHeadings()
    {
        auto g = std::make_unique<WorkingSet>();
        g->setCell(1, 0, QStringLiteral("Kód"));
        g->setCell(0, 7, QStringLiteral("xx"));
        g->setCell(1, 7, QStringLiteral("AB"));
        g->setCell(3, 510, QStringLiteral("Novák"));
        clearWorkingSet(*g);
        QCOMPARE(g->cell(1, 0), QStringLiteral("Kód"));
        QCOMPARE(g->cell(0, 7), QStringLiteral("007"));
        QCOMPARE(g->cell(1, 7), QString());
        QCOMPARE(g->cell(3, 510), QString());
    }
};

QTEST_MAIN(TestWorkingSet)
#include "test_working_set.moc"
