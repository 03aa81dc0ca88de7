// The working-set transfer end to end: the menu item on a logged-in program,
// a simulated TAVO-M on the line, the virtual clock advanced; then the bytes
// the device got, the grid, the windows and the messages.
#include "tests/support/program_fixture.h"
#include "devices/code_memory/tform18.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <utility>

using namespace sim;

namespace {
constexpr int Write145 = 145, Flags147 = 147, Entry148 = 148, Block149 = 149;

qint64 lineUs(qint64 bytes) { return (bytes * 10 * 1000000 + 9599) / 9600; }

QString hex16(quint64 code) { return QStringLiteral("%1").arg(code, 16, 16, QLatin1Char('0')).toUpper(); }

QString flagText16(quint16 flags)
{
    QString t;
    for (int k = 0; k < 16; ++k)
        t += flags >> k & 1 ? QLatin1Char('1') : QLatin1Char('0');
    return t;
}

// Every slot of the working set holds texts a read must replace.
void fillOld(TextTable &g)
{
    for (int r = 1; r <= 510; ++r) {
        g.setCell(1, r, QStringLiteral("old"));
        g.setCell(2, r, QStringLiteral("old"));
        g.setCell(3, r, QStringLiteral("Novák"));
    }
}

// Slot e holds code e x 0x0101 and flags e: every slot differs from the others.
void fillDevice(TavoMDevice &m)
{
    for (int e = 1; e <= 511; ++e) {
        m.setCode(e, quint64(e) * 0x0101 + 0x1000000000000000ull);
        m.setFlags(e, quint16(e));
    }
}

// Slot e holds a code and flags of its own, none of them what the device holds.
template <class WorkingSet> QStringList fillDistinct(WorkingSet &g)
{
    QStringList texts;
    for (int r = 1; r <= 510; ++r) {
        g.setCell(1, r, QStringLiteral("C0DE%1").arg(r, 12, 16, QLatin1Char('0')).toUpper());
        g.setCell(2, r, flagText16(quint16(r * 3)));
        texts << g.cell(1, r) + g.cell(2, r);
    }
    return texts;
}

template <class WorkingSet> QStringList slotTexts(const WorkingSet &g)
{
    QStringList texts;
    for (int r = 1; r <= 510; ++r)
        texts << g.cell(1, r) + g.cell(2, r);
    return texts;
}

// Every cell of the working set, headings and labels included.
QStringList gridCells(const TextTable &g)
{
    QStringList cells;
    for (int r = 0; r <= 510; ++r)
        for (int c = 0; c < 4; ++c)
            cells << g.cell(c, r);
    return cells;
}

// Slot s holds the working set's slot s as the device stores it.
bool holdsWritten(const TavoMDevice &m, int s, const QStringList &written)
{
    return hex16(m.code(s)) + flagText16(m.flags(s)) == written[s - 1];
}

// The operator does something while a message box is open, as in the real
// program, where the box is modal but the timers run on. Restores the
// fixture's operator when it goes.
class ActingOperator : public Operator {
public:
    ActingOperator(ScriptedOperator &script, QString text, std::function<void()> act)
        : script_(script), text_(std::move(text)), act_(std::move(act))
    {
        setOperator(this);
    }
    ~ActingOperator() override { setOperator(&script_); }
    int messageBox(const QString &title, const QString &text, int flags) override
    {
        const int answer = script_.messageBox(title, text, flags);
        if (text == text_ && act_)
            std::exchange(act_, nullptr)();
        return answer;
    }
    QString openFileName(const FileDialogRequest &r) override { return script_.openFileName(r); }
    QString saveFileName(const FileDialogRequest &r) override { return script_.saveFileName(r); }
    bool printSetup(QPrinter &printer) override { return script_.printSetup(printer); }

private:
    ScriptedOperator &script_;
    QString text_;
    std::function<void()> act_;
};

enum Stop { ByButton, ByCloseBox, DeviceFallsSilent };
} // namespace

class TestTransfer : public QObject {
    Q_OBJECT
    ProgramFixture f;

    void stop(Stop how, TavoMDevice &m)
    {
        if (how == ByButton)
            f.form2()->Button1->click();
        else if (how == ByCloseBox)
            f.form2()->close();
        else
            m.faults().noReply = true;
    }
    bool transferRunning() { return f.form2()->isVisible(); }
    Link &link() { return f.form1()->link; }
    void verifyRefused()
    {
        QCOMPARE(f.op.shown.size(), 1);
        QCOMPARE(f.op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(f.op.shown[0].text, QStringLiteral("Probíhá jiná operace se zařízením. Počkejte, až skončí."));
        QCOMPARE(f.op.shown[0].flags, 48);
    }

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    void theWriteSendsEverySlotPaced()
    {
        TavoMDevice &m = f.bus->addTavoM(255);
        m.setCode(1, ~0ull);
        m.setFlags(1, 0xFFFF);
        f.start();
        struct Slot {
            int slot;
            const char *code, *flags;
            quint64 stored;
            quint16 storedFlags;
        };
        const Slot cases[] = {
            {1, "", "1", 0, 0x0001},
            {2, "12AB", "0000000000000001", 0x12AB000000000000ull, 0x8000},
            {3, "fedcba9876543210FF", "11111111000000001", 0xFEDCBA9876543210ull, 0x00FF},
            {510, "0123456789abcdef", "0A00000000000000", 0x0123456789ABCDEFull, 0x0002},
        };
        for (const Slot &s : cases) {
            f.grid().setCell(1, s.slot, QString::fromLatin1(s.code));
            f.grid().setCell(2, s.slot, QString::fromLatin1(s.flags));
        }
        f.trigger("ZapisTabulkyDoPameti1");
        QVERIFY(transferRunning());
        QCOMPARE(f.form2()->windowTitle(), QStringLiteral("Zápis sestavy do zařízení"));
        QCOMPARE(f.form2()->Label3->text(), QStringLiteral("Probíhá zápis pracovní sestavy do zařízení Nepojmenováno"));
        QCOMPARE(f.form2()->Label2->text(), QStringLiteral("Síťová adresa 255  Čas relé 5  Počet kódů 510"));
        // The replies are not read, and do not pile up in the port's input either.
        QVERIFY(f.runUntil([&] { return f.requests(Entry148).size() == 300; }, 30000));
        char pending[8192];
        QVERIFY(f.bus->read(pending, sizeof pending) <= 13);
        QVERIFY(f.runUntil([&] { return !f.requests(Write145).isEmpty(); }, 60000));
        QVERIFY(!transferRunning());

        // 140, then code and flags of slots 1 .. 510 in turn, then 145; entry 0 untouched.
        const QList<int> commands = f.commands();
        QCOMPARE(commands.size(), 1 + 1020 + 1);
        QCOMPARE(commands.first(), 140);
        const QList<SimRequest> codes = f.requests(Entry148), flags = f.requests(Flags147);
        QCOMPARE(codes.size(), 510);
        QCOMPARE(flags.size(), 510);
        for (int slot = 1; slot <= 510; ++slot) {
            QCOMPARE(commands[2 * slot - 1], Entry148);
            QCOMPARE(addressAt(codes[slot - 1].data, 8), slot * 16);
            QCOMPARE(quint8(codes[slot - 1].data[12]), quint8(160));
            QCOMPARE(addressAt(flags[slot - 1].data, 2), slot * 16 + 8);
            QCOMPARE(quint8(flags[slot - 1].data[6]), quint8(160));
        }
        for (const Slot &s : cases) {
            QCOMPARE(m.code(s.slot), s.stored);
            QCOMPARE(m.flags(s.slot), s.storedFlags);
        }
        QCOMPARE(codes[0].data.left(8), QByteArray(8, '\0'));
        QCOMPARE(codes[1].data.left(8), QByteArray::fromHex("12AB000000000000"));
        QCOMPARE(flags[0].data.left(2), QByteArray::fromHex("0100"));
        QCOMPARE(flags[1].data.left(2), QByteArray::fromHex("0080"));

        // Each request goes out 25 ms after the one before has left the line.
        const auto &writes = f.bus->writes();
        for (size_t i = 2; i < writes.size(); ++i)
            QCOMPARE(writes[i].atUs - writes[i - 1].atUs, lineUs(writes[i - 1].bytes.size()) + 25000);

        // The configuration is written again and the main window's Timer1 takes the reply.
        QCOMPARE(f.requests(Write145).last().data, QByteArray::fromHex("FF051FF0" "0000000000000000" "A0"));
        QCOMPARE(f.form1()->link.targetAddress, qint16(255));
        QVERIFY(f.form2()->writeJob.exchange.pending());
        f.vc.advanceMs(200);
        QVERIFY(!f.form2()->writeJob.exchange.pending());
        QVERIFY(f.form3()->isVisible());  // read mode: the echoed values as new ones
        QCOMPARE(f.form3()->Edit3->text(), QStringLiteral("510"));
    }

    void aSilentDeviceGetsNothingElse_data()
    {
        QTest::addColumn<QString>("menuItem");
        QTest::newRow("write") << "ZapisTabulkyDoPameti1";
        QTest::newRow("read") << "CteniTabulkyZpameti1";
        QTest::newRow("verified write") << "ZapisSOverenim1";
    }
    void aSilentDeviceGetsNothingElse()
    {
        QFETCH(QString, menuItem);
        f.bus->addTavoM(255).faults().noReply = true;
        f.start();
        fillOld(f.grid());
        f.trigger(menuItem.toLatin1().constData());
        f.vc.advanceMs(2050);
        QVERIFY(f.op.shown.isEmpty());
        f.vc.advanceMs(100);
        QCOMPARE(f.op.shown.size(), 1);
        QCOMPARE(f.op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(f.op.shown[0].text, QStringLiteral("Zařízení neodpovídá."));
        QCOMPARE(f.op.shown[0].flags, 48);
        QVERIFY(!transferRunning());
        f.vc.advanceMs(5000);
        QCOMPARE(f.commands(), QList<int>{140});
        QCOMPARE(f.grid().cell(1, 1), QStringLiteral("old"));
        QVERIFY(!f.form2()->writeJob.exchange.pending());
    }

    // The device goes away in the middle: the operation ends with the port's
    // error, and no modal progress window is left behind.
    void aLostPortEndsTheTransfer_data()
    {
        QTest::addColumn<QString>("menuItem");
        QTest::addColumn<QString>("error");
        QTest::newRow("write") << "ZapisTabulkyDoPameti1" << "PurgeComm function failed (win error code: 6)";
        QTest::newRow("read") << "CteniTabulkyZpameti1" << "ReadFile function failed (win error code: 6)";
    }
    void aLostPortEndsTheTransfer()
    {
        QFETCH(QString, menuItem);
        QFETCH(QString, error);
        f.bus->addTavoM(255);
        f.start();
        f.trigger(menuItem.toLatin1().constData());
        f.vc.advanceMs(300);
        QVERIFY(transferRunning());
        f.bus->close();
        f.vc.advanceMs(3000);
        QVERIFY(!f.form2()->isVisible());
        QVERIFY(!transferRunning());
        QCOMPARE(f.op.shown.size(), 1);
        QCOMPARE(f.op.shown[0].title, QStringLiteral("TAVO"));
        QCOMPARE(f.op.shown[0].text, error);
        QCOMPARE(f.op.shown[0].flags, 16);
    }

    void stopEndsTheWriteWithTheConfiguration_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Storno") << int(ByButton);
        QTest::newRow("close box") << int(ByCloseBox);
    }
    void stopEndsTheWriteWithTheConfiguration()
    {
        QFETCH(int, how);
        TavoMDevice &m = f.bus->addTavoM(255);
        f.start();
        f.trigger("ZapisTabulkyDoPameti1");
        QVERIFY(f.runUntil([&] { return f.requests(Entry148).size() == 5; }, 5000));
        const size_t before = f.bus->writes().size();
        stop(Stop(how), m);
        f.vc.advanceMs(1000);
        const auto &writes = f.bus->writes();
        QCOMPARE(writes.size(), before + 1);
        QCOMPARE(quint8(writes.back().bytes[2]), quint8(Write145));
        QCOMPARE(f.requests(Write145).size(), 1);
        QVERIFY(!transferRunning());
        QVERIFY(!f.form2()->pacingPending());
    }

    void aFullReadReplacesTheWorkingSet()
    {
        TavoMDevice &m = f.bus->addTavoM(255);
        fillDevice(m);
        m.setCode(2, 0);
        m.setFlags(2, 0);
        m.setCode(3, 0x7B7C7D0000000000ull);  // escaped on the line
        f.start();
        fillOld(f.grid());
        f.trigger("CteniTabulkyZpameti1");
        QCOMPARE(f.form2()->windowTitle(), QStringLiteral("Čtení sestavy ze zařízení"));
        QCOMPARE(f.form2()->Label3->text(), QStringLiteral("Probíhá načtení pracovní sestavy ze zařízení Nepojmenováno"));
        QCOMPARE(f.form2()->Label2->text(), QStringLiteral("Síťová adresa 255"));
        QVERIFY(f.runUntil([&] { return !transferRunning(); }, 40000));
        f.vc.advanceMs(100);

        QCOMPARE(f.form2()->Label1->text(), QStringLiteral("Přečteno 512 Kódů z 510"));
        QCOMPARE(f.form2()->Label2->text(), QStringLiteral("Síťová adresa 255  Čas relé 5  Počet kódů 510"));
        QList<int> expected;
        for (int b = 0; b < 16; ++b)
            expected << 140 << Block149;
        QCOMPARE(f.commands(), expected << 141);
        const QList<SimRequest> blocks = f.requests(Block149);
        for (int b = 0; b < 16; ++b) {
            QCOMPARE(addressAt(blocks[b].data, 0), b * 32 * 16);
            QCOMPARE(quint8(blocks[b].data[4]), quint8(160));
        }
        for (int e = 1; e <= 510; ++e) {
            QCOMPARE(f.grid().cell(1, e), hex16(m.code(e)));
            QCOMPARE(f.grid().cell(2, e), flagText16(m.flags(e)));
            QCOMPARE(f.grid().cell(3, e), QString());
        }
        QCOMPARE(f.grid().cell(1, 2), QStringLiteral("0000000000000000"));
        QCOMPARE(f.grid().cell(1, 3), QStringLiteral("7B7C7D0000000000"));
        QCOMPARE(f.grid().cell(1, 0), QStringLiteral("Kód"));
        QCOMPARE(f.grid().cell(0, 1), QStringLiteral("master"));
        QCOMPARE(f.grid().cell(0, 510), QStringLiteral("510"));
        QVERIFY(!m.transferOpen());
        QVERIFY(!f.form3()->isVisible());  // the device agrees with the device list
        QVERIFY(f.op.shown.isEmpty());
    }

    void aReadFindsANewConfiguration()
    {
        f.bus->addTavoM(255).setConfiguration(255, 9, 100);
        f.start();
        f.trigger("CteniTabulkyZpameti1");
        QVERIFY(f.runUntil([&] { return !transferRunning(); }, 40000));
        f.vc.advanceMs(100);
        TForm3 *t = f.form3();
        QVERIFY(t->isVisible());
        QCOMPARE(t->Label4->text(), QStringLiteral("Při čtení ze zařízení Nepojmenováno byly zjištěny nové hodnoty."));
        const QStringList shown{t->Edit1->text(), t->Edit2->text(), t->Edit3->text(),
                                t->Edit4->text(), t->Edit5->text(), t->Edit6->text()};
        QCOMPARE(shown, (QStringList{"255", "9", "100", "255", "5", "510"}));
    }

    // Escaped codes make block 0 longer than the 1000 bytes one read takes:
    // entry 0 is 26 bytes on the line, entries 1 .. 28 are 34 bytes each, so
    // the code frame of entry 29 ends at byte 999 and its flags frame is cut
    // off. The entries past that show "CHYBA"; the next blocks are read as usual.
    void aBlockTooLongForOneReadShowsChyba()
    {
        TavoMDevice &m = f.bus->addTavoM(255);
        fillDevice(m);
        for (int e = 1; e <= 31; ++e) {
            m.setCode(e, 0x7B7B7B7B7B7B7B7Bull);
            m.setFlags(e, 0);
        }
        f.start();
        fillOld(f.grid());
        f.trigger("CteniTabulkyZpameti1");
        QVERIFY(f.runUntil([&] { return !transferRunning(); }, 40000));
        f.vc.advanceMs(100);
        QCOMPARE(f.grid().cell(1, 29), QStringLiteral("7B7B7B7B7B7B7B7B"));
        QCOMPARE(f.grid().cell(2, 29), QStringLiteral("CHYBA"));
        for (int e : {30, 31}) {
            QCOMPARE(f.grid().cell(1, e), QStringLiteral("CHYBA"));
            QCOMPARE(f.grid().cell(2, e), QStringLiteral("CHYBA"));
            QCOMPARE(f.grid().cell(3, e), QString());
        }
        for (int e : {28, 32, 33, 510}) {
            QCOMPARE(f.grid().cell(1, e), hex16(m.code(e)));
            QCOMPARE(f.grid().cell(2, e), flagText16(m.flags(e)));
        }
        QCOMPARE(f.form2()->Label1->text(), QStringLiteral("Přečteno 512 Kódů z 510"));
    }

    // A rejected frame leaves the bytes of the failed decoding in the frame
    // buffer; they are no configuration and nothing is compared.
    void aRejectedConfigurationIsNotCompared()
    {
        TavoMDevice &m = f.bus->addTavoM(255);
        m.setConfiguration(255, 9, 100);
        m.faults().onlyCommand = Block149;
        m.faults().badCheck = true;
        f.start();
        fillOld(f.grid());
        f.trigger("CteniTabulkyZpameti1");
        QVERIFY(f.runUntil([&] { return !transferRunning(); }, 40000));
        f.vc.advanceMs(100);
        QCOMPARE(f.grid().cell(1, 1), QStringLiteral("CHYBA"));
        QCOMPARE(f.grid().cell(2, 510), QStringLiteral("CHYBA"));
        QCOMPARE(f.commands().last(), 141);
        QVERIFY(!f.form3()->isVisible());
        QVERIFY(!f.form2()->deviceConfig);
        QCOMPARE(f.form2()->Label2->text(), QStringLiteral("Síťová adresa 255"));
    }

    void aStoppedReadKeepsTheRowsItDidNotReach_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<bool>("ended");  // transfer end sent, no message
        QTest::newRow("Storno") << int(ByButton) << true;
        QTest::newRow("close box") << int(ByCloseBox) << true;
        QTest::newRow("device falls silent") << int(DeviceFallsSilent) << false;
    }
    void aStoppedReadKeepsTheRowsItDidNotReach()
    {
        QFETCH(int, how);
        QFETCH(bool, ended);
        TavoMDevice &m = f.bus->addTavoM(255);
        fillDevice(m);
        f.start();
        fillOld(f.grid());
        f.trigger("CteniTabulkyZpameti1");
        QVERIFY(f.runUntil([&] { return f.requests(Block149).size() == 3; }, 10000));
        stop(Stop(how), m);  // while block 2 (entries 64 .. 95) is on its way
        QVERIFY(f.runUntil([&] { return !f.form2()->Timer1.enabled() && !f.form2()->Timer2.enabled(); }, 10000));
        f.vc.advanceMs(100);
        for (int e : {1, 63, 64, 95}) {
            QCOMPARE(f.grid().cell(1, e), hex16(m.code(e)));
            QCOMPARE(f.grid().cell(3, e), QString());
        }
        for (int e : {96, 97, 200, 510}) {
            QCOMPARE(f.grid().cell(1, e), QStringLiteral("old"));
            QCOMPARE(f.grid().cell(2, e), QStringLiteral("old"));
            QCOMPARE(f.grid().cell(3, e), QStringLiteral("Novák"));
        }
        QCOMPARE(f.requests(Block149).size(), 3);
        QCOMPARE(f.commands().last(), ended ? 141 : 140);
        QCOMPARE(f.op.shown.isEmpty(), ended);
        QVERIFY(!transferRunning());
    }

    // One device operation at a time. A read closed with the close box 300 ms
    // into the wait for its first block still holds the link until that
    // block's tick (1600 ms after the request) has run. "Zápis" started
    // meanwhile is refused and changes nothing; once the link is free it runs,
    // and no leftover tick of the read touches the working set it writes.
    void aWriteWaitsForTheClosedReadsLastTick_data()
    {
        QTest::addColumn<int>("gapMs");  // from the close box to "Zápis"
        QTest::addColumn<bool>("refused");
        QTest::newRow("50 ms") << 50 << true;
        QTest::newRow("800 ms") << 800 << true;
        QTest::newRow("1500 ms") << 1500 << false;
    }
    void aWriteWaitsForTheClosedReadsLastTick()
    {
        QFETCH(int, gapMs);
        QFETCH(bool, refused);
        TavoMDevice &m = f.bus->addTavoM(255);
        fillDevice(m);
        f.start();
        fillDistinct(f.grid());
        f.trigger("CteniTabulkyZpameti1");
        QVERIFY(f.runUntil([&] { return f.form2()->Timer1.enabled(); }, 1000));
        f.vc.advanceMs(300);
        f.form2()->close();
        f.vc.advanceMs(gapMs);

        const QStringList before = slotTexts(f.grid());
        const size_t writesBefore = f.bus->writes().size();
        QCOMPARE(link().busy(), refused);
        f.trigger("ZapisTabulkyDoPameti1");
        if (refused) {
            verifyRefused();
            QCOMPARE(f.bus->writes().size(), writesBefore);
            QVERIFY(!transferRunning());
            QCOMPARE(f.form2()->windowTitle(), QStringLiteral("Čtení sestavy ze zařízení"));
            QCOMPARE(slotTexts(f.grid()), before);
            QCOMPARE(link().holder(), static_cast<const void *>(static_cast<const Job *>(&f.form2()->readJob)));
            // The read's last tick takes its block and ends it; then the write may start.
            QVERIFY(f.runUntil([&] { return !link().busy(); }, 2000));
            QCOMPARE(quint8(f.bus->writes().back().bytes[2]), quint8(141));
            QCOMPARE(f.grid().cell(1, 31), hex16(m.code(31)));
            f.op.shown.clear();
            f.trigger("ZapisTabulkyDoPameti1");
        }
        QVERIFY(f.op.shown.isEmpty());
        QVERIFY(transferRunning());
        const QStringList written = slotTexts(f.grid());
        f.bus->clearLog();
        QVERIFY(f.runUntil([&] { return !link().busy(); }, 60000));
        f.vc.advanceMs(100);

        QCOMPARE(slotTexts(f.grid()), written);
        const QList<SimRequest> codes = f.requests(Entry148), flags = f.requests(Flags147);
        QCOMPARE(codes.size(), 510);
        QCOMPARE(flags.size(), 510);
        for (int slot = 1; slot <= 510; ++slot) {
            QCOMPARE(addressAt(codes[slot - 1].data, 8), slot * 16);
            QCOMPARE(addressAt(flags[slot - 1].data, 2), slot * 16 + 8);
            QCOMPARE(hex16(m.code(slot)) + flagText16(m.flags(slot)), written[slot - 1]);
        }
        QCOMPARE(f.requests(Write145).size(), 1);
        QCOMPARE(f.requests(Block149).size(), 0);
    }

    // An operation started while another holds the link is refused: nothing
    // is sent, no window changes, and the one running goes on to its end.
    void anotherOperationIsRefused_data()
    {
        QTest::addColumn<QString>("running");
        QTest::addColumn<int>("command");  // the running one has sent this many of this command
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("started");
        QTest::addColumn<int>("requests");  // all the running one sends
        QTest::newRow("configuration read during the write")
            << "ZapisTabulkyDoPameti1" << Entry148 << 5 << "Konfigurovatzazen1" << 1 + 1020 + 1;
        QTest::newRow("configuration read while the written configuration's reply is due")
            << "ZapisTabulkyDoPameti1" << Write145 << 1 << "Konfigurovatzazen1" << 1 + 1020 + 1;
        QTest::newRow("scan during the write") << "ZapisTabulkyDoPameti1" << Entry148 << 5 << "Detekcest1"
                                               << 1 + 1020 + 1;
        QTest::newRow("configuration read during the read")
            << "CteniTabulkyZpameti1" << Block149 << 2 << "Konfigurovatzazen1" << 16 * 2 + 1;
        QTest::newRow("scan during the read") << "CteniTabulkyZpameti1" << Block149 << 2 << "Detekcest1" << 16 * 2 + 1;
        QTest::newRow("read during the scan") << "Detekcest1" << 146 << 10 << "CteniTabulkyZpameti1" << 256 + 1;
        QTest::newRow("scan while a configuration read's reply is due")
            << "Konfigurovatzazen1" << 146 << 1 << "Detekcest1" << 1;
        QTest::newRow("configuration read again while its reply is due")
            << "Konfigurovatzazen1" << 146 << 1 << "Konfigurovatzazen1" << 1;
    }
    void anotherOperationIsRefused()
    {
        QFETCH(QString, running);
        QFETCH(int, command);
        QFETCH(int, count);
        QFETCH(QString, started);
        QFETCH(int, requests);
        f.bus->addTavoM(255);
        f.start();
        f.trigger(running.toLatin1().constData());
        QVERIFY(f.runUntil([&] { return f.requests(command).size() == count; }, 60000));
        const size_t writesBefore = f.bus->writes().size();
        const QString title = f.form2()->windowTitle();
        const bool progressShown = transferRunning(), devicesShown = f.form4()->isVisible();
        const qint16 address = link().currentAddress;
        f.trigger(started.toLatin1().constData());
        verifyRefused();
        QCOMPARE(f.bus->writes().size(), writesBefore);
        QCOMPARE(f.form2()->windowTitle(), title);
        QCOMPARE(transferRunning(), progressShown);
        QCOMPARE(f.form4()->isVisible(), devicesShown);
        QCOMPARE(link().currentAddress, address);

        QVERIFY(f.runUntil([&] { return !link().busy(); }, 60000));
        f.vc.advanceMs(200);
        QCOMPARE(f.commands().size(), requests);
        QCOMPARE(f.op.shown.size(), 1);
    }

    // "Zápis s ověřením" sits right after the plain write, its letter its own in the menu.
    void theVerifiedWriteFollowsTheWriteInTheMenu()
    {
        f.start();
        QAction *verified = f.form1()->menuItem(QStringLiteral("ZapisSOverenim1"));
        QVERIFY(verified);
        QCOMPARE(verified->text(), QStringLiteral("Zápis s &ověřením"));
        QVERIFY(verified->isEnabled());
        QMenu *menu = f.form1()->findChild<QMenu *>(QStringLiteral("Pkaz1"));
        QVERIFY(menu);
        const QList<QAction *> items = menu->actions();
        const qsizetype at = items.indexOf(f.form1()->menuItem(QStringLiteral("ZapisTabulkyDoPameti1")));
        QVERIFY(at >= 0 && at + 1 < items.size());
        QCOMPARE(items[at + 1], verified);
        QSet<QChar> letters;
        for (QAction *a : items) {
            const qsizetype amp = a->text().indexOf(QLatin1Char('&'));
            QVERIFY2(amp >= 0 && amp + 1 < a->text().size(), qPrintable(a->text()));
            const QChar letter = a->text()[amp + 1].toLower();
            QVERIFY2(!letters.contains(letter), qPrintable(a->text()));
            letters << letter;
        }
    }

    // The verified write sends what the plain one sends, then reads the code
    // memory back into a buffer of its own and names the slots that differ;
    // the device is changed once the write has reached it, before the read-back.
    void aVerifiedWriteNamesTheSlotsThatDiffer_data()
    {
        QTest::addColumn<QList<int>>("codeChanged");
        QTest::addColumn<QList<int>>("flagsChanged");
        QTest::addColumn<bool>("blocksRejected");  // every frame of the read-back fails its check
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        const QString prefix = QStringLiteral("Ověření zápisu do zařízení Nepojmenováno: ");
        QTest::newRow("all slots agree")
            << QList<int>{} << QList<int>{} << false << "Potvrzení"
            << "Zápis do zařízení Nepojmenováno ověřen: všech 510 slotů souhlasí." << 64;
        QTest::newRow("one code differs") << QList<int>{45} << QList<int>{} << false << "Upozornění"
                                          << prefix + "liší se 1 slot: 045." << 48;
        QTest::newRow("flags of the master slot and the last one differ")
            << QList<int>{} << QList<int>{1, 510} << false << "Upozornění"
            << prefix + "liší se 2 sloty: master, 510." << 48;
        QTest::newRow("codes and flags of five slots")
            << QList<int>{12, 300, 301} << QList<int>{45, 300, 509} << false << "Upozornění"
            << prefix + "liší se 5 slotů: 012, 045, 300, 301, 509." << 48;
        QTest::newRow("rejected frames")
            << QList<int>{} << QList<int>{} << true << "Upozornění"
            << prefix
                   + "liší se 510 slotů: master, 002, 003, 004, 005, 006, 007, 008, 009, 010, 011, 012, 013, 014, "
                     "015, 016, 017, 018, 019, 020 …"
            << 48;
    }
    void aVerifiedWriteNamesTheSlotsThatDiffer()
    {
        QFETCH(QList<int>, codeChanged);
        QFETCH(QList<int>, flagsChanged);
        QFETCH(bool, blocksRejected);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(int, flags);
        TavoMDevice &m = f.bus->addTavoM(255);
        fillDevice(m);
        f.start();
        const QStringList written = fillDistinct(f.grid());
        for (int r = 1; r <= 510; ++r)
            f.grid().setCell(3, r, QStringLiteral("Novák"));
        const QStringList cells = gridCells(f.grid());
        f.trigger("ZapisSOverenim1");
        QVERIFY(transferRunning());
        QCOMPARE(f.form2()->windowTitle(), QStringLiteral("Zápis sestavy do zařízení"));
        QVERIFY(f.runUntil([&] { return !f.requests(Write145).isEmpty(); }, 60000));
        QCOMPARE(link().holder(), static_cast<const void *>(static_cast<const Job *>(&f.form2()->writeJob)));
        for (int s = 1; s <= 510; ++s)
            QVERIFY(holdsWritten(m, s, written));
        for (int s : codeChanged)
            m.setCode(s, m.code(s) ^ 0x10);
        for (int s : flagsChanged)
            m.setFlags(s, m.flags(s) ^ 0x8000);
        if (blocksRejected) {
            m.faults().onlyCommand = Block149;
            m.faults().badCheck = true;
        }

        QVERIFY(f.runUntil([&] { return f.requests(Block149).size() == 1; }, 1000));
        QVERIFY(transferRunning());
        QCOMPARE(f.form2()->windowTitle(), QStringLiteral("Ověření zápisu do zařízení"));
        QCOMPARE(f.form2()->Label3->text(), QStringLiteral("Ověřování zápisu do zařízení Nepojmenováno"));
        QVERIFY(f.runUntil([&] { return !link().busy(); }, 40000));
        QVERIFY(!transferRunning());
        QCOMPARE(f.form2()->Label1->text(), QStringLiteral("Ověřeno 512 Kódů z 510"));

        // 140, the 1020 requests of the write, 145, the read's 16 blocks, 141.
        const QList<int> commands = f.commands();
        QCOMPARE(commands.size(), 1 + 1020 + 1 + 16 * 2 + 1);
        QCOMPARE(commands.mid(0, 1), QList<int>{140});
        QCOMPARE(commands[1021], Write145);
        QList<int> readBack;
        for (int b = 0; b < 16; ++b)
            readBack << 140 << Block149;
        QCOMPARE(commands.mid(1022), readBack << 141);
        const QList<SimRequest> blocks = f.requests(Block149);
        for (int b = 0; b < 16; ++b)
            QCOMPARE(addressAt(blocks[b].data, 0), b * 32 * 16);

        QCOMPARE(gridCells(f.grid()), cells);
        QVERIFY(f.form3()->isVisible());  // the configuration reply, as after the plain write
        QCOMPARE(f.op.shown.size(), 1);
        QCOMPARE(f.op.shown[0].title, title);
        QCOMPARE(f.op.shown[0].text, text);
        QCOMPARE(f.op.shown[0].flags, flags);
    }

    // From the write's first request to the read-back's transfer end no other
    // operation gets the link: not while the configuration's reply is due,
    // not while the main window's Timer1 shows its message, not during the read-back.
    void theVerifiedWriteKeepsTheLinkToTheEnd_data()
    {
        QTest::addColumn<int>("command");  // when the verified write has sent this many of this command
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("started");
        QTest::newRow("configuration read while the configuration's reply is due")
            << Write145 << 1 << "Konfigurovatzazen1";
        QTest::newRow("configuration read during the read-back") << Block149 << 2 << "Konfigurovatzazen1";
        QTest::newRow("scan during the read-back") << Block149 << 5 << "Detekcest1";
        QTest::newRow("read during the read-back") << Block149 << 9 << "CteniTabulkyZpameti1";
        QTest::newRow("write during the read-back") << Block149 << 16 << "ZapisTabulkyDoPameti1";
        QTest::newRow("verified write during the read-back") << Block149 << 1 << "ZapisSOverenim1";
        QTest::newRow("relay test during the read-back") << Block149 << 3 << "Testrel1";
    }
    void theVerifiedWriteKeepsTheLinkToTheEnd()
    {
        QFETCH(int, command);
        QFETCH(int, count);
        QFETCH(QString, started);
        f.bus->addTavoM(255);
        f.start();
        const QStringList written = fillDistinct(f.grid());
        f.trigger("ZapisSOverenim1");
        QVERIFY(f.runUntil([&] { return f.requests(command).size() == count; }, 100000));
        const size_t writesBefore = f.bus->writes().size();
        const bool progressShown = transferRunning();
        f.trigger(started.toLatin1().constData());
        verifyRefused();
        QCOMPARE(f.bus->writes().size(), writesBefore);
        QCOMPARE(transferRunning(), progressShown);
        QCOMPARE(f.form2()->windowTitle(),
                 command == Write145 ? QStringLiteral("Zápis sestavy do zařízení")
                                     : QStringLiteral("Ověření zápisu do zařízení"));
        QVERIFY(!f.program->window<TForm18>()->isVisible());

        QVERIFY(f.runUntil([&] { return !link().busy(); }, 60000));
        f.vc.advanceMs(200);
        QCOMPARE(f.commands().size(), 1 + 1020 + 1 + 16 * 2 + 1);
        QCOMPARE(f.op.shown.size(), 2);
        QCOMPARE(f.op.shown[1].text,
                 QStringLiteral("Zápis do zařízení Nepojmenováno ověřen: všech 510 slotů souhlasí."));
        QCOMPARE(slotTexts(f.grid()), written);
    }

    // After a configuration write the main window's Timer1 answers the
    // configuration with a message; while it is open the link stays the
    // verified write's.
    void noOperationSlipsInWhileTheConfigurationIsReported()
    {
        f.bus->addTavoM(255);
        f.start();
        f.form1()->codeMemory.configMode = CodeMemory::ConfigMode::Write;
        size_t writesAtBox = 0;
        ActingOperator acting(f.op, QStringLiteral("Konfigurace Nepojmenováno byla úspěšně změněna."), [&] {
            writesAtBox = f.bus->writes().size();
            f.trigger("Konfigurovatzazen1");
            QCOMPARE(f.bus->writes().size(), writesAtBox);
        });
        f.trigger("ZapisSOverenim1");
        QVERIFY(f.runUntil([&] { return !link().busy(); }, 100000));
        QVERIFY(writesAtBox > 0);
        const QStringList texts{f.op.shown.value(0).text, f.op.shown.value(1).text, f.op.shown.value(2).text};
        QCOMPARE(texts, (QStringList{"Konfigurace Nepojmenováno byla úspěšně změněna.",
                                     "Probíhá jiná operace se zařízením. Počkejte, až skončí.",
                                     "Zápis do zařízení Nepojmenováno ověřen: všech 510 slotů souhlasí."}));
        QCOMPARE(f.requests(146).size(), 0);
        QCOMPARE(f.requests(Block149).size(), 16);
    }

    // A device that stops answering once the write is in gets no verification.
    void aDeviceSilentAfterTheWriteIsNotVerified()
    {
        TavoMDevice &m = f.bus->addTavoM(255);
        f.start();
        const QStringList written = fillDistinct(f.grid());
        f.trigger("ZapisSOverenim1");
        QVERIFY(f.runUntil([&] { return !f.requests(Write145).isEmpty(); }, 60000));
        m.faults().noReply = true;
        QVERIFY(f.runUntil([&] { return !link().busy(); }, 5000));
        QCOMPARE(f.op.shown.size(), 1);
        QCOMPARE(f.op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(f.op.shown[0].text, QStringLiteral("Zařízení neodpovídá."));
        QCOMPARE(f.op.shown[0].flags, 48);
        QCOMPARE(f.commands().mid(1021), (QList<int>{Write145, 140}));
        QVERIFY(!transferRunning());
        QCOMPARE(slotTexts(f.grid()), written);
    }

    // "Storno" or the close box during the read-back: the block under way is
    // read, the transfer ends, and the message says how far it got.
    void aStoppedReadBackSaysItIsNotFinished_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<int>("changed");  // a slot the device holds otherwise, 0: none
        QTest::addColumn<QString>("text");
        const QString prefix =
            QStringLiteral("Ověření zápisu do zařízení Nepojmenováno nebylo dokončeno, ověřeno bylo ");
        QTest::newRow("Storno") << int(ByButton) << 0 << prefix + "95 slotů z 510.";
        QTest::newRow("close box") << int(ByCloseBox) << 0 << prefix + "95 slotů z 510.";
        QTest::newRow("Storno after a difference")
            << int(ByButton) << 70 << prefix + "95 slotů z 510; liší se 1 slot: 070.";
        QTest::newRow("Storno before a difference") << int(ByButton) << 96 << prefix + "95 slotů z 510.";
    }
    void aStoppedReadBackSaysItIsNotFinished()
    {
        QFETCH(int, how);
        QFETCH(int, changed);
        QFETCH(QString, text);
        TavoMDevice &m = f.bus->addTavoM(255);
        f.start();
        const QStringList written = fillDistinct(f.grid());
        f.trigger("ZapisSOverenim1");
        QVERIFY(f.runUntil([&] { return !f.requests(Write145).isEmpty(); }, 60000));
        if (changed)
            m.setCode(changed, 0);
        QVERIFY(f.runUntil([&] { return f.requests(Block149).size() == 3; }, 10000));
        stop(Stop(how), m);  // while block 2 (entries 64 .. 95) is on its way
        QVERIFY(f.op.shown.isEmpty());
        QVERIFY(f.runUntil([&] { return !link().busy(); }, 5000));
        QCOMPARE(f.requests(Block149).size(), 3);
        QCOMPARE(f.commands().last(), 141);
        QVERIFY(!transferRunning());
        QCOMPARE(f.op.shown.size(), 1);
        QCOMPARE(f.op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(f.op.shown[0].text, text);
        QCOMPARE(f.op.shown[0].flags, 48);
        QCOMPARE(slotTexts(f.grid()), written);
    }

    // A stopped write tells how many slots the device now holds whole from
    // the new set, once the write has ended: after the configuration's reply.
    void aStoppedWriteTellsWhatTheDeviceHolds_data()
    {
        QTest::addColumn<QString>("menuItem");
        QTest::addColumn<int>("how");
        QTest::addColumn<int>("codes");  // stopped once this many codes
        QTest::addColumn<int>("flags");  // and this many flags have reached the device
        QTest::addColumn<QString>("text");
        const QString prefix =
            QStringLiteral("Zápis do zařízení Nepojmenováno byl přerušen. Zařízení nyní obsahuje z nové sady ");
        const QString rest = QStringLiteral("; ostatní sloty zůstaly beze změny.");
        QTest::newRow("Storno after 5 slots")
            << "ZapisTabulkyDoPameti1" << int(ByButton) << 5 << 5 << prefix + "5 slotů z 510 (sloty 1 až 5)" + rest;
        QTest::newRow("close box after 5 slots")
            << "ZapisTabulkyDoPameti1" << int(ByCloseBox) << 5 << 5 << prefix + "5 slotů z 510 (sloty 1 až 5)" + rest;
        QTest::newRow("Storno between code and flags of slot 8")
            << "ZapisTabulkyDoPameti1" << int(ByButton) << 8 << 7
            << prefix + "7 slotů z 510 (sloty 1 až 7); u slotu 8 byl zapsán jen kód, bez příznaků" + rest;
        QTest::newRow("Storno after 1 slot")
            << "ZapisTabulkyDoPameti1" << int(ByButton) << 1 << 1 << prefix + "1 slot z 510 (slot 1)" + rest;
        QTest::newRow("Storno after 3 slots, verified write")
            << "ZapisSOverenim1" << int(ByButton) << 3 << 3 << prefix + "3 sloty z 510 (sloty 1 až 3)" + rest;
        QTest::newRow("Storno before the first slot")
            << "ZapisSOverenim1" << int(ByButton) << 0 << 0 << prefix + "0 slotů z 510" + rest;
    }
    void aStoppedWriteTellsWhatTheDeviceHolds()
    {
        QFETCH(QString, menuItem);
        QFETCH(int, how);
        QFETCH(int, codes);
        QFETCH(int, flags);
        QFETCH(QString, text);
        TavoMDevice &m = f.bus->addTavoM(255);
        fillDevice(m);
        f.start();
        const QStringList written = fillDistinct(f.grid());
        f.trigger(menuItem.toLatin1().constData());
        QVERIFY(f.runUntil([&] { return f.requests(Entry148).size() == codes && f.requests(Flags147).size() == flags; },
                           5000));
        stop(Stop(how), m);
        QVERIFY(f.runUntil([&] { return !f.requests(Write145).isEmpty(); }, 1000));
        QVERIFY(f.op.shown.isEmpty());  // not while the write is still ending
        QVERIFY(f.runUntil([&] { return !link().busy(); }, 1000));
        QVERIFY(!transferRunning());
        QCOMPARE(f.requests(Block149).size(), 0);

        // What the device holds: slots 1 .. n whole, maybe a code alone, the rest as before.
        int whole = 0;
        while (whole < 510 && holdsWritten(m, whole + 1, written))
            ++whole;
        QCOMPARE(whole, flags);
        for (int s = whole + 1; s <= 510; ++s) {
            const bool codeOnly = s == whole + 1 && codes > flags;
            QCOMPARE(hex16(m.code(s)) == written[s - 1].left(16), codeOnly);
            QCOMPARE(m.flags(s), quint16(s));
        }
        QCOMPARE(f.op.shown.size(), 1);
        QCOMPARE(f.op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(f.op.shown[0].text, text);
        QCOMPARE(f.op.shown[0].flags, 48);
        QVERIFY(f.op.shown[0].text.contains(QStringLiteral(" ") + QString::number(whole) + QStringLiteral(" slot")));
    }
};

QTEST_MAIN(TestTransfer)
#include "test_transfer.moc"
