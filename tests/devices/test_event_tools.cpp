// The tools on the event list end to end: surnames filled from the person
// list, the unauthorized attempts, the save into the events file (at once up
// to 10,000 rows, in pieces through TForm16 beyond) and the move of the
// device's start past the rows saved, with the device's range read again
// right before it; a simulated TAVO-B on the virtual clock.
#include "tests/devices/event_reading_fixture.h"
#include "tests/support/table_helpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

using namespace tavob;

namespace {
QByteArray pointer(qint64 n)
{
    const auto p = pointerBytes(n);
    return QByteArray(reinterpret_cast<const char *>(p.data()), 4);
}
QByteArray startMove(qint64 first, qint64 last) { return pointer(first) + pointer(last) + QByteArray(4, '\0') + char(0xA4); }
} // namespace

class TestEventTools : public QObject, EventReadingFixture {
    Q_OBJECT
private slots:
    void initTestCase() { setUpFonts(); }
    void cleanup() { tearDown(); }

    // Known codes get their surname, unknown ones "neznámý" and a colour;
    // codes that name nobody get an empty cell. The sort box is as it was.
    void surnamesAreFilledByCode()
    {
        startWithDevice();
        fill(1, 100);
        addRecord(form1()->db.Table2, {"1", codeText(1), QStringLiteral("Novák")});
        addRecord(form1()->db.Table2, {"2", codeText(2), QStringLiteral("Dvořák")});
        form1()->CheckBox1->setChecked(true);
        open();
        setRange(1, 10);
        read();
        list().setCell(ColCode, 3, QStringLiteral("CHYBA"));
        list().setCell(ColCode, 4, QStringLiteral("0000000000000000"));
        list().setCell(ColCode, 5, QStringLiteral("FFFFFFFFFFFFFFFF"));
        list().setCell(ColSurname, 4, QStringLiteral("old"));
        form13()->SpeedButton3->click();
        QCOMPARE(column(ColSurname), (QStringList{"Novák", "Dvořák", "", "", "", "neznámý", "neznámý", "neznámý",
                                                  "neznámý", "neznámý"}));
        QCOMPARE(op.lastText(), QStringLiteral("V seznamu událostí je 5 přístupů s neznámým kódem."));
        QCOMPARE(op.shown.last().flags, 48);
        QCOMPARE(form13()->StringGrid1->row(), 10);
        QCOMPARE(form13()->StringGrid1->col(), int(ColCode));
        QCOMPARE(list().rowMark(6), int(UnknownCodeMark));
        QCOMPARE(list().rowMark(1), int(NoMark));
        QVERIFY(form1()->CheckBox1->isChecked());
        QCOMPARE(form1()->db.Table2.indexFieldNames(), QStringLiteral("OS2"));

        // Everybody known now: the colours go, the cursor stays.
        for (int n = 6; n <= 10; ++n)
            addRecord(form1()->db.Table2, {QString::number(n), codeText(n), QStringLiteral("Černá")});
        form13()->StringGrid1->selectCell(ColEvent, 2);
        form13()->SpeedButton3->click();
        QCOMPARE(op.lastText(), QStringLiteral("V seznamu událostí byly všechny přístupy provedeny známým kódem."));
        QCOMPARE(op.shown.last().title, QStringLiteral("Potvrzení"));
        QCOMPARE(list().rowMark(6), int(NoMark));
        QCOMPARE(form13()->StringGrid1->row(), 2);
    }

    // The count of the last reading, whatever was edited since.
    void unauthorizedAttempts()
    {
        startWithDevice();
        fill(1, 100, {4, 9});
        open();
        setRange(1, 20);
        read();
        list().setCell(ColPosition, 9, QStringLiteral("12"));
        form13()->SpeedButton4->click();
        QCOMPARE(op.lastText(), QStringLiteral("V seznamu událostí je 2 neoprávněných pokusů o přístup."));
        QCOMPARE(op.shown.last().flags, 48);
        QCOMPARE(form13()->StringGrid1->row(), 9);
        setRange(10, 20);
        read();
        form13()->SpeedButton4->click();
        QCOMPARE(op.lastText(), QStringLiteral("V seznamu událostí byly všechny přístupy oprávněné."));
        QCOMPARE(op.shown.last().flags, 64);
    }

    // The title line, then a line a row; ";" dropped, an empty surname
    // between two separators, CR LF after every line, Windows-1250.
    void theEventsFileByteForByte()
    {
        startWithDevice();
        fill(1, 100, {2});
        open();
        setRange(1, 3);
        read();
        list().setCell(ColSurname, 1, QStringLiteral("Nov;ák"));
        form13()->CheckBox1->setChecked(false);
        op.fileNames << path("udalosti.csv");
        form13()->SpeedButton5->click();
        QFile f(path("udalosti.csv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), toCp1250(QStringLiteral("Událost;Kód;Příjmení;Pozice;Den;Měsíc;Rok;Hod;Min;Sec\r\n"
                                                      "1;0100000000000001;Novák;2;15;01;2024;10;00;01\r\n"
                                                      "2;0100000000000002;;nedef;15;01;2024;10;00;02\r\n"
                                                      "3;0100000000000003;;4;15;01;2024;10;00;03\r\n")));
        const FileDialogRequest &r = op.fileRequests.last();
        QCOMPARE(r.filter, QStringLiteral("text oddělený středníkem (*.csv)|*.csv"));
        QCOMPARE(r.defaultExt, QStringLiteral("csv"));
        QCOMPARE(r.initialDir, QStringLiteral("C:\\Kel-TAVO"));
        vc.advanceMs(500);
        QVERIFY(requests(148).isEmpty());
        QVERIFY(op.shown.isEmpty());
    }

    void atOnceUpToTenThousand_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("10,000: written at once") << 10000;
        QTest::newRow("10,001: TForm16 designates rows 1 and 10,000") << 10001;
    }
    void atOnceUpToTenThousand()
    {
        QFETCH(int, rows);
        startWithDevice();
        fill(1, 20000);
        open();
        setRange(1, rows);
        read();
        op.fileNames << path("u.csv");
        form13()->SpeedButton5->click();
        QCOMPARE(form16()->isVisible(), rows > MaxSave);
        if (rows > MaxSave) {
            QVERIFY(op.fileRequests.isEmpty());
            QCOMPARE(form16()->Edit1->text(), QStringLiteral("1"));
            QCOMPARE(form16()->Edit2->text(), QStringLiteral("10000"));
            QCOMPARE(form16()->Edit3->text(), QStringLiteral("15.01.2024   10:00:01"));
            QCOMPARE(form16()->Edit4->text(), QStringLiteral("15.01.2024   10:16:40"));
            QCOMPARE(form16()->SaveFirstRow, 1);
            QCOMPARE(form16()->SaveLastRow, 10000);
            return;
        }
        QFile f(path("u.csv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count("\r\n"), 10001);
    }

    // TForm16's checks in their order; a refused piece empties the edit pair
    // at fault, a saved one moves the start past its own last row.
    void aPieceIsChecked_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("emptied");  // 1: Edit1 and Edit3, 2: Edit2 and Edit4
        QTest::newRow("10,000 rows") << "1" << "10000" << QString() << 0;
        QTest::newRow("the rest") << "10001" << "15000" << QString() << 0;
        QTest::newRow("10,001 rows") << "1" << "10001" << "Najednou lze uložit maximálně 10 000 událostí." << 2;
        QTest::newRow("last not read") << "1" << "15001" << "Událost nebyla načtena ze zařízení." << 2;
        QTest::newRow("first not read") << "15001" << "15001" << "Událost nebyla načtena ze zařízení." << 1;
        QTest::newRow("last before first") << "100" << "50"
                                           << "Události je nutné ukládat v pořadí, v jakém byly načteny." << 2;
    }
    void aPieceIsChecked()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, message);
        QFETCH(int, emptied);
        startWithDevice();
        fill(1, 20000);
        open();
        setRange(1, 15000);
        read();
        form13()->SpeedButton5->click();
        QVERIFY(form16()->isVisible());
        form16()->Edit1->setText(first);
        form16()->Edit2->setText(last);
        op.fileNames << path("piece.csv");
        bus->clearLog();
        form16()->Button1->click();
        vc.advanceMs(500);
        QCOMPARE(op.lastText(), message);
        QCOMPARE(form16()->isVisible(), !message.isEmpty());
        QCOMPARE(form16()->Edit1->text().isEmpty(), emptied == 1);
        QCOMPARE(form16()->Edit3->text().isEmpty(), emptied == 1);
        QCOMPARE(form16()->Edit2->text().isEmpty(), emptied == 2);
        QCOMPARE(form16()->Edit4->text().isEmpty(), emptied == 2);
        QCOMPARE(QFile::exists(path("piece.csv")), message.isEmpty());
        if (!message.isEmpty())
            return;
        QFile f(path("piece.csv"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.count("\r\n"), last.toInt() - first.toInt() + 2);
        QVERIFY(bytes.contains("\r\n" + first.toLatin1() + ";"));
        QVERIFY(bytes.endsWith(";10\r\n") || bytes.contains("\r\n" + last.toLatin1() + ";"));
        QCOMPARE(data148(), (QList<QByteArray>{startMove(last.toInt() + 1, 20000)}));
        QCOMPARE(device->firstEvent(), qint64(last.toInt() + 1));
    }

    // Row 1 holds event 3,999,995: event 5 is row 11.
    void aWrappedListIsCountedOnAcrossTheEnd()
    {
        startWithDevice();
        fill(3999995, 100);
        open();
        read();
        form16()->Edit1->setText(QStringLiteral("5"));
        QCOMPARE(form16()->SaveFirstRow, 11);
        QCOMPARE(form16()->Edit3->text(), rowDateTimeText(list(), 11));
        QCOMPARE(list().cell(ColEvent, 11), QStringLiteral("5"));
    }

    // The range is read again right before the move: the last pointer written
    // is the device's own, with the events recorded since the reading.
    void theStartMovesPastTheRowsSaved_data()
    {
        QTest::addColumn<qint64>("deviceFirst");
        QTest::addColumn<qint64>("deviceLast");
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<int>("recordedSince");
        QTest::addColumn<QByteArray>("move");
        QTest::newRow("after 40..90") << qint64(1) << qint64(200) << qint64(40) << qint64(90) << 0
                                      << QByteArray::fromHex("000007A0" "00000E70" "00000000A4");
        QTest::newRow("after 4,000,000 comes 1") << qint64(3999990) << qint64(40) << qint64(3999990)
                                                 << qint64(4000000) << 0 << startMove(1, 40);
        QTest::newRow("events recorded since") << qint64(1) << qint64(200) << qint64(40) << qint64(90) << 3
                                               << startMove(91, 203);
    }
    void theStartMovesPastTheRowsSaved()
    {
        QFETCH(qint64, deviceFirst);
        QFETCH(qint64, deviceLast);
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(int, recordedSince);
        QFETCH(QByteArray, move);
        startWithDevice();
        fill(deviceFirst, deviceLast);
        open();
        setRange(from, to);
        read();
        for (int i = 0; i < recordedSince; ++i)
            device->record(codeOf(7), 5);
        op.fileNames << path("u.csv");
        bus->clearLog();
        form13()->SpeedButton5->click();
        vc.advanceMs(500);
        QCOMPARE(commands(), (QList<int>{146, 148}));
        QCOMPARE(requests(146).first().data, QByteArray::fromHex("00000000A4"));
        QCOMPARE(data148(), QList<QByteArray>{move});
        QVERIFY(op.shown.isEmpty());
    }

    // A file that cannot be written is reported, naming it; the start stays.
    void aFailedWriteLeavesTheStart()
    {
        startWithDevice();
        fill(1, 100);
        open();
        setRange(1, 5);
        read();
        const QString name = path("no such folder/u.csv");
        op.fileNames << name;
        bus->clearLog();
        form13()->SpeedButton5->click();
        vc.advanceMs(500);
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown.last().title, QStringLiteral("Upozornění"));
        QCOMPARE(op.shown.last().flags, 48);
        QVERIFY(op.lastText().startsWith(QStringLiteral("Seznam událostí nelze uložit do souboru ") + name + ": "));
        QVERIFY(op.lastText().size() > QStringLiteral("Seznam událostí nelze uložit do souboru : ").size() + name.size());
        QVERIFY(bus->requests().empty());

        // A cancelled dialog: nothing written, nothing sent.
        form13()->SpeedButton5->click();
        vc.advanceMs(500);
        QVERIFY(bus->requests().empty());
        QCOMPARE(op.shown.size(), 1);
    }

    // The tool buttons answer their keys while the window is active (a
    // button pressed by its key shows the press for a moment, then acts).
    void theToolsHaveShortcuts()
    {
        startWithDevice();
        fill(1, 100, {3});
        open();
        setRange(1, 5);
        form13()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form13()));
        QTest::keyClick(form13()->windowHandle(), Qt::Key_N, Qt::ControlModifier);
        QTest::qWait(200);
        finish();
        QCOMPARE(list().rowCount(), 6);
        form13()->activateWindow();  // back from the progress window
        QVERIFY(QTest::qWaitForWindowActive(form13()));
        // Also while a cell is being edited: its line edit would take Ctrl+U
        // (delete to the start) and Ctrl+P for itself.
        form13()->StringGrid1->selectCell(ColCode, 2);
        form13()->StringGrid1->edit(form13()->StringGrid1->currentIndex());
        QVERIFY(QApplication::focusWidget() && QApplication::focusWidget() != form13()->StringGrid1);
        QTest::keyClick(form13()->windowHandle(), Qt::Key_End);
        QTest::keyClick(form13()->windowHandle(), Qt::Key_U, Qt::ControlModifier);
        QTest::qWait(200);
        QCOMPARE(op.lastText(), QStringLiteral("V seznamu událostí je 1 neoprávněných pokusů o přístup."));
        QTest::keyClick(form13()->windowHandle(), Qt::Key_Return);
        QCOMPARE(list().cell(ColCode, 2), codeText(2));
        QTest::keyClick(form13()->windowHandle(), Qt::Key_P, Qt::ControlModifier);
        QTest::qWait(200);
        QCOMPARE(op.lastText(), QStringLiteral("V seznamu událostí je 5 přístupů s neznámým kódem."));
        form13()->CheckBox1->setChecked(false);
        op.fileNames << path("k.csv");
        QTest::keyClick(form13()->windowHandle(), Qt::Key_S, Qt::ControlModifier);
        QTest::qWait(200);
        QVERIFY(QFile::exists(path("k.csv")));
        bus->clearLog();
        QTest::keyClick(form13()->windowHandle(), Qt::Key_F5);
        QTest::qWait(200);
        vc.advanceMs(400);
        QCOMPARE(requests(146).first().data, QByteArray::fromHex("00000000A4"));
    }

private:
    QList<QByteArray> data148() const
    {
        QList<QByteArray> out;
        for (const SimRequest &r : requests(148))
            out << r.data;
        return out;
    }
};

QTEST_MAIN(TestEventTools)
#include "test_event_tools.moc"
