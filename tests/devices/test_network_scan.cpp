// The network scan end to end: every address asked on the simulated bus, the
// devices found in TForm4, and the device list appended to or replaced.
#include "tests/support/program_fixture.h"
#include "ui/db_grid.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

using namespace sim;

namespace {
constexpr int ReadEntry146 = 146, ReadVersion144 = 144;

QStringList row(const TextGrid &g, int r)
{
    QStringList out;
    for (int c = 0; c < g.colCount(); ++c)
        out << g.cell(c, r);
    return out;
}

} // namespace

class TestNetworkScan : public QObject {
    Q_OBJECT
    ProgramFixture f;

    // The device list's row makes 7 the current address.
    void selectAddress7()
    {
        Table &t = f.devices();
        t.first();
        t.edit();
        t.setFieldText(3, QStringLiteral("7"));
        t.post();
        f.trigger("Vybratzazenzeseznamu1");
        QCOMPARE(f.form1()->link.currentAddress, qint16(7));
    }
    // Fields ZA1 .. ZA5 of every device-list row, sorted.
    QList<QStringList> deviceRows()
    {
        Table &t = f.devices();
        QList<QStringList> rows;
        for (int p = 0; p < t.recordCount(); ++p) {
            QStringList r;
            for (int i = 1; i <= 5; ++i)
                r << t.textAt(p, i);
            rows << r;
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void scan()
    {
        f.trigger("Detekcest1");
        QVERIFY(f.form2()->isVisible());
        QVERIFY(f.form4()->isVisible());
        QVERIFY(f.runUntil([&] { return !f.form2()->isVisible(); }, 30000));
    }
    // Devices at 3 (relay time 9, 100 codes, version 4) and 255 (no answer to
    // the version read); the one at 5 answers from 6 and counts as absent.
    void twoDevices()
    {
        TavoMDevice &a = f.bus->addTavoM(3);
        a.setConfiguration(3, 9, 100);
        a.setVersion(4);
        TavoMDevice &b = f.bus->addTavoM(255);
        b.faults().onlyCommand = ReadVersion144;
        b.faults().noReply = true;
        f.bus->addTavoM(5).faults().otherAddress = 6;
    }

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    void anEmptyBus()
    {
        f.start();
        selectAddress7();
        f.bus->clearLog();
        scan();
        f.vc.advanceMs(100);
        const QList<SimRequest> asked = f.requests(ReadEntry146);
        QCOMPARE(asked.size(), 256);
        for (int a = 0; a < 256; ++a) {
            QCOMPARE(int(asked[a].address), a);
            QCOMPARE(asked[a].data, QByteArray::fromHex("00000000A0"));
        }
        QCOMPARE(f.commands().size(), 256);
        QCOMPARE(f.form2()->windowTitle(), QStringLiteral("Detekce sítě"));
        QCOMPARE(f.form2()->Label1->text(), QStringLiteral("Dotázáno 256 zařízení z 256"));
        QCOMPARE(f.form2()->ProgressBar1->value(), 512);
        QCOMPARE(f.form2()->Label3->text(), QString());
        QCOMPARE(f.form1()->link.currentAddress, qint16(7));
        const TextGrid &g = *f.form4()->StringGrid1;
        QCOMPARE(g.rowCountAll(), 1);
        QCOMPARE(row(g, 0), (QStringList{"Pořadí", "Síťová adresa", "Čas relé", "Počet kódů", "SW verze"}));
        QVERIFY(f.form4()->isVisible());

        f.form4()->Button1->click();  // an empty table makes an empty device list
        QCOMPARE(f.op.shown.last().title, QStringLiteral("Dotaz"));
        QCOMPARE(f.op.shown.last().flags, 36);
        QCOMPARE(f.devices().recordCount(), 0);
    }

    void devicesFoundAreListed()
    {
        twoDevices();
        f.start();
        selectAddress7();
        f.bus->clearLog();
        scan();
        f.vc.advanceMs(100);
        QCOMPARE(f.form1()->codeMemory.detectedCount, 2);
        const TextGrid &g = *f.form4()->StringGrid1;
        QCOMPARE(g.rowCountAll(), 3);
        QCOMPARE(row(g, 1), (QStringList{"1", "3", "9", "100", "4"}));
        QCOMPARE(row(g, 2), (QStringList{"2", "255", "5", "510", ""}));
        const QList<SimRequest> versions = f.requests(ReadVersion144);
        QCOMPARE(versions.size(), 2);
        QCOMPARE(int(versions[0].address), 3);
        QCOMPARE(int(versions[1].address), 255);
        QCOMPARE(f.requests(ReadEntry146).size(), 256);
        QCOMPARE(f.form1()->link.currentAddress, qint16(7));
    }

    void appendTwice()
    {
        twoDevices();
        f.start();
        scan();
        TextGrid &g = *f.form4()->StringGrid1;
        g.setCell(2, 1, QStringLiteral("12"));  // corrected by the operator
        f.form4()->Button2->click();
        f.form4()->Button2->click();
        QCOMPARE(deviceRows(), (QList<QStringList>{{"", "", "255", "5", "510"},
                                                    {"", "", "255", "5", "510"},
                                                    {"", "", "3", "12", "100"},
                                                    {"", "", "3", "12", "100"},
                                                    {"Nepojmenováno", "arch1", "255", "5", "510"}}));
        QVERIFY(!f.form1()->DBGrid3->isHidden());
        QVERIFY(f.form4()->isVisible());
        QVERIFY(f.op.shown.isEmpty());
    }

    void replaceAsksFirst()
    {
        twoDevices();
        f.start();
        scan();
        f.op.answers = {IDNO};
        f.form4()->Button1->click();
        QCOMPARE(f.op.lastText(), QStringLiteral("Opravdu si přejete vymazat seznam zařízení a importovat nový?"));
        Table &t = f.devices();
        QCOMPARE(t.recordCount(), 1);
        f.op.answers = {IDYES};
        f.form4()->Button1->click();
        QCOMPARE(deviceRows(), (QList<QStringList>{{"", "", "255", "5", "510"}, {"", "", "3", "9", "100"}}));
        QVERIFY(t.active());
        QVERIFY(!t.exclusive());
        QCOMPARE(f.form1()->windowTitle(), QStringLiteral("TAVO   databáze DEMO"));
    }

    // The exchange with the address being asked is completed first.
    void stornoEndsTheScanAtTheNextAddress_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Storno") << false;
        QTest::newRow("close box") << true;
    }
    void stornoEndsTheScanAtTheNextAddress()
    {
        QFETCH(bool, closeBox);
        twoDevices();
        f.start();
        selectAddress7();
        f.bus->clearLog();
        f.trigger("Detekcest1");
        QVERIFY(f.runUntil([&] { return f.requests(ReadEntry146).size() == 4; }, 5000));  // address 3 asked
        if (closeBox)
            f.form2()->close();
        else
            f.form2()->Button1->click();
        f.vc.advanceMs(1000);
        QCOMPARE(f.requests(ReadEntry146).size(), 4);
        QCOMPARE(f.requests(ReadVersion144).size(), 1);
        QCOMPARE(f.form2()->Label1->text(), QStringLiteral("Dotázáno 4 zařízení z 256"));
        QCOMPARE(row(*f.form4()->StringGrid1, 1), (QStringList{"1", "3", "9", "100", "4"}));
        QCOMPARE(f.form1()->link.currentAddress, qint16(7));
        QVERIFY(!f.form2()->Timer3.enabled());
    }
};

QTEST_MAIN(TestNetworkScan)
#include "test_network_scan.moc"
