// The relay test end to end: the menu item selects the device and shows
// TForm18; "&Test" sends command 131 with the time byte and the two relay
// masks to the current device, on the simulated bus. Nothing is read back.
#include "tests/support/program_fixture.h"
#include "devices/code_memory/tform18.h"
#include "ui/spin_button.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

class TestRelayTest : public QObject, ProgramFixture {
    Q_OBJECT
private slots:
    void init()
    {
        setUp();
        start();
        device = &bus->addTavoM(255);
    }
    void cleanup() { tearDown(); }

    void theTestSendsTheTimeByteAndTheMasks_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("seconds");  // typed into Edit1; empty: left as it is
        QTest::addColumn<QList<int>>("relays");
        QTest::addColumn<QByteArray>("q");
        QTest::newRow("1, 3, 16 for 10 s") << int(TForm18::Seconds) << "10" << QList<int>{1, 3, 16}
                                           << QByteArray::fromHex("0A0580");
        QTest::newRow("all held") << int(TForm18::Hold) << "" << allRelays() << QByteArray::fromHex("FFFFFF");
        QTest::newRow("8 and 9 toggled") << int(TForm18::Toggle) << "" << QList<int>{8, 9}
                                         << QByteArray::fromHex("008001");
        QTest::newRow("none ticked is sent all the same") << int(TForm18::Seconds) << "254" << QList<int>{}
                                                          << QByteArray::fromHex("FE0000");
        QTest::newRow("300 s is 254") << int(TForm18::Seconds) << "300" << QList<int>{2} << QByteArray::fromHex("FE0200");
        QTest::newRow("0 s is 1") << int(TForm18::Seconds) << "0" << QList<int>{10} << QByteArray::fromHex("010002");
        QTest::newRow("the time byte 125 travels escaped") << int(TForm18::Seconds) << "125" << QList<int>{1}
                                                           << QByteArray::fromHex("7D0100");
    }
    void theTestSendsTheTimeByteAndTheMasks()
    {
        QFETCH(int, mode);
        QFETCH(QString, seconds);
        QFETCH(QList<int>, relays);
        QFETCH(QByteArray, q);
        openWindow();
        QVERIFY(form18()->isVisible());
        QVERIFY(!form18()->isModal());
        if (!seconds.isEmpty())
            type(seconds);
        form18()->RadioItem[mode]->click();
        for (int n : relays)
            form18()->CheckBox[n]->click();
        test();
        QCOMPARE(requestsSent(), (QList<QByteArray>{q}));
        QCOMPARE(int(bus->requests().back().request.address), 255);
        // The device switched exactly the ticked relays.
        for (int n = 1; n <= 16; ++n)
            QCOMPARE(device->relayClosed(n), relays.contains(n));
        QVERIFY(op.shown.isEmpty());
        QVERIFY(form18()->isVisible());
    }

    void rightAfterStartTheTimeIsOneSecond()
    {
        openWindow();
        QCOMPARE(form18()->Edit1->text(), QStringLiteral("1"));
        QVERIFY(form18()->RadioItem[TForm18::Seconds]->isChecked());
        test();
        QCOMPARE(requestsSent(), (QList<QByteArray>{QByteArray::fromHex("010000")}));
    }

    void typingKeepsEdit1WithinOneTo254()
    {
        openWindow();
        type("300");
        QCOMPARE(form18()->Edit1->text(), QStringLiteral("254"));
        QCOMPARE(form18()->timeByte, quint8(254));
        type("0");
        QCOMPARE(form18()->Edit1->text(), QStringLiteral("1"));
        QCOMPARE(form18()->timeByte, quint8(1));
        QVERIFY(op.shown.isEmpty());
    }

    void theArrowsStepWithinOneTo254_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("arrows");  // u up, d down
        QTest::addColumn<QString>("shown");
        QTest::newRow("up") << "5" << "u" << "6";
        QTest::newRow("down twice") << "5" << "dd" << "3";
        QTest::newRow("up at 254") << "254" << "u" << "254";
        QTest::newRow("down at 1") << "1" << "d" << "1";
        QTest::newRow("down at 1, then up") << "1" << "du" << "2";
    }
    void theArrowsStepWithinOneTo254()
    {
        QFETCH(QString, start);
        QFETCH(QString, arrows);
        QFETCH(QString, shown);
        openWindow();
        type(start);
        for (QChar a : arrows)
            (a == QLatin1Char('u') ? form18()->CSpinButton1->upButton() : form18()->CSpinButton1->downButton())->click();
        QCOMPARE(form18()->Edit1->text(), shown);
        test();
        QCOMPARE(requestsSent(), (QList<QByteArray>{QByteArray(1, char(shown.toInt())) + QByteArray(2, '\0')}));
    }

    void aTextThatIsNotANumberKeepsTheTimeByte_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("letters") << "1a";
        QTest::newRow("emptied") << "";
    }
    void aTextThatIsNotANumberKeepsTheTimeByte()
    {
        QFETCH(QString, text);
        openWindow();
        type("12");
        form18()->Edit1->setText(text);
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("TAVO"));
        QCOMPARE(op.shown[0].text, QStringLiteral("'%1' is not a valid integer value.").arg(text));
        QCOMPARE(op.shown[0].flags, 16);
        QCOMPARE(form18()->Edit1->text(), text);
        test();
        QCOMPARE(requestsSent(), (QList<QByteArray>{QByteArray::fromHex("0C0000")}));
    }

    // Toggle and hold hide the seconds; going back shows them again with the
    // number they held, and that number is the time byte again.
    void aModeRoundTrip()
    {
        openWindow();
        type("10");
        form18()->RadioItem[TForm18::Toggle]->click();
        QVERIFY(!form18()->Edit1->isVisible());
        QVERIFY(!form18()->CSpinButton1->isVisible());
        test();
        form18()->RadioItem[TForm18::Hold]->click();
        QVERIFY(!form18()->Edit1->isVisible());
        test();
        form18()->RadioItem[TForm18::Seconds]->click();
        QVERIFY(form18()->Edit1->isVisible());
        QVERIFY(form18()->CSpinButton1->isVisible());
        QCOMPARE(form18()->Edit1->text(), QStringLiteral("10"));
        test();
        QCOMPARE(requestsSent(), (QList<QByteArray>{QByteArray::fromHex("000000"), QByteArray::fromHex("FF0000"),
                                                    QByteArray::fromHex("0A0000")}));
    }

    // Closing only hides: the mode, the seconds and the ticks are there at the
    // next showing, and the test then goes to the device selected anew.
    void theWindowKeepsItsStateAndFollowsTheSelectedDevice()
    {
        TavoMDevice &other = bus->addTavoM(7);
        openWindow();
        type("20");
        form18()->CheckBox[4]->click();
        form18()->RadioItem[TForm18::Hold]->click();
        form18()->close();
        QVERIFY(!form18()->isVisible());

        Table &t = devices();
        t.edit();
        t.setFieldText(3, QStringLiteral("7"));
        t.post();
        openWindow();
        QVERIFY(form18()->RadioItem[TForm18::Hold]->isChecked());
        QVERIFY(!form18()->Edit1->isVisible());
        QCOMPARE(form18()->Edit1->text(), QStringLiteral("20"));
        QVERIFY(form18()->CheckBox[4]->isChecked());
        test();
        QCOMPARE(int(bus->requests().back().request.address), 7);
        QCOMPARE(requestsSent(), (QList<QByteArray>{QByteArray::fromHex("FF0800")}));
        QVERIFY(other.relayClosed(4));
        QVERIFY(device->relayTests().empty());
    }

    void aPortThatCannotBeOpenedShowsNoWindow()
    {
        bus->close();
        bus->setOpenFails(true);
        trigger("Testrel1");
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("TAVO"));
        QVERIFY(!form18()->isVisible());
        QVERIFY(bus->requests().empty());
    }

    void theMenuItemIsEnabledAndTheTextsAreCzech()
    {
        QVERIFY(form1()->menuItem(QStringLiteral("Testrel1"))->isEnabled());
        TForm18 *f = form18();
        QCOMPARE(f->windowTitle(), QStringLiteral("Test relé"));
        QCOMPARE(f->RadioItem[0]->text(), QStringLiteral("Překlápění (0)"));
        QCOMPARE(f->RadioItem[1]->text(), QStringLiteral("Sepnutí (1-254s)"));
        QCOMPARE(f->RadioItem[2]->text(), QStringLiteral("Blokování (255)"));
        QCOMPARE(f->Label1->text(), QStringLiteral("1.modul"));
        QCOMPARE(f->Label2->text(), QStringLiteral("2.modul"));
        QCOMPARE(f->CheckBox[16]->text(), QStringLiteral("Relé 16"));
        QCOMPARE(f->Button1->text(), QStringLiteral("&Test"));
        // Relays 1..8 in the left column, 9..16 in the right, top to bottom,
        // every control inside the window.
        for (int n = 1; n <= 16; ++n) {
            QCOMPARE(f->CheckBox[n]->x(), f->CheckBox[n <= 8 ? 1 : 9]->x());
            if (n != 1 && n != 9)
                QVERIFY(f->CheckBox[n]->y() > f->CheckBox[n - 1]->y());
        }
        QVERIFY(f->CheckBox[9]->x() > f->CheckBox[1]->x() + f->CheckBox[1]->width());
        QVERIFY(f->rect().contains(f->childrenRect()));
    }

private:
    TavoMDevice *device = nullptr;

    TForm18 *form18() const { return program->window<TForm18>(); }

    static QList<int> allRelays()
    {
        QList<int> all;
        for (int n = 1; n <= 16; ++n)
            all << n;
        return all;
    }

    void openWindow()
    {
        trigger("Testrel1");
        bus->clearLog();
    }
    // Replaces Edit1's text by typing it.
    void type(const QString &text)
    {
        form18()->Edit1->selectAll();
        QTest::keyClicks(form18()->Edit1, text);
    }
    // "&Test", and time for the request to reach the device.
    void test()
    {
        form18()->Button1->click();
        vc.advanceMs(20);
    }
    // Q0..Q2 of every relay test the device got.
    QList<QByteArray> requestsSent() const
    {
        QList<QByteArray> out;
        for (const SimRequest &r : requests(131))
            out << r.data;
        return out;
    }
};

QTEST_MAIN(TestRelayTest)
#include "test_relay_test.moc"
