// The device clock end to end: "&Nastavení času" selects the device, asks for
// its clock (146, selector 162) and shows TForm14; the tick reads the answer a
// second later and asks again; the two writes (148) send the PC's time or the
// typed one, taken back to standard time while the summer-time setting is on.
// A simulated TAVO-B on the virtual clock, the PC's time pinned.
#include "tests/support/program_fixture.h"
#include "devices/event_memory/setup_texts.h"
#include "devices/event_memory/tform12.h"
#include "devices/event_memory/tform14.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace {
QDateTime at(int d, int mo, int y, int h, int mi, int s) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s)); }
} // namespace

class TestDeviceClock : public QObject, ProgramFixture {
    Q_OBJECT
private slots:
    void initTestCase() { setUpFonts(); }  // the windows' font, for the widths
    void init()
    {
        setUp();
        start();
        device = &bus->addTavoB(255);
        vc.setWallNow(at(15, 7, 2008, 10, 0, 0));
    }
    void cleanup() { tearDown(); }

    void theMenuItemShowsTheWindowAndAsksForTheClock()
    {
        QVERIFY(form1()->menuItem(QStringLiteral("NastaveniCasu"))->isEnabled());
        open();
        QVERIFY(form14()->isVisible());
        QVERIFY(!form14()->isModal());
        QCOMPARE(sent(), 1);
        QVERIFY(form14()->Edit3->text().isEmpty());
        vc.advanceMs(999);
        QCOMPARE(sent(), 1);
        QCOMPARE(requests(146)[0].data.toHex(' '), QByteArray("00 00 00 00 a2"));
        QCOMPARE(int(bus->requests()[0].request.address), 255);
        vc.advanceMs(1);
        QCOMPARE(sent(), 2);
        vc.advanceMs(3050);
        QCOMPARE(sent(), 5);
        QCOMPARE(commands(), (QList<int>{146, 146, 146, 146, 146}));
        QCOMPARE(clockReads(), 5);
        QVERIFY(op.shown.isEmpty());
    }

    // Edit3 from the reply (standard time in the device), Edit1 the PC's time
    // at the tick, the drift against the PC's time of the request.
    void theTickShowsBothTimesAndTheDrift_data()
    {
        QTest::addColumn<QDateTime>("device");  // standard time
        QTest::addColumn<bool>("summer");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("drift");
        QTest::newRow("setting off: 09 keeps its zero") << at(15, 7, 2008, 9, 5, 7) << false << "15.07.2008   09:05:07"
                                                     << "Odchylka od PC: -3293 s";
        QTest::newRow("setting on, in summer: one hour on") << at(15, 7, 2008, 9, 0, 4) << true << "15.07.2008   10:00:04"
                                                            << "Odchylka od PC: +4 s";
        QTest::newRow("setting on, in winter: 9 without its zero") << at(15, 1, 2008, 9, 0, 0) << true
                                                                  << "15.01.2008   9:00:00" << "Odchylka od PC: -15728400 s";
        QTest::newRow("setting on, 23:30 in summer is 0:30 of the next day") << at(31, 7, 2008, 23, 30, 0) << true
                                                                             << "01.08.2008   0:30:00"
                                                                             << "Odchylka od PC: +1434600 s";
        QTest::newRow("setting on, 30.03.2008 01:59 standard is still winter") << at(30, 3, 2008, 1, 59, 0) << true
                                                                               << "30.03.2008   1:59:00"
                                                                               << "Odchylka od PC: -9273660 s";
    }
    void theTickShowsBothTimesAndTheDrift()
    {
        QFETCH(QDateTime, device);
        QFETCH(bool, summer);
        QFETCH(QString, shown);
        QFETCH(QString, drift);
        form14()->CheckBox1->setChecked(summer);
        this->device->setClock(device);
        open();
        vc.advanceMs(1000);
        QCOMPARE(form14()->Edit3->text(), shown);
        QCOMPARE(form14()->Label4->text(), drift);
        QCOMPARE(form14()->Edit1->text(), QStringLiteral("15.7.2008   10:00:01"));
    }

    void theWindowStartsWithTheSettingOn() { QVERIFY(form14()->CheckBox1->isChecked()); }

    // The bytes of the write: Q0, Q1 zero, Q2..Q7 year .. second, the address
    // bytes zero, Q12 = 162. The device then holds the time and the next ticks
    // show it.
    void typedTimesAreWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("summer");
        QTest::addColumn<QByteArray>("time");  // year, month, day, hour, minute, second
        QTest::newRow("15.07.2008 10:00:00, summer: hour 09") << "15.07.2008 10:00:00" << true
                                                              << QByteArray::fromHex("080715090000");
        QTest::newRow("15.01.2008 10:00:00, winter: hour 10") << "15.01.2008 10:00:00" << true
                                                              << QByteArray::fromHex("080115100000");
        QTest::newRow("30.03.2008 03:00:00: summer, hour 02") << "30.03.2008 03:00:00" << true
                                                              << QByteArray::fromHex("080330020000");
        QTest::newRow("26.10.2008 01:30:00: summer, hour 00") << "26.10.2008 01:30:00" << true
                                                              << QByteArray::fromHex("081026003000");
        QTest::newRow("26.10.2008 02:30:00: winter, hour 02") << "26.10.2008 02:30:00" << true
                                                              << QByteArray::fromHex("081026023000");
        QTest::newRow("24.12.2007 18:30:00") << "24.12.2007 18:30:00" << true << QByteArray::fromHex("071224183000");
        QTest::newRow("1.2.2008 8:05:00, setting off") << "1.2.2008 8:05:00" << false << QByteArray::fromHex("080201080500");
        QTest::newRow("1.2.2008 8:05:00, setting on in winter") << "1.2.2008 8:05:00" << true
                                                               << QByteArray::fromHex("080201080500");
        QTest::newRow("no seconds, setting off: minute 00, second 30") << "24.12.2007 18:30" << false
                                                                      << QByteArray::fromHex("071224180030");
        QTest::newRow("summer 00:30 is 23:30 of the day before") << "1.8.2008 0:30:00" << true
                                                                 << QByteArray::fromHex("080731233000");
    }
    void typedTimesAreWritten()
    {
        QFETCH(QString, text);
        QFETCH(bool, summer);
        QFETCH(QByteArray, time);
        form14()->CheckBox1->setChecked(summer);
        open();
        vc.advanceMs(500);
        bus->clearLog();
        form14()->Edit2->setText(text);
        form14()->Button2->click();
        vc.advanceMs(100);
        QCOMPARE(commands(), QList<int>{148});
        QCOMPARE(requests(148)[0].data.toHex(' '), (QByteArray::fromHex("0000") + time + QByteArray::fromHex("00000000A2")).toHex(' '));
        QCOMPARE(this->device->clockBytes().mid(2).toHex(' '), time.toHex(' '));
        // The tick that was due is gone: the next comes a second after the write.
        vc.advanceMs(899);
        QCOMPARE(sent(), 1);
        vc.advanceMs(1);
        QCOMPARE(sent(), 2);
        QVERIFY(op.shown.isEmpty());
    }

    // The first tick after a write shows the device's answer to the write.
    void theWrittenTimeIsShownAtTheNextTick()
    {
        open();
        vc.advanceMs(500);
        form14()->Edit2->setText(QStringLiteral("15.07.2008 10:00:00"));
        form14()->Button2->click();
        vc.advanceMs(1000);
        QCOMPARE(form14()->Edit3->text(), QStringLiteral("15.07.2008   10:00:00"));
        QCOMPARE(form14()->Label4->text(), QStringLiteral("Odchylka od PC: 0 s"));
    }

    // "&Zapsat do TAVO-B" writes what Edit1 shows: the PC's time in the Czech
    // formats, taken back to standard time in summer. The device is then in
    // step with the PC.
    void thePcTimeIsWritten_data()
    {
        QTest::addColumn<QDateTime>("pc");
        QTest::addColumn<QString>("edit1");
        QTest::addColumn<QByteArray>("time");
        QTest::newRow("winter") << at(9, 12, 2007, 14, 5, 29) << "9.12.2007   14:05:30" << QByteArray::fromHex("071209140530");
        QTest::newRow("summer, an hour back") << at(15, 7, 2008, 10, 0, 0) << "15.7.2008   10:00:01"
                                              << QByteArray::fromHex("080715090001");
        QTest::newRow("summer, before 10 o'clock") << at(15, 7, 2008, 9, 59, 0) << "15.7.2008   9:59:01"
                                                   << QByteArray::fromHex("080715085901");
        QTest::newRow("summer just after midnight") << at(1, 8, 2008, 0, 0, 9) << "1.8.2008   0:00:10"
                                                    << QByteArray::fromHex("080731230010");
    }
    void thePcTimeIsWritten()
    {
        QFETCH(QDateTime, pc);
        QFETCH(QString, edit1);
        QFETCH(QByteArray, time);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));  // not the Czech formats
        vc.setWallNow(pc);
        open();
        vc.advanceMs(1000);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(form14()->Edit1->text(), edit1);
        vc.advanceMs(500);  // the answer to the tick's request is in
        bus->clearLog();
        form14()->Button1->click();
        vc.advanceMs(50);
        QCOMPARE(requests(148).size(), 1);
        QCOMPARE(requests(148)[0].data.mid(2, 6).toHex(' '), time.toHex(' '));
        vc.advanceMs(1000);
        QCOMPARE(form14()->Label4->text(), QStringLiteral("Odchylka od PC: 0 s"));
        // Later reads: in step within the second the request takes on the line.
        vc.advanceMs(2000);
        QVERIFY2(QStringList({"Odchylka od PC: 0 s", "Odchylka od PC: -1 s"}).contains(form14()->Label4->text()),
                 qPrintable(form14()->Label4->text()));
    }

    // With the setting on, a field that is no number stops the write before
    // anything is sent, and the polling stays stopped until a write succeeds.
    void aFieldThatIsNoNumberStopsThePolling()
    {
        open();
        vc.advanceMs(1000);
        const QString shown = form14()->Edit3->text();
        bus->clearLog();
        form14()->Edit2->setText(QStringLiteral("15.07.2008 1x:00:00"));
        form14()->Button2->click();
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("TAVO"));
        QCOMPARE(op.shown[0].text, QStringLiteral("'1x' is not a valid integer value."));
        QCOMPARE(op.shown[0].flags, 16);
        vc.advanceMs(5000);
        QVERIFY(bus->writes().empty());
        QCOMPARE(form14()->Edit3->text(), shown);

        bus->clearLog();
        form14()->Edit2->setText(QStringLiteral("15.07.2008 12:00:00"));
        form14()->Button2->click();
        vc.advanceMs(3050);
        QCOMPARE(commands(), (QList<int>{148, 146, 146, 146}));
        QVERIFY(form14()->Edit3->text().startsWith(QStringLiteral("15.07.2008   12:00:0")));
    }

    // Closing stops the tick; the next opening empties Edit3 and polls again.
    void closeStopsTheTickAndShowEmptiesEdit3()
    {
        open();
        vc.advanceMs(1000);
        QVERIFY(!form14()->Edit3->text().isEmpty());
        QVERIFY(!form14()->Label4->text().isEmpty());
        form14()->close();
        bus->clearLog();
        vc.advanceMs(5000);
        QVERIFY(bus->writes().empty());
        open();
        QVERIFY(form14()->Edit3->text().isEmpty());
        QVERIFY(form14()->Label4->text().isEmpty());
        QCOMPARE(sent(), 1);
        vc.advanceMs(1000);
        QVERIFY(!form14()->Edit3->text().isEmpty());
    }

    // No reply: Edit3 keeps its text, the polling goes on, nothing is said.
    void aSilentDeviceLeavesEdit3AsItWas()
    {
        open();
        vc.advanceMs(1000);
        const QString shown = form14()->Edit3->text();
        device->faults().noReply = true;
        vc.advanceMs(3050);
        QCOMPARE(form14()->Edit3->text(), shown);
        QCOMPARE(form14()->Edit1->text(), QStringLiteral("15.7.2008   10:00:04"));
        QCOMPARE(clockReads(), 5);
        QVERIFY(op.shown.isEmpty());
    }

    // The set-up's read sequence holds the link for half a second: the clock's
    // tick meanwhile asks nothing and reads nothing (the PC's time goes on),
    // the set-up reads its own answers, and the clock's next tick, finding the
    // line used by another, asks anew before it shows anything.
    void theTickSkipsWhileAnotherOperationHoldsTheLink()
    {
        device->setIdentification(QByteArray::fromHex("0123456789ABCDEF"));
        device->setClock(at(15, 7, 2008, 9, 0, 0));
        open();
        vc.advanceMs(1000);
        const QString shown = form14()->Edit3->text();
        QCOMPARE(shown, QStringLiteral("15.07.2008   10:00:00"));
        vc.advanceMs(700);  // 300 ms before the next tick
        bus->clearLog();
        trigger("AktivaceTAVOB");
        QVERIFY(op.shown.isEmpty());
        vc.advanceMs(300);
        QCOMPARE(form14()->Edit1->text(), QStringLiteral("15.7.2008   10:00:02"));
        vc.advanceMs(1050);
        QCOMPARE(form14()->Edit3->text(), shown);  // the tick after the set-up shows nothing
        QCOMPARE(requests(146).size(), 5);
        QList<int> selectors;
        for (const SimRequest &r : requests(146))
            selectors << quint8(r.data[4]);
        QCOMPARE(selectors, (QList<int>{85, 85, 164, 164, 162}));
        QCOMPARE(form12()->Edit6->text(), QStringLiteral("0123456789ABCDEF"));
        QCOMPARE(form12()->Edit9->text(), QStringLiteral("0123456789ABCDEF"));
        QCOMPARE(form12()->Edit8->text(), QStringLiteral("0"));
        vc.advanceMs(1000);
        QCOMPARE(form14()->Edit3->text(), QStringLiteral("15.07.2008   10:00:03"));
    }

    // The clock's writes are refused while another operation holds the link,
    // and change nothing: the polling goes on.
    void writesWaitForAnotherOperation()
    {
        open();
        vc.advanceMs(1000);
        trigger("AktivaceTAVOB");
        vc.advanceMs(150);
        bus->clearLog();
        form14()->Edit2->setText(QStringLiteral("15.07.2008 12:00:00"));
        form14()->Button2->click();
        form14()->Button1->click();
        trigger("NastaveniCasu");
        QCOMPARE(op.shown.size(), 3);
        for (const ShownMessage &m : op.shown) {
            QCOMPARE(m.title, QStringLiteral("Upozornění"));
            QCOMPARE(m.text, QStringLiteral("Probíhá jiná operace se zařízením. Počkejte, až skončí."));
            QCOMPARE(m.flags, 48);
        }
        QVERIFY(requests(148).isEmpty());
        vc.advanceMs(2000);
        QVERIFY(requests(148).isEmpty());
        QCOMPARE(requests(146).back().data.toHex(' '), QByteArray("00 00 00 00 a2"));
    }

    void aPortThatCannotBeOpenedShowsNoWindow()
    {
        bus->close();
        bus->setOpenFails(true);
        trigger("NastaveniCasu");
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("TAVO"));
        QVERIFY(!form14()->isVisible());
        vc.advanceMs(3000);
        QVERIFY(bus->requests().empty());
    }

    // The texts as the window shows them, whole and inside the window.
    void theWindowsTexts()
    {
        TForm14 *f = form14();
        QCOMPARE(f->windowTitle(), QStringLiteral("Nastavení času TAVO-B"));
        QCOMPARE(f->size(), QSize(406, 186));
        QCOMPARE(f->Label1->text(), QStringLiteral("Systémový čas v PC"));
        QCOMPARE(f->Label2->text(), QStringLiteral("Ručně zadaný čas"));
        QCOMPARE(f->Label3->text(), QStringLiteral("Aktuální čas v TAVO-B"));
        QCOMPARE(f->Button1->text(), QStringLiteral("&Zapsat do TAVO-B"));
        QCOMPARE(f->Button2->text(), QStringLiteral("Zapsa&t do TAVO-B"));
        QCOMPARE(f->CheckBox1->text(), QStringLiteral("Automaticky počítat s přechodem na letní čas a zpět"));
        QVERIFY(!f->Edit1->isEnabled());
        QVERIFY(f->Edit2->isEnabled());
        QVERIFY(!f->Edit3->isEnabled());
        QVERIFY(f->Edit2->text().isEmpty());
        const QFontMetrics fm(f->font());
        QVERIFY(fm.horizontalAdvance(QStringLiteral("31.12.2008   23:59:59")) + 8 <= f->Edit3->width());
        QVERIFY(fm.horizontalAdvance(QStringLiteral("Odchylka od PC: -269431200 s")) <= f->Label4->width());
        QVERIFY(fm.horizontalAdvance(f->Button1->text().remove('&')) + 12 <= f->Button1->width());
        QVERIFY(f->rect().contains(f->childrenRect()));
    }

private:
    TavoBDevice *device = nullptr;
    TForm14 *form14() const { return program->window<TForm14>(); }
    TForm12 *form12() const { return program->window<TForm12>(); }
    void open() { trigger("NastaveniCasu"); }
    // Frames the program has written since the log was cleared (a request
    // reaches the device only after its time on the line).
    int sent() const { return int(bus->writes().size()); }
    int clockReads() const
    {
        int n = 0;
        for (const SimRequest &r : requests(146))
            n += quint8(r.data[4]) == 162;
        return n;
    }
};

QTEST_MAIN(TestDeviceClock)
#include "test_device_clock.moc"
