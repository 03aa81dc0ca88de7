// The last presented codes end to end: the menu item selects the device and
// shows TForm17; "&Načti" sends 143, Timer1 lists the codes 200 ms later (and
// reads again while announced frames are still on the line), and a list of at
// least one code is released with 142, on the simulated bus at 9600 baud.
#include "tests/support/program_fixture.h"
#include "devices/code_memory/tform17.h"
#include "devices/code_memory/tform18.h"

#include <QPushButton>

namespace {
// A reader that announces its whole list but sends only the first `sent` code frames.
class ShortReplyDevice : public TavoMDevice {
public:
    ShortReplyDevice(quint8 address, int sent) : TavoMDevice(address), sent_(sent) {}
    std::vector<QByteArray> serve(const SimRequest &request) override
    {
        std::vector<QByteArray> frames = TavoMDevice::serve(request);
        if (request.command == 143 && int(frames.size()) > 1 + sent_)
            frames.resize(size_t(1 + sent_));
        return frames;
    }

private:
    int sent_;
};

QString hex16(quint64 code) { return QString::number(code, 16).toUpper().rightJustified(16, QLatin1Char('0')); }

QList<quint64> codes(int n)
{
    QList<quint64> out;
    for (int i = 1; i <= n; ++i)
        out << (0x01A2B3C4D5E60000ull | quint64(i));
    return out;
}
} // namespace

class TestLastCodes : public QObject, ProgramFixture {
    Q_OBJECT
private slots:
    void initTestCase() { setUpFonts(); }  // the windows' font, for the widths
    void init()
    {
        setUp();
        start();
    }
    void cleanup() { tearDown(); }

    void theListIsShownAndReleased_data()
    {
        QTest::addColumn<QList<quint64>>("list");
        QTest::newRow("none") << QList<quint64>{};
        QTest::newRow("three") << codes(3);
        QTest::newRow("small bytes first") << QList<quint64>{0x0000001234ABCDEFull};
        QTest::newRow("escaped bytes") << QList<quint64>{0x7B7C7D0000000001ull, 0xFFFFFFFFFFFFFF7Dull};
        QTest::newRow("twenty, longer than 200 ms on the line") << codes(20);
    }
    void theListIsShownAndReleased()
    {
        QFETCH(QList<quint64>, list);
        TavoMDevice &m = bus->addTavoM(255);
        m.setLastCodes(list);
        openWindow();
        QVERIFY(form17()->isVisible());
        QVERIFY(!form17()->isModal());
        QVERIFY(bus->requests().empty());  // nothing is read before "&Načti"
        load();
        QStringList expected;
        for (quint64 c : list)
            expected << hex16(c);
        QCOMPARE(rows(), expected);
        QVERIFY(op.shown.isEmpty());
        QCOMPARE(commands(), (list.isEmpty() ? QList<int>{143} : QList<int>{143, 142}));
        QCOMPARE(requests(143)[0].data, QByteArray());
        QCOMPARE(int(bus->requests()[0].request.address), 255);
        QCOMPARE(m.lastCodes().isEmpty(), true);  // released, or empty from the start
    }

    void theReplyIsReadTwoHundredMsAfterTheRequest()
    {
        bus->addTavoM(255).setLastCodes(codes(3));
        openWindow();
        form17()->Button1->click();
        vc.advanceMs(199);
        QCOMPARE(form17()->StringGrid1->rowCountAll(), 1);
        vc.advanceMs(1);
        QCOMPARE(rows().size(), 3);
        QCOMPARE(form17()->StringGrid1->cell(0, 3), QStringLiteral("3"));
    }

    // Twenty codes are some 270 bytes: the frames still on the line at the
    // 200 ms read are read in short steps, and the list is released as soon as
    // the last frame is in, not after the whole allowance.
    void aLongListIsReadAgainUntilItsLastFrameIsIn()
    {
        TavoMDevice &m = bus->addTavoM(255);
        m.setLastCodes(codes(20));
        openWindow();
        const qint64 t0 = vc.nowMs();
        form17()->Button1->click();
        vc.advanceMs(200);
        QVERIFY(bus->bytesInFlight() > 0);
        QVERIFY(requests(142).isEmpty());
        QVERIFY(runUntil([this] { return !requests(142).isEmpty(); }, 200));
        QVERIFY(vc.nowMs() - t0 <= 320);
        QCOMPARE(rows().size(), 20);
        QVERIFY(!rows().contains(QStringLiteral("CHYBA")));
    }

    void missingFramesShowChyba_data()
    {
        QTest::addColumn<int>("sent");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("3 announced, 1 sent") << 1 << QStringList{hex16(codes(1)[0]), "CHYBA", "CHYBA"};
        QTest::newRow("3 announced, 2 sent") << 2 << QStringList{hex16(codes(2)[0]), hex16(codes(2)[1]), "CHYBA"};
        QTest::newRow("3 announced, none sent") << 0 << QStringList{"CHYBA", "CHYBA", "CHYBA"};
    }
    void missingFramesShowChyba()
    {
        QFETCH(int, sent);
        QFETCH(QStringList, expected);
        auto &m = static_cast<TavoMDevice &>(bus->add(std::make_unique<ShortReplyDevice>(255, sent)));
        m.setLastCodes(codes(3));
        openWindow();
        load();
        QCOMPARE(rows(), expected);
        QCOMPARE(commands(), (QList<int>{143, 142}));
        QVERIFY(op.shown.isEmpty());
    }

    // A dropped middle frame: the decoder goes on where it stopped, so the
    // frame after it fills the row and the last row has nothing left.
    void aDroppedFrameShiftsTheRowsAfterIt()
    {
        TavoMDevice &m = bus->addTavoM(255);
        m.setLastCodes(codes(3));
        m.faults().dropFrame = 2;
        openWindow();
        load();
        QCOMPARE(rows(), (QStringList{hex16(codes(3)[0]), hex16(codes(3)[2]), "CHYBA"}));
    }

    void aDeviceThatDoesNotAnswerIsReported_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("no device") << "none";
        QTest::newRow("silent") << "no reply";
        QTest::newRow("another address") << "other address";
        QTest::newRow("broken check byte") << "bad check";
        QTest::newRow("later than 200 ms") << "late";
    }
    void aDeviceThatDoesNotAnswerIsReported()
    {
        QFETCH(QString, fault);
        if (fault != QLatin1String("none")) {
            SimFaults &f = bus->addTavoM(255).faults();
            f.noReply = fault == QLatin1String("no reply");
            f.otherAddress = fault == QLatin1String("other address") ? 254 : -1;
            f.badCheck = fault == QLatin1String("bad check");
            f.delayMs = fault == QLatin1String("late") ? 250 : 0;
            bus->device<TavoMDevice>(255)->setLastCodes(codes(3));
        }
        openWindow();
        load();
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(op.shown[0].text, QStringLiteral("Zařízení neodpovídá."));
        QCOMPARE(op.shown[0].flags, 48);
        QCOMPARE(form17()->StringGrid1->rowCountAll(), 1);
        QCOMPARE(commands(), QList<int>{143});
    }

    // Each "&Načti" cuts the grid back to its headings; the window keeps its
    // rows when it is closed and shown again, and asks the device selected anew.
    void theGridBetweenReadsAndShowings()
    {
        TavoMDevice &m = bus->addTavoM(255);
        TavoMDevice &other = bus->addTavoM(9);
        m.setLastCodes(codes(3));
        other.setLastCodes({0x0000001234ABCDEFull});
        openWindow();
        load();
        form17()->close();
        Table &t = devices();
        t.edit();
        t.setFieldText(3, QStringLiteral("9"));
        t.post();
        openWindow();
        QCOMPARE(rows().size(), 3);
        load();
        QCOMPARE(rows(), QStringList{QStringLiteral("0000001234ABCDEF")});
        QCOMPARE(int(bus->requests()[0].request.address), 9);
        load();  // released: the list is empty now
        QCOMPARE(rows(), QStringList());
        QCOMPARE(form17()->StringGrid1->cell(0, 0), QStringLiteral("Pořadí"));
        QCOMPARE(form17()->StringGrid1->cell(1, 0), QStringLiteral("Kód"));
    }

    // The read holds the link from 143 until its last read has run: another
    // device operation meanwhile is refused and changes nothing; once the list
    // is in, it goes.
    void otherOperationsWaitForTheRead_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("Načti again") << "load";
        QTest::newRow("Test") << "test";
        QTest::newRow("menu Test relé") << "relay menu";
        QTest::newRow("menu Načíst naposledy přiložené kódy") << "codes menu";
    }
    void otherOperationsWaitForTheRead()
    {
        QFETCH(QString, action);
        TavoMDevice &m = bus->addTavoM(255);
        m.setLastCodes(codes(20));
        openWindow();
        form18()->hide();
        Table &t = devices();  // a device selection would make 9 the current address
        t.edit();
        t.setFieldText(3, QStringLiteral("9"));
        t.post();
        form17()->Button1->click();
        for (int at : {100, 120, 40}) {  // before the 200 ms read, and while reading again
            vc.advanceMs(at);
            act(action);
            QCOMPARE(op.lastText(), QStringLiteral("Probíhá jiná operace se zařízením. Počkejte, až skončí."));
        }
        QCOMPARE(op.shown.size(), 3);
        QCOMPARE(op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(op.shown[0].flags, 48);
        QCOMPARE(commands(), QList<int>{143});
        QVERIFY(!form18()->isVisible());
        QCOMPARE(form1()->link.currentAddress, qint16(255));
        vc.advanceMs(500);
        QCOMPARE(rows().size(), 20);
        QVERIFY(!rows().contains(QStringLiteral("CHYBA")));
        QCOMPARE(commands(), (QList<int>{143, 142}));

        act(action);
        vc.advanceMs(1000);
        QCOMPARE(op.shown.size(), 3);
        QCOMPARE(commands().size(), action == QLatin1String("load") || action == QLatin1String("test") ? 3 : 2);
        QCOMPARE(form18()->isVisible(), action == QLatin1String("relay menu"));
    }

    void aPortThatCannotBeOpenedShowsNoWindow()
    {
        bus->close();
        bus->setOpenFails(true);
        trigger("VystnaposledypiloenKdyzezazen1");
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("TAVO"));
        QVERIFY(!form17()->isVisible());
        QVERIFY(bus->requests().empty());
    }

    // Both columns show their texts whole: a 16-digit code fits its column.
    void theCodeColumnHoldsSixteenDigits()
    {
        TForm17 *f = form17();
        QCOMPARE(f->windowTitle(), QStringLiteral("Naposledy přiložené kódy"));
        QCOMPARE(f->Button1->text(), QStringLiteral("&Načti"));
        const QFontMetrics fm(f->StringGrid1->font());
        QVERIFY(fm.horizontalAdvance(QStringLiteral("DDDDDDDDDDDDDDDD")) + 8 <= f->StringGrid1->columnWidth(1));
        QVERIFY(fm.horizontalAdvance(QStringLiteral("Pořadí")) + 8 <= f->StringGrid1->columnWidth(0));
        QVERIFY(f->rect().contains(f->childrenRect()));
    }

private:
    TForm17 *form17() const { return program->window<TForm17>(); }
    TForm18 *form18() const { return program->window<TForm18>(); }

    void act(const QString &action)
    {
        if (action == QLatin1String("load"))
            form17()->Button1->click();
        else if (action == QLatin1String("test"))
            form18()->Button1->click();
        else
            trigger(action == QLatin1String("relay menu") ? "Testrel1" : "VystnaposledypiloenKdyzezazen1");
    }

    void openWindow()
    {
        trigger("VystnaposledypiloenKdyzezazen1");
        bus->clearLog();
    }
    // "&Načti", and time for the reply, the reads after it and the release.
    void load()
    {
        bus->clearLog();
        form17()->Button1->click();
        vc.advanceMs(1000);
    }
    // The code column of the rows under the headings.
    QStringList rows() const
    {
        QStringList out;
        const TextGrid &g = *form17()->StringGrid1;
        for (int r = 1; r < g.rowCountAll(); ++r) {
            if (g.cell(0, r) != QString::number(r))
                return {QStringLiteral("row %1 numbered %2").arg(r).arg(g.cell(0, r))};
            out << g.cell(1, r);
        }
        return out;
    }
};

QTEST_MAIN(TestLastCodes)
#include "test_last_codes.moc"
