// The device jobs on their own: on the simulated bus and the virtual clock,
// with no window, driven as the windows and tavo-cli drive them.
#include "devices/code_memory/jobs.h"
#include "devices/event_memory/jobs.h"
#include "devices/event_memory/event_list.h"
#include "core/clock.h"
#include "core/text_table.h"
#include "sim/sim_bus.h"
#include "sim/tavo_b.h"
#include "sim/tavo_m.h"

#include <QtTest>

using namespace sim;

namespace {
struct Fixture {
    VirtualClock vc;
    SimBus *bus = nullptr;
    std::unique_ptr<Link> link;

    Fixture()
    {
        setTheClock(&vc);
        bus = new SimBus;
        link = std::make_unique<Link>(std::unique_ptr<SerialPort>(bus));
        link->openPort();
    }
    ~Fixture()
    {
        link.reset();
        setTheClock(nullptr);
    }
    bool runUntil(const std::function<bool()> &done, qint64 limitMs) { return vc.advanceUntil(done, limitMs); }
};

SetTexts distinctSet()
{
    SetTexts t;
    for (int s = 1; s <= SlotCount; ++s) {
        t.code[size_t(s)] = QStringLiteral("%1").arg(quint64(s) * 0x1111, 16, 16, QLatin1Char('0')).toUpper();
        t.flags[size_t(s)] = s % 2 ? QStringLiteral("1000000000000001") : QStringLiteral("0100000000000000");
    }
    return t;
}
} // namespace

class TestJobs : public QObject {
    Q_OBJECT
private slots:
    // The verified write ends with the slots the device holds otherwise: none
    // for a device that stores what it gets, the one it changed otherwise.
    void theVerifiedWriteNamesTheSlotsThatDiffer_data()
    {
        QTest::addColumn<int>("changedSlot");
        QTest::newRow("all agree") << 0;
        QTest::newRow("slot 300 changed") << 300;
    }
    void theVerifiedWriteNamesTheSlotsThatDiffer()
    {
        QFETCH(int, changedSlot);
        Fixture f;
        TavoMDevice &m = f.bus->addTavoM(7);
        WorkingSetWrite job(*f.link);
        std::optional<WorkingSetWrite::Result> result;
        int slotsShown = 0;
        job.onSlot = [&](int) { ++slotsShown; };
        job.onConfigured = [&](const std::optional<Reply> &) {
            if (changedSlot)
                m.setCode(changedSlot, 0xDEAD);
        };
        job.onEnd = [&](const WorkingSetWrite::Result &r) { result = r; };
        QVERIFY(job.start({7, 5, 510}, distinctSet(), true));
        QVERIFY(f.link->busy());
        QVERIFY(f.runUntil([&] { return bool(result); }, 200000));
        QVERIFY(!f.link->busy());
        QCOMPARE(result->end, Job::End::Done);
        QCOMPARE(result->flagsSent, SlotCount);
        QVERIFY(result->configured);
        QVERIFY(result->verifying);
        QCOMPARE(result->checked, SlotCount);
        QCOMPARE(slotsShown, SlotCount + 1);
        if (changedSlot) {
            QCOMPARE(result->differing.size(), 1);
            QCOMPARE(result->differing[0].slot, changedSlot);
            QCOMPARE(entryCodeText(result->differing[0].read), QStringLiteral("000000000000DEAD"));
        } else {
            QVERIFY(result->differing.isEmpty());
        }
    }

    // A second job is refused while the first holds the link, and nothing of
    // it goes on the line; a stopped write counts the slots it sent whole.
    void aSecondJobIsRefusedAndAStoppedWriteCountsItsSlots()
    {
        Fixture f;
        f.bus->addTavoM(255);
        WorkingSetWrite write(*f.link);
        NetworkScan scan(*f.link);
        std::optional<WorkingSetWrite::Result> result;
        write.onEnd = [&](const WorkingSetWrite::Result &r) { result = r; };
        write.onSlot = [&](int slot) {
            if (slot == 4)
                write.stop();
        };
        QVERIFY(write.start({255, 5, 510}, distinctSet(), false));
        const size_t writes = f.bus->writes().size();
        QVERIFY(!scan.start());
        QCOMPARE(f.bus->writes().size(), writes);
        QVERIFY(f.runUntil([&] { return bool(result); }, 20000));
        QCOMPARE(result->end, Job::End::Done);
        QCOMPARE(result->flagsSent, 3);
        QCOMPARE(result->codesSent, 3);
        QVERIFY(result->configured);
        QVERIFY(!result->verifying);
        QVERIFY(scan.start());
    }

    // The scan finds the devices with their versions and gives the link its
    // address back; a device that does not answer is no failure of the scan.
    void theScanFindsEveryDevice()
    {
        Fixture f;
        f.bus->addTavoM(3);
        f.bus->addTavoM(200);
        f.link->currentAddress = 42;
        NetworkScan job(*f.link);
        std::optional<NetworkScan::Result> result;
        int lastAsked = -1;
        job.onAsked = [&](int asked) { lastAsked = asked; };
        job.onEnd = [&](const NetworkScan::Result &r) { result = r; };
        QVERIFY(job.start());
        QVERIFY(f.runUntil([&] { return bool(result); }, 60000));
        QCOMPARE(lastAsked, 256);
        QCOMPARE(result->found.size(), 2);
        QCOMPARE(result->found[0].asked, 3);
        QCOMPARE(result->found[1].config.address, 200);
        QVERIFY(result->found[1].version.has_value());
        QCOMPARE(int(f.link->currentAddress), 42);
    }

    // The reading takes the range's events block by block, on around the
    // ring's end, and ends with how many it read.
    void theReadingTakesTheRangeAroundTheRing()
    {
        Fixture f;
        TavoBDevice &b = f.bus->addTavoB(1);
        b.setRange(tavob::RingSize - 39, tavob::RingSize - 40);
        for (int i = 0; i < 80; ++i)
            b.record(quint64(0x1000 + i), 1);
        f.link->currentAddress = 1;
        EventRange range(*f.link);
        std::optional<EventRangeValue> got;
        range.onRange = [&](const std::optional<EventRangeValue> &r) { got = r; };
        QVERIFY(range.refresh());
        QVERIFY(f.runUntil([&] { return got.has_value(); }, 1000));
        QCOMPARE(got->first, tavob::RingSize - 39);
        QCOMPARE(got->last, 40);
        QVERIFY(!rangeProblem(*got));

        EventReading reading(*f.link);
        QList<QStringList> rows;
        std::optional<EventReading::Result> result;
        reading.onRows = [&](const QList<QStringList> &r) { rows += r; };
        reading.onEnd = [&](const EventReading::Result &r) { result = r; };
        QVERIFY(reading.start(got->first, 80, got->last, true));
        QVERIFY(f.runUntil([&] { return bool(result); }, 60000));
        QCOMPARE(result->end, Job::End::Done);
        QCOMPARE(result->read, 80);
        QCOMPARE(rows.size(), 80);
        QCOMPARE(rows.first()[tavob::ColEvent], QString::number(tavob::RingSize - 39));
        QCOMPARE(rows.last()[tavob::ColEvent], QStringLiteral("40"));
        QVERIFY(!f.link->busy());
    }
};

QTEST_GUILESS_MAIN(TestJobs)
#include "test_jobs.moc"
