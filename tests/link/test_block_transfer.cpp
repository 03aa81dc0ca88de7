// The block transfer on a simulated bus: the sequence on the line, the blocks
// of both reader families by memory selector, the entries and their accepted
// halves, Storno, a silent device and a port that goes away.
#include "core/error.h"
#include "link/block_transfer.h"
#include "link/link.h"
#include "sim/sim_bus.h"

#include <QtTest>

using namespace sim;

namespace {
QStringList reported;
void noteError(const QString &message) { reported << message; }

// Bytes 0..511 of a block that differ from entry to entry, escapes on the line included.
QByteArray pattern(int seed)
{
    QByteArray b(BlockBytes, '\0');
    for (int i = 0; i < BlockBytes; ++i)
        b[i] = char(quint8(i * 7 + seed));
    return b;
}

QByteArray entryBytes(const BlockTransfer::Entry &e)
{
    return QByteArray(reinterpret_cast<const char *>(e.bytes.data()), EntryBytes);
}

struct Fixture {
    VirtualClock vc;
    SimBus *bus;
    std::unique_ptr<Link> link;
    const int owner = 0;  // the operation the transfer sends for
    std::unique_ptr<BlockTransfer> transfer;
    QList<BlockTransfer::Block> blocks;
    QList<BlockTransfer::Result> results;
    QList<BlockTransfer::Place> next;  // what onBlock names, in turn; none once used up

    explicit Fixture(int blockWaitMs = BlockTransfer::BlockWaitMs)
    {
        setTheClock(&vc);
        bus = new SimBus;
        link = std::make_unique<Link>(std::unique_ptr<SerialPort>(bus));
        link->openPort();
        link->hold(&owner, [] { return true; });
        transfer = std::make_unique<BlockTransfer>(*link, &owner, blockWaitMs);
        transfer->onBlock = [this](const BlockTransfer::Block &b) -> std::optional<BlockTransfer::Place> {
            blocks << b;
            if (next.isEmpty())
                return std::nullopt;
            return next.takeFirst();
        };
        transfer->onEnd = [this](BlockTransfer::Result r) { results << r; };
        reported.clear();
        setErrorReporter(&noteError);
    }
    ~Fixture()
    {
        transfer.reset();
        link.reset();
        setErrorReporter(nullptr);
        setTheClock(nullptr);
    }
    QList<int> commands() const
    {
        QList<int> out;
        for (const SimBus::Request &r : bus->requests())
            out << r.request.command;
        return out;
    }
    // Until the transfer has ended and its last request has reached the device.
    void runToEnd()
    {
        QVERIFY(vc.advanceUntil([this] { return !results.isEmpty(); }, 60000, 5));
        vc.advanceMs(100);
    }
};
} // namespace

Q_DECLARE_METATYPE(BlockTransfer::Result)

class TestBlockTransfer : public QObject {
    Q_OBJECT
private slots:
    // One block from the memory the selector names, of either reader family.
    void readsTheBlockTheSelectorNames_data()
    {
        QTest::addColumn<bool>("tavoB");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("selector");
        QTest::addColumn<QByteArray>("request");  // Q0..Q4 of the read block
        QTest::newRow("TAVO-M code memory") << false << 512 << 160 << QByteArray::fromHex("00000200A0");
        QTest::newRow("TAVO-B card") << true << 0x03D09000 << 85 << QByteArray::fromHex("03D0900055");
        QTest::newRow("TAVO-B event buffer") << true << 16 << 164 << QByteArray::fromHex("00000010A4");
    }
    void readsTheBlockTheSelectorNames()
    {
        QFETCH(bool, tavoB);
        QFETCH(int, address);
        QFETCH(int, selector);
        QFETCH(QByteArray, request);
        Fixture f;
        QByteArray expected;
        if (tavoB) {
            TavoBDevice &b = f.bus->addTavoB(3);
            b.writeCard(quint32(address), pattern(5));
            for (int k = 1; k <= 20; ++k)
                b.record(0x1122334455667700ull + quint64(k), k);
            expected = selector == Selector::Card ? b.readCard(quint32(address), BlockBytes)
                                                  : b.eventBuffer().mid(address, BlockBytes);
            f.link->currentAddress = 3;
        } else {
            TavoMDevice &m = f.bus->addTavoM(255);
            m.memory() = pattern(9) + pattern(9);
            m.memory().resize(TavoMDevice::MemorySize);
            m.setConfiguration(255, 5, 510);
            expected = m.memory().mid(address, BlockBytes);
        }
        f.transfer->readBlocks({quint32(address), quint8(selector)});
        QVERIFY(f.transfer->running());
        f.runToEnd();
        QCOMPARE(f.commands(), (QList<int>{Command::TransferStart, Command::ReadBlock, Command::TransferEnd}));
        QCOMPARE(f.bus->requests()[1].request.data.toHex(), request.toHex());
        QCOMPARE(f.results, QList<BlockTransfer::Result>{BlockTransfer::Result::Done});
        QCOMPARE(f.blocks.size(), 1);
        for (int e = 0; e < BlockEntries; ++e) {
            const BlockTransfer::Entry &entry = f.blocks[0][size_t(e)];
            QVERIFY(entry.firstAccepted && entry.secondAccepted);
            QCOMPARE(entryBytes(entry).toHex(), expected.mid(e * EntryBytes, EntryBytes).toHex());
        }
        QVERIFY(!f.transfer->running());
    }

    // The caller names each next block; Storno lets the block under way finish.
    void blocksFollowUntilTheCallerOrStornoEndsThem_data()
    {
        QTest::addColumn<int>("stopAfterBlocks");  // -1: no Storno
        QTest::addColumn<int>("blocks");
        QTest::addColumn<BlockTransfer::Result>("result");
        QTest::newRow("three blocks") << -1 << 3 << BlockTransfer::Result::Done;
        QTest::newRow("Storno during the second block") << 1 << 2 << BlockTransfer::Result::Stopped;
    }
    void blocksFollowUntilTheCallerOrStornoEndsThem()
    {
        QFETCH(int, stopAfterBlocks);
        QFETCH(int, blocks);
        QFETCH(BlockTransfer::Result, result);
        Fixture f;
        TavoMDevice &m = f.bus->addTavoM(255);
        m.setCode(33, 0x0102030405060708ull);
        f.next = {{512, Selector::CodeMemory}, {1024, Selector::CodeMemory}};
        f.transfer->readBlocks({0, Selector::CodeMemory});
        if (stopAfterBlocks >= 0) {
            QVERIFY(f.vc.advanceUntil([&] { return f.blocks.size() == stopAfterBlocks && f.transfer->blockTimer.enabled(); },
                                      10000, 5));
            f.transfer->stop();
        }
        f.runToEnd();
        QCOMPARE(f.blocks.size(), blocks);
        QCOMPARE(f.results, QList<BlockTransfer::Result>{result});
        QList<int> expected;
        for (int b = 0; b < blocks; ++b)
            expected << Command::TransferStart << Command::ReadBlock;
        QCOMPARE(f.commands(), expected << Command::TransferEnd);
        // The device's answer to the transfer end came before the end was
        // reported and was dropped: nothing is left for the next request.
        QVERIFY(!f.transfer->running());
        QCOMPARE(f.bus->bytesInFlight(), 0);
        QCOMPARE(f.link->poll(BlockTransfer::PollBytes), 0);
        QCOMPARE(entryBytes(f.blocks[1][1]).left(8).toHex(), QByteArray("0102030405060708"));
        QCOMPARE(f.transfer->stopRequested(), stopAfterBlocks >= 0);
    }

    // Each half is judged by itself: a shorter wait leaves the later frames of
    // the block on the line, and their entries come back rejected.
    void theWaitDecidesWhatIsRead()
    {
        Fixture f(300);
        f.bus->addTavoM(255);
        f.transfer->readBlocks({0, Selector::CodeMemory});
        f.runToEnd();
        const BlockTransfer::Block &b = f.blocks[0];
        QVERIFY(b[0].firstAccepted && b[0].secondAccepted);
        QVERIFY(!b[31].firstAccepted && !b[31].secondAccepted);
        int accepted = 0;
        for (const BlockTransfer::Entry &e : b)
            accepted += e.firstAccepted + e.secondAccepted;
        // 300 ms at 9600 baud carry about 280 bytes: some 21 frames of 13 bytes, not 64.
        QVERIFY2(accepted > 10 && accepted < 32, qPrintable(QString::number(accepted)));
    }

    // The 21st poll without an answer gives up; no transfer end is sent.
    void aSilentDeviceIsNoAnswer_data()
    {
        QTest::addColumn<bool>("openOnly");
        QTest::newRow("read") << false;
        QTest::newRow("open only") << true;
    }
    void aSilentDeviceIsNoAnswer()
    {
        QFETCH(bool, openOnly);
        Fixture f;
        f.bus->addTavoM(255).faults().noReply = true;
        bool opened = false;
        f.transfer->onOpened = [&] { opened = true; };
        if (openOnly)
            f.transfer->openOnly();
        else
            f.transfer->readBlocks({0, Selector::CodeMemory});
        f.vc.advanceMs(2050);
        QVERIFY(f.results.isEmpty());
        QCOMPARE(f.transfer->polls(), 20);
        f.vc.advanceMs(100);
        QCOMPARE(f.results, QList<BlockTransfer::Result>{BlockTransfer::Result::NoAnswer});
        QCOMPARE(f.transfer->polls(), 21);
        f.vc.advanceMs(5000);
        QCOMPARE(f.commands(), QList<int>{Command::TransferStart});
        QVERIFY(!opened);
        QVERIFY(!f.transfer->running());
    }

    void openOnlyStopsWhenTheDeviceIsReady()
    {
        Fixture f;
        f.bus->addTavoM(255);
        int opened = 0;
        f.transfer->onOpened = [&] { ++opened; };
        f.transfer->openOnly();
        f.vc.advanceMs(5000);
        QCOMPARE(opened, 1);
        QCOMPARE(f.commands(), QList<int>{Command::TransferStart});
        QVERIFY(f.results.isEmpty());
        QVERIFY(!f.transfer->running());
    }

    // The caller hears of the error first (to close its window), then the
    // tick's guard reports it.
    void aLostPortEndsTheTransfer_data()
    {
        QTest::addColumn<int>("lostAtMs");
        QTest::newRow("while polling") << 50;
        QTest::newRow("while the block comes") << 500;
    }
    void aLostPortEndsTheTransfer()
    {
        QFETCH(int, lostAtMs);
        Fixture f;
        f.bus->addTavoM(255);
        f.transfer->onEnd = [&](BlockTransfer::Result r) {
            f.results << r;
            QVERIFY(reported.isEmpty());
        };
        f.transfer->readBlocks({0, Selector::CodeMemory});
        f.vc.advanceMs(lostAtMs);
        f.bus->close();
        f.vc.advanceMs(3000);
        QCOMPARE(f.results, QList<BlockTransfer::Result>{BlockTransfer::Result::PortError});
        QCOMPARE(reported, QStringList{"ReadFile function failed (win error code: 6)"});
        QVERIFY(!f.transfer->running());
    }
};

QTEST_GUILESS_MAIN(TestBlockTransfer)
#include "test_block_transfer.moc"
