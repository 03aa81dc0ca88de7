// The event range and reading end to end: "Čtení &Událostí" selects the
// device, asks for its range (146 at 0 of the device event buffer), shows it
// with the dates of its ends and reads it through the block transfer under
// TForm15, block by block around the ring; a simulated TAVO-B at 9600 baud on
// the virtual clock.
#include "tests/devices/event_reading_fixture.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>

using namespace tavob;

namespace {
QByteArray hex(const char *text) { return QByteArray::fromHex(text); }

QList<QByteArray> data(const QList<SimRequest> &requests)
{
    QList<QByteArray> out;
    for (const SimRequest &r : requests)
        out << r.data;
    return out;
}

// A reader that answers the transfer start only so many times.
class TiringDevice : public TavoBDevice {
public:
    TiringDevice(quint8 address, int starts) : TavoBDevice(address), starts_(starts) {}
    std::vector<QByteArray> serve(const SimRequest &request) override
    {
        if (request.command == Command::TransferStart && starts_-- <= 0)
            return {};
        return TavoBDevice::serve(request);
    }

private:
    int starts_;
};

// A reader whose blocks lose their last record's two frames on the line.
class ShortBlockDevice : public TavoBDevice {
public:
    using TavoBDevice::TavoBDevice;
    std::vector<QByteArray> serve(const SimRequest &request) override
    {
        std::vector<QByteArray> frames = TavoBDevice::serve(request);
        if (request.command == Command::ReadBlock)
            frames.resize(frames.size() - 2);
        return frames;
    }
};
} // namespace

class TestEventReading : public QObject, EventReadingFixture {
    Q_OBJECT
private slots:
    void initTestCase() { setUpFonts(); }
    void cleanup() { tearDown(); }

    // The refresh puts the device's range into mode 2 and reads the date of
    // its first event from the card and of its last from the event buffer.
    void theRefreshShowsTheRangeAndTheDatesOfItsEnds()
    {
        startWithDevice();
        fill(40, 1000);
        QVERIFY(form1()->menuItem(QStringLiteral("CteniUdalosti"))->isEnabled());
        open();
        QVERIFY(form13()->isVisible());
        QVERIFY(!form13()->isModal());
        QCOMPARE(data(requests(146)), (QList<QByteArray>{hex("00000000A4"), hex("0000047855"), hex("00000088A4")}));
        QCOMPARE(int(bus->requests()[0].request.address), 255);
        QCOMPARE(form13()->itemIndex(), int(TForm13::FromTo));
        QVERIFY(form13()->Edit4->isVisibleTo(form13()));
        QVERIFY(!form13()->Edit3->isVisibleTo(form13()));
        QCOMPARE(form13()->Edit4->text(), QStringLiteral("40"));
        QCOMPARE(form13()->Edit5->text(), QStringLiteral("1000"));
        QCOMPARE(form13()->Edit1->text(), QStringLiteral("15.01.2024   10:00:40"));
        QCOMPARE(form13()->Edit2->text(), QStringLiteral("15.01.2024   10:16:40"));
        QVERIFY(form13()->RangeIdle);
        QVERIFY(op.shown.isEmpty());

        // A new end reads its date alone; a new mode reads both.
        bus->clearLog();
        form13()->Edit4->setText(QStringLiteral("41"));
        vc.advanceMs(150);
        QCOMPARE(form13()->Edit1->text(), QStringLiteral("15.01.2024   10:00:41"));
        form13()->RadioItem[TForm13::Newest]->click();
        vc.advanceMs(250);
        QVERIFY(form13()->Edit3->isVisibleTo(form13()));
        QCOMPARE(data(requests(146)), (QList<QByteArray>{hex("0000048855"), hex("00000088A4"), hex("00000088A4")}));
        form13()->CSpinButton1UpClick();  // the newest 2: 999 .. 1000
        vc.advanceMs(150);
        QCOMPARE(form13()->Edit1->text(), QStringLiteral("15.01.2024   10:16:39"));
        QCOMPARE(form13()->Edit2->text(), QStringLiteral("15.01.2024   10:16:40"));
    }

    void aRefreshIsJudged_data()
    {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("last");
        QTest::addColumn<QString>("message");
        const QString start = QStringLiteral("Počátek paměti událostí je mimo platnou oblast. Proveďte Aktivaci TAVO-B.");
        const QString end = QStringLiteral("Konec paměti událostí je mimo platnou oblast. Proveďte Aktivaci TAVO-B.");
        QTest::newRow("first 0") << qint64(0) << qint64(10) << start;
        QTest::newRow("first past the ring") << qint64(4000001) << qint64(10) << start;
        QTest::newRow("last past the ring") << qint64(1) << qint64(4000001) << end;
        QTest::newRow("last 0, an empty memory") << qint64(1) << qint64(0) << QString();
        QTest::newRow("last 4,000,000") << qint64(1) << qint64(4000000) << QString();
    }
    void aRefreshIsJudged()
    {
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        QFETCH(QString, message);
        startWithDevice();
        device->setRange(first, last);
        open();
        QCOMPARE(op.lastText(), message);
        QCOMPARE(form13()->isVisible(), message.isEmpty());
        if (!message.isEmpty())
            QCOMPARE(op.shown.last().flags, 48);
        QCOMPARE(requests(146).size(), message.isEmpty() ? 3 : 1);
    }

    void aSilentDeviceClosesTheWindow()
    {
        startWithDevice();
        device->faults().noReply = true;
        open();
        QCOMPARE(op.lastText(), QStringLiteral("Zařízení neodpovídá."));
        QVERIFY(!form13()->isVisible());
    }

    // Which memory each read names, by the newest-block rules.
    void theNewestBlockComesFromTheEventBuffer_data()
    {
        QTest::addColumn<qint64>("last");
        QTest::addColumn<qint64>("from");
        QTest::addColumn<QByteArray>("lastDate");
        QTest::addColumn<QList<QByteArray>>("blocks");
        QTest::newRow("last 64: its date from the card, its block from the buffer")
            << qint64(64) << qint64(33) << hex("000005F855") << QList<QByteArray>{hex("00000010A4")};
        QTest::newRow("last 40: both from the buffer, the date at 136")
            << qint64(40) << qint64(40) << hex("00000088A4") << QList<QByteArray>{hex("00000010A4")};
        QTest::newRow("first 40 of 100: the block of 33 at 1,024, the date of 100 at 72")
            << qint64(100) << qint64(40) << hex("00000048A4")
            << QList<QByteArray>{hex("0000040055"), hex("0000060055"), hex("00000010A4")};
    }
    void theNewestBlockComesFromTheEventBuffer()
    {
        QFETCH(qint64, last);
        QFETCH(qint64, from);
        QFETCH(QByteArray, lastDate);
        QFETCH(QList<QByteArray>, blocks);
        startWithDevice();
        fill(1, last);
        open();
        QCOMPARE(requests(146).at(2).data, lastDate);
        setRange(from, last);
        read();
        QCOMPARE(data(requests(149)), blocks);
        QCOMPARE(eventsListed(), eventRun(from, int(last - from + 1)));
        QCOMPARE(column(ColCode).first(), codeText(from));
        QCOMPARE(list().rowCount(), int(last - from + 2));
        QCOMPARE(commands().last(), 141);
    }

    // After the block at 64,000,000 the reading goes on at 512 with event 1.
    void aRangeAcrossTheEndOfTheRing()
    {
        startWithDevice();
        fill(3999990, 40);
        open();
        read();
        QCOMPARE(data(requests(149)), (QList<QByteArray>{hex("03D0900055"), hex("0000020055"), hex("00000010A4")}));
        QCOMPARE(eventsListed(), eventRun(3999990, 51));
        QCOMPARE(column(ColCode).at(11), codeText(1));
        QCOMPARE(form15()->Label2->text(), QStringLiteral("Přečteno 51 událostí z 51"));
        QCOMPARE(form15()->Label3->text(), QStringLiteral("Zbývající čas: 0:0:0"));
        QCOMPARE(form15()->ProgressBar1->value(), 51);
        QVERIFY(!form15()->isVisible());
    }

    void theOldestFiveAcrossTheEnd()
    {
        startWithDevice();
        fill(3999998, 100);
        open();
        setMode(TForm13::Oldest, 5);
        read();
        QCOMPARE(eventsListed(), eventRun(3999998, 5));
    }

    void theCountIsLimited_data()
    {
        QTest::addColumn<qint64>("last");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<QString>("message");
        QTest::newRow("100,000") << qint64(200000) << qint64(100000) << QString();
        QTest::newRow("100,001") << qint64(200000) << qint64(100001)
                                 << QStringLiteral("Lze vyčíst maximálně 100 000 událostí najednou.");
        QTest::newRow("an empty memory") << qint64(0) << qint64(0)
                                         << QStringLiteral("Proveďte alespoň jeden pokus o přístup.");
    }
    void theCountIsLimited()
    {
        QFETCH(qint64, last);
        QFETCH(qint64, to);
        QFETCH(QString, message);
        startWithDevice();
        device->setRange(1, last);
        open();
        setRange(1, to);
        bus->clearLog();
        form13()->SpeedButton2->click();
        QCOMPARE(op.lastText(), message);
        QCOMPARE(form15()->isVisible(), message.isEmpty());
        if (!message.isEmpty()) {
            QVERIFY(bus->requests().empty());
            return;
        }
        QVERIFY(form15()->isModal());
        QCOMPARE(form15()->Label1->text(), QStringLiteral("Probíhá načítání seznamu událostí ze zařízení ")
                                               + form1()->codeMemory.deviceName);
        QCOMPARE(form15()->Label2->text(), QStringLiteral("Přečteno 0 událostí z 100000"));
        QCOMPARE(form15()->Label3->text(), QStringLiteral("Zbývající čas: 1:23:19"));
        QCOMPARE(form15()->Label4->text(), QStringLiteral("  Celkový čas: 1:23:19"));
        form15()->Button1->click();
        finish();
        QCOMPARE(commands(), (QList<int>{140, 149, 141}));
        QCOMPARE(list().rowCount(), 33);
    }

    // The 21st poll without an answer ends the reading; what was read stays
    // and no transfer end goes out.
    void theTwentyFirstPollGivesUp()
    {
        startWithDevice(new TiringDevice(255, 2));
        fill(1, 200);
        open();
        bus->clearLog();
        form13()->SpeedButton2->click();
        QVERIFY(runUntil([this] { return !op.shown.isEmpty(); }, 20000));
        QCOMPARE(op.lastText(), QStringLiteral("Zařízení neodpovídá."));
        QCOMPARE(requests(140).size(), 3);
        QCOMPARE(commands().last(), 140);
        QCOMPARE(vc.nowUs() - bus->requests().back().atUs < 2200000, true);
        QCOMPARE(eventsListed(), eventRun(1, 64));
        QVERIFY(!form15()->isVisible());
        QVERIFY(!form15()->transfer.running());
    }

    // "&Storno" while a block is on its way: it is still listed, then 141.
    void stornoLetsTheBlockUnderWayFinish()
    {
        startWithDevice();
        fill(1, 200);
        open();
        bus->clearLog();
        form13()->SpeedButton2->click();
        QVERIFY(runUntil([this] { return requests(149).size() == 2; }, 5000));
        form15()->Button1->click();
        QVERIFY(form15()->CancelRequested());
        finish();
        QCOMPARE(commands(), (QList<int>{140, 149, 140, 149, 141}));
        QCOMPARE(eventsListed(), eventRun(1, 64));
        QVERIFY(!form15()->isVisible());
    }

    // Position 0 is an unauthorized attempt; a code frame that did not come
    // reads "CHYBA". Both rows stand out.
    void unauthorizedAndFailedRows()
    {
        startWithDevice(new ShortBlockDevice(255));
        fill(1, 100, {5, 7});
        open();
        setRange(1, 32);
        read();
        QCOMPARE(list().cell(ColPosition, 5), QStringLiteral("nedef"));
        QCOMPARE(list().cell(ColPosition, 7), QStringLiteral("nedef"));
        QCOMPARE(list().cell(ColPosition, 6), QString::number(6 % 97 + 1));
        QCOMPARE(form13()->UnauthorizedCount, 2);
        QCOMPARE(form13()->LastUnauthorizedRow, 7);
        QCOMPARE(list().cell(ColCode, 32), QStringLiteral("CHYBA"));
        QCOMPARE(list().cell(ColCode, 31), codeText(31));
        QCOMPARE(list().rowMark(5), int(UnauthorizedMark));
        QCOMPARE(list().rowMark(32), int(ErrorMark));
        QCOMPARE(list().rowMark(6), int(NoMark));
        QCOMPARE(QStringList(list().cell(ColDay, 1)) << list().cell(ColMonth, 1) << list().cell(ColYear, 1)
                                                    << list().cell(ColHour, 1) << list().cell(ColMinute, 1)
                                                    << list().cell(ColSecond, 1),
                 (QStringList{"15", "01", "2024", "10", "00", "01"}));
    }

    // A second reading replaces the first.
    void aReadingReplacesTheList()
    {
        startWithDevice();
        fill(1, 200);
        open();
        read();
        QCOMPARE(list().rowCount(), 201);
        setRange(150, 160);
        read();
        QCOMPARE(eventsListed(), eventRun(150, 11));
    }
};

QTEST_MAIN(TestEventReading)
#include "test_event_reading.moc"
