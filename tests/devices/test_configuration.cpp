// Device configuration end to end: the menu item reads entry 0 of the device
// into TForm3, its buttons write it back with command 145, and Timer1 judges
// the device's answer from its new address, on the simulated bus.
#include "tests/support/program_fixture.h"
#include "app/program.h"
#include "app/tform1.h"
#include "devices/code_memory/tform3.h"
#include "records/tform7.h"
#include "records/user_settings.h"
#include "sim/sim_bus.h"
#include "tests/support/scripted_operator.h"
#include "tests/support/test_files.h"
#include "core/clock.h"
#include "core/cp1250.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

using namespace sim;

namespace {
// A reader that stores a configuration write but echoes a relay time one higher.
class WrongEchoDevice : public TavoMDevice {
public:
    using TavoMDevice::TavoMDevice;
    std::vector<QByteArray> serve(const SimRequest &request) override
    {
        std::vector<QByteArray> frames = TavoMDevice::serve(request);
        if (request.command == 145 && !frames.empty())
            frames[0][1] = char(quint8(frames[0][1]) + 1);
        return frames;
    }
};
} // namespace

class TestConfiguration : public QObject, ProgramFixture {
    Q_OBJECT
private slots:
    void init()
    {
        setUp();
        start();
        setDeviceRow(0, {"Vrátnice", "arch1", "255", "5", "510"});
        op.shown.clear();
    }
    void cleanup() { tearDown(); }

    void readShowsTheDeviceValuesBesideTheList_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("relay");
        QTest::addColumn<int>("count");
        QTest::newRow("factory") << 255 << 5 << 510;
        QTest::newRow("small") << 7 << 0 << 0;
        QTest::newRow("escaped bytes in the reply") << 123 << 125 << 511;
    }
    void readShowsTheDeviceValuesBesideTheList()
    {
        QFETCH(int, address);
        QFETCH(int, relay);
        QFETCH(int, count);
        bus->addTavoM(quint8(address)).setConfiguration(quint8(address), quint8(relay), count);
        setDeviceRow(0, {"Vrátnice", "arch1", QString::number(address), "12", "100"});
        QVERIFY(form1()->speedButton(9)->isEnabled());

        readConfiguration();
        QCOMPARE(bus->requests().size(), size_t(1));
        const SimRequest &r = bus->requests().back().request;
        QCOMPARE(int(r.address), address);
        QCOMPARE(int(r.command), 146);
        QCOMPARE(r.data, QByteArray::fromHex("00000000A0"));
        QVERIFY(form3()->isVisible());
        QVERIFY(!form3()->isModal());
        QCOMPARE(form3()->Label4->text(), QStringLiteral("Chystáte se konfigurovat zařízení Vrátnice"));
        QCOMPARE(edits(1), (QStringList{QString::number(address), QString::number(relay), QString::number(count)}));
        QCOMPARE(edits(4), (QStringList{QString::number(address), "12", "100"}));
        QVERIFY(op.shown.isEmpty());
    }

    void theFrameOfTheRead()
    {
        TavoMDevice &m = bus->addTavoM(255);
        QCOMPARE(m.entry(0).mid(2, 2), QByteArray::fromHex("1FF0"));
        readConfiguration();
        // Body FF 92 00 00 00 00 A0, check FF ^ 92 ^ A0 = CD.
        QCOMPARE(bus->writtenBytes(), QByteArray::fromHex("7BFF9200000000A0CD7D"));
        QCOMPARE(form3()->Edit3->text(), QStringLiteral("510"));
    }

    void aMissingReplyKeepsTheDeviceColumn_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("no reply") << "no reply";
        QTest::newRow("broken check byte") << "bad check";
        QTest::newRow("from another address") << "other address";
        QTest::newRow("too late") << "late";
    }
    void aMissingReplyKeepsTheDeviceColumn()
    {
        QFETCH(QString, fault);
        TavoMDevice &m = bus->addTavoM(255);
        m.faults().noReply = true;
        readConfiguration();
        QVERIFY(form3()->isVisible());
        QCOMPARE(edits(1), (QStringList{"", "", ""}));
        QCOMPARE(edits(4), (QStringList{"255", "5", "510"}));

        form3()->Button3->click();
        QVERIFY(!form3()->isVisible());
        m.faults().noReply = false;
        m.setConfiguration(255, 9, 200);
        readConfiguration();
        QCOMPARE(edits(1), (QStringList{"255", "9", "200"}));
        form3()->close();  // the close box only hides

        m.setConfiguration(255, 20, 300);
        setFault(m.faults(), fault);
        setDeviceRow(0, {"Vrátnice", "arch1", "255", "6", "400"});
        readConfiguration();
        QVERIFY(form3()->isVisible());
        QCOMPARE(edits(1), (QStringList{"255", "9", "200"}));
        QCOMPARE(edits(4), (QStringList{"255", "6", "400"}));
        QVERIFY(op.shown.isEmpty());
    }

    void writeSendsTheConfigurationAndStoresTheConfirmedValues_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QByteArray>("q");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("510 codes") << QStringList{"7", "12", "510"} << QByteArray::fromHex("070C1FF0")
                                   << QStringList{"7", "12", "510"};
        QTest::newRow("511 codes") << QStringList{"7", "12", "511"} << QByteArray::fromHex("070C2000")
                                   << QStringList{"7", "12", "511"};
        QTest::newRow("no codes") << QStringList{"0", "0", "0"} << QByteArray::fromHex("00000010")
                                  << QStringList{"0", "0", "0"};
        QTest::newRow("15 codes") << QStringList{"7", "255", "15"} << QByteArray::fromHex("07FF0100")
                                  << QStringList{"7", "255", "15"};
        QTest::newRow("out of range") << QStringList{"300", "256", "512"} << QByteArray::fromHex("FF051FF0")
                                      << QStringList{"255", "5", "510"};
        QTest::newRow("negative") << QStringList{"-1", "-1", "-1"} << QByteArray::fromHex("FF051FF0")
                                  << QStringList{"255", "5", "510"};
        QTest::newRow("escaped address") << QStringList{"125", "124", "100"} << QByteArray::fromHex("7D7C0650")
                                         << QStringList{"125", "124", "100"};
    }
    void writeSendsTheConfigurationAndStoresTheConfirmedValues()
    {
        QFETCH(QStringList, texts);
        QFETCH(QByteArray, q);
        QFETCH(QStringList, stored);
        TavoMDevice &m = bus->addTavoM(255);
        readConfiguration();
        setEdits(1, texts);
        bus->clearLog();
        form3()->Button1->click();
        QVERIFY(!form3()->isVisible());
        vc.advanceMs(100);
        QCOMPARE(bus->requests().size(), size_t(1));
        const SimRequest &r = bus->requests().back().request;
        QCOMPARE(int(r.address), 255);
        QCOMPARE(int(r.command), 145);
        QCOMPARE(r.data, q + QByteArray(8, '\0') + QByteArray::fromHex("A0"));
        QCOMPARE(int(m.address()), stored[0].toInt());
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("Potvrzení"));
        QCOMPARE(op.shown[0].text, QStringLiteral("Konfigurace Vrátnice byla úspěšně změněna."));
        QCOMPARE(op.shown[0].flags, 64);
        QCOMPARE(deviceRow(0).mid(2), stored);
        QCOMPARE(form1()->link.currentAddress, qint16(stored[0].toInt()));
        Table &t = form1()->db.Table3;
        t.close();
        t.open();
        QCOMPARE(t.textAt(0, 5), stored[2]);
    }

    void theOldValuesButtonWritesTheListValues()
    {
        TavoMDevice &m = bus->addTavoM(9);
        m.setConfiguration(9, 1, 50);
        setDeviceRow(0, {"Vrátnice", "arch1", "9", "12", "100"});
        readConfiguration();
        QCOMPARE(edits(1), (QStringList{"9", "1", "50"}));
        form3()->Button2->click();
        vc.advanceMs(100);
        QCOMPARE(bus->requests().back().request.data.left(4), QByteArray::fromHex("090C0650"));
        QCOMPARE(op.lastText(), QStringLiteral("Konfigurace Vrátnice byla úspěšně změněna."));
        QCOMPARE(int(m.relayTime()), 12);
        QCOMPARE(m.codeCount(), 100);
    }

    void codeCount511IsStoredAndTheNextSelectionMakesIt510()
    {
        bus->addTavoM(255);
        readConfiguration();
        setEdits(1, {"255", "5", "511"});
        form3()->Button1->click();
        vc.advanceMs(100);
        QCOMPARE(deviceRow(0)[4], QStringLiteral("511"));
        form1()->menuItem(QStringLiteral("Vybratzazenzeseznamu1"))->trigger();
        QCOMPARE(deviceRow(0)[4], QStringLiteral("510"));
        QCOMPARE(form1()->link.codeCount, qint16(510));
    }

    void anUnconfirmedWriteLeavesTheList_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("answers from the old address") << "old address";
        QTest::newRow("echoes another relay time") << "wrong echo";
        QTest::newRow("no reply") << "no reply";
        QTest::newRow("broken check byte") << "bad check";
        QTest::newRow("too late") << "late";
    }
    void anUnconfirmedWriteLeavesTheList()
    {
        QFETCH(QString, fault);
        TavoMDevice &m = fault == QLatin1String("wrong echo")
                             ? static_cast<TavoMDevice &>(bus->add(std::make_unique<WrongEchoDevice>(255)))
                             : bus->addTavoM(255);
        readConfiguration();
        if (fault == QLatin1String("old address"))
            m.faults().otherAddress = 255;
        else
            setFault(m.faults(), fault);
        setEdits(1, {"7", "12", "100"});
        form3()->Button1->click();
        vc.advanceMs(100);
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(op.shown[0].text, QStringLiteral("Změna konfigurace Vrátnice nebyla úspěšná. Proveďte detekci sítě "
                                                  "nebo opakujte konfiguraci."));
        QCOMPARE(op.shown[0].flags, 48);
        QCOMPARE(deviceRow(0), (QStringList{"Vrátnice", "arch1", "255", "5", "510"}));
        QCOMPARE(form1()->link.currentAddress, qint16(7));  // until the next device selection
    }

    void aTextThatIsNotANumberSendsNothing_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("message");
        QTest::newRow("address") << QStringList{"12a", "12", "100"} << "'12a' is not a valid integer value.";
        QTest::newRow("relay time") << QStringList{"7", "", "100"} << "'' is not a valid integer value.";
        QTest::newRow("code count") << QStringList{"7", "12", "1.5"} << "'1.5' is not a valid integer value.";
    }
    void aTextThatIsNotANumberSendsNothing()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, message);
        bus->addTavoM(255);
        readConfiguration();
        setEdits(1, texts);
        bus->clearLog();
        form3()->Button1->click();
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("TAVO"));
        QCOMPARE(op.shown[0].text, message);
        QCOMPARE(op.shown[0].flags, 16);
        vc.advanceMs(500);
        QVERIFY(bus->requests().empty());
        QVERIFY(form3()->isVisible());
        QCOMPARE(op.shown.size(), 1);
        // The numbers before the bad one do not reach the link either: a later
        // working-set write rewrites the configuration from these.
        const Link &link = form1()->link;
        QCOMPARE((QList<int>{link.targetAddress, link.relayTime, link.codeCount}), (QList<int>{255, 5, 510}));
    }

    void theWrittenDeviceKeepsItsRowWhenTheListMoves()
    {
        bus->addTavoM(255);
        bus->addTavoM(3);
        Table &t = form1()->db.Table3;
        t.append();
        t.setFieldText(1, QStringLiteral("Sklad"));
        t.setFieldText(2, QStringLiteral("arch1"));
        t.setFieldText(3, QStringLiteral("3"));
        t.post();
        t.moveTo(0);
        readConfiguration();
        t.moveTo(1);  // the operator looks at another row meanwhile
        setEdits(1, {"7", "12", "100"});
        form3()->Button1->click();
        vc.advanceMs(100);
        QCOMPARE(op.lastText(), QStringLiteral("Konfigurace Vrátnice byla úspěšně změněna."));
        QCOMPARE(deviceRow(0), (QStringList{"Vrátnice", "arch1", "7", "12", "100"}));
        QCOMPARE(deviceRow(1).mid(0, 3), (QStringList{"Sklad", "arch1", "3"}));
    }

private:

    void readConfiguration()
    {
        form1()->menuItem(QStringLiteral("Konfigurovatzazen1"))->trigger();
        vc.advanceMs(100);
    }

    QList<QLineEdit *> editsFrom(int first) const
    {
        TForm3 *f = form3();
        return first == 1 ? QList<QLineEdit *>{f->Edit1, f->Edit2, f->Edit3}
                          : QList<QLineEdit *>{f->Edit4, f->Edit5, f->Edit6};
    }
    QStringList edits(int first) const
    {
        QStringList out;
        for (QLineEdit *e : editsFrom(first))
            out << e->text();
        return out;
    }
    void setEdits(int first, const QStringList &texts)
    {
        const QList<QLineEdit *> e = editsFrom(first);
        for (int i = 0; i < 3; ++i)
            e[i]->setText(texts[i]);
    }

    void setDeviceRow(int position, const QStringList &fields)
    {
        Table &t = form1()->db.Table3;
        t.moveTo(position);
        t.edit();
        for (int i = 0; i < fields.size(); ++i)
            t.setFieldText(i + 1, fields[i]);
        t.post();
    }
    QStringList deviceRow(int position) const
    {
        const Table &t = form1()->db.Table3;
        QStringList out;
        for (int i = 1; i <= 5; ++i)
            out << t.textAt(position, i);
        return out;
    }

    static void setFault(SimFaults &f, const QString &name)
    {
        if (name == QLatin1String("no reply"))
            f.noReply = true;
        else if (name == QLatin1String("bad check"))
            f.badCheck = true;
        else if (name == QLatin1String("other address"))
            f.otherAddress = 254;
        else if (name == QLatin1String("late"))
            f.delayMs = 150;
    }
};

QTEST_MAIN(TestConfiguration)
#include "test_configuration.moc"
