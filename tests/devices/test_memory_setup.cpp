// The event memory set-up end to end: "&Aktivace TAVO-B" selects the device
// and shows TForm12; five Timer1 ticks read the identification number and the
// pointers of the card (85) and of the device event buffer (164); the writes
// (148 into the event buffer) are followed by the same read. A simulated TAVO-B
// on the virtual clock.
#include "tests/support/program_fixture.h"
#include "devices/event_memory/setup_texts.h"
#include "devices/event_memory/tform12.h"

#include <QLabel>
#include <QPushButton>

namespace {
QByteArray hex(const char *text) { return QByteArray::fromHex(text); }
} // namespace

class TestMemorySetup : public QObject, ProgramFixture {
    Q_OBJECT
private slots:
    void initTestCase() { setUpFonts(); }  // the windows' font, for the widths
    void init()
    {
        setUp();
        start();
        device = &bus->addTavoB(255);
        // The device: events 40 .. 1000; its card: 1 .. 100 and another number.
        device->setRange(40, 1000);
        device->setIdentification(hex("0123456789ABCDEF"));
        device->writeCard(0, hex("00000200" "00000830" "FEDCBA9876543210"));
    }
    void cleanup() { tearDown(); }

    // Nothing is sent with the menu item; then one read every 100 ms: the
    // card's identification and pointers, then the device's.
    void theReadSequence()
    {
        QVERIFY(form1()->menuItem(QStringLiteral("AktivaceTAVOB"))->isEnabled());
        const qint64 t0 = vc.nowUs();
        open();
        QVERIFY(form12()->isVisible());
        QVERIFY(!form12()->isModal());
        QVERIFY(bus->requests().empty());
        vc.advanceMs(1000);
        QCOMPARE(readData(), (QList<QByteArray>{hex("0000000855"), hex("0000000055"), hex("00000008A4"), hex("00000000A4")}));
        QCOMPARE(int(bus->requests()[0].request.address), 255);
        for (int i = 0; i < 4; ++i)
            QCOMPARE((bus->requests()[size_t(i)].atUs - t0) / 100000, qint64(i + 1));  // at 100, 200, 300, 400 ms
        QCOMPARE(card(), (QStringList{"FEDCBA9876543210", "1", "100"}));
        QCOMPARE(inDevice(), (QStringList{"0123456789ABCDEF", "40", "1000"}));
        QCOMPARE(form12()->Edit1->text(), QStringLiteral("40"));
        QCOMPARE(form12()->Edit2->text(), QStringLiteral("1000"));
        QVERIFY(op.shown.isEmpty());
    }

    // Off-ring pointers are shown as they are.
    void unpreparedPointersAreShownAsTheyAre()
    {
        device->setRange(268435424, -31);  // pointers FFFFFFF0 and 00000000
        open();
        vc.advanceMs(1000);
        QCOMPARE(inDevice().mid(1), (QStringList{"268435424", "-31"}));
    }

    void aCardThatAnswersNothing()
    {
        device->setCardPresent(false);
        open();
        vc.advanceMs(1000);
        QCOMPARE(card(), (QStringList{"", "", ""}));
        QCOMPARE(inDevice(), (QStringList{"0123456789ABCDEF", "40", "1000"}));
        QCOMPARE(readData().size(), 4);
        QVERIFY(op.shown.isEmpty());
    }

    // "&Startovní hodnoty", then "Zapsa&t"; or numbers typed. The read
    // sequence runs again, its first tick 1200 ms after the write.
    void thePointersAreWritten_data()
    {
        QTest::addColumn<QString>("first");  // empty: the start values
        QTest::addColumn<QString>("last");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("start values") << "" << "" << hex("00000200000001F0" "00000000" "A4") << QStringList{"1", "0"};
        QTest::newRow("first 1, last 100") << "1" << "100" << hex("0000020000000830" "00000000" "A4") << QStringList{"1", "100"};
        QTest::newRow("the ring's end") << "3999969" << "4000000" << hex("03D0900003D091F0" "00000000" "A4")
                                        << QStringList{"3999969", "4000000"};
        QTest::newRow("past the ring, written unchanged") << "0" << "4000001" << hex("000001F003D09200" "00000000" "A4")
                                                          << QStringList{"0", "4000001"};
    }
    void thePointersAreWritten()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QByteArray, data);
        QFETCH(QStringList, shown);
        open();
        vc.advanceMs(1000);
        bus->clearLog();
        if (first.isEmpty()) {
            form12()->Button2->click();
            QCOMPARE(form12()->Edit1->text(), QStringLiteral("1"));
            QCOMPARE(form12()->Edit2->text(), QStringLiteral("0"));
            QVERIFY(bus->writes().empty());  // nothing is written yet
        } else {
            form12()->Edit1->setText(first);
            form12()->Edit2->setText(last);
        }
        form12()->Button1->click();
        vc.advanceMs(1199);
        QCOMPARE(commands(), QList<int>{148});
        QCOMPARE(requests(148)[0].data.toHex(' '), data.toHex(' '));
        vc.advanceMs(1);
        QCOMPARE(sent(), 2);
        vc.advanceMs(1000);
        QCOMPARE(readData().size(), 4);
        QCOMPARE(inDevice().mid(1), shown);
        QCOMPARE(form12()->Edit1->text(), shown[0]);
        QCOMPARE(form12()->Edit2->text(), shown[1]);
        QCOMPARE(card().mid(1), shown);  // the simulated device keeps its card's header in step
        QVERIFY(op.shown.isEmpty());
    }

    // Choice: a negative number is refused like any text that is no whole
    // number; nothing is sent.
    void numbersThatAreRefused_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("error");
        QTest::newRow("negative first") << "-5" << "100" << "'-5' is not a valid integer value.";
        QTest::newRow("negative last") << "1" << "-1" << "'-1' is not a valid integer value.";
        QTest::newRow("not a number") << "1" << "sto" << "'sto' is not a valid integer value.";
        QTest::newRow("empty") << "" << "0" << "'' is not a valid integer value.";
    }
    void numbersThatAreRefused()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, error);
        open();
        vc.advanceMs(1000);
        bus->clearLog();
        form12()->Edit1->setText(first);
        form12()->Edit2->setText(last);
        form12()->Button1->click();
        vc.advanceMs(2000);
        QVERIFY(bus->requests().empty());
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("TAVO"));
        QCOMPARE(op.shown[0].text, error);
        QCOMPARE(op.shown[0].flags, 16);
    }

    // Upper-cased, filled with "0" at its end, cut to 16 characters; read back
    // after the write, the first tick 600 ms after it.
    void theIdentificationIsWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("id");
        QTest::newRow("0123456789abcdef") << "0123456789abcdef" << hex("0123456789ABCDEF");
        QTest::newRow("12345") << "12345" << hex("1234500000000000");
        QTest::newRow("20 characters") << "89ABCDEF0123456789AB" << hex("89ABCDEF01234567");
        QTest::newRow("empty") << "" << hex("0000000000000000");
    }
    void theIdentificationIsWritten()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, id);
        open();
        vc.advanceMs(1000);
        bus->clearLog();
        form12()->Edit3->setText(text);
        form12()->Button3->click();
        vc.advanceMs(599);
        QCOMPARE(commands(), QList<int>{148});
        QCOMPARE(requests(148)[0].data.toHex(' '), (id + hex("00000008A4")).toHex(' '));
        vc.advanceMs(1);
        QCOMPARE(sent(), 2);
        vc.advanceMs(1000);
        QCOMPARE(form12()->Edit9->text(), QString::fromLatin1(id.toHex().toUpper()));
        QCOMPARE(inDevice().mid(1), (QStringList{"40", "1000"}));
    }

    // Seeded by the time of day in whole seconds: the same number twice within
    // a second, another one the next second; at most 9 digits.
    void generatedNumbers()
    {
        open();
        vc.advanceMs(1000);
        bus->clearLog();
        vc.setWallNow(QDateTime(QDate(2008, 7, 15), QTime(10, 0, 0, 100)));
        form12()->Button4->click();
        const QString first = form12()->Edit3->text();
        QCOMPARE(first, tavob::generatedIdentification(Random(10 * 3600).next()));
        vc.advanceMs(800);
        form12()->Button4->click();
        QCOMPARE(form12()->Edit3->text(), first);
        vc.advanceMs(100);
        form12()->Button4->click();
        QVERIFY(form12()->Edit3->text() != first);
        QVERIFY(form12()->Edit3->text().size() <= 9);
        QVERIFY(bus->requests().empty());
        // Written as hex digits, filled at the end.
        form12()->Edit3->setText(QStringLiteral("123456789"));
        form12()->Button3->click();
        vc.advanceMs(50);
        QCOMPARE(requests(148)[0].data.left(8).toHex(' '), hex("1234567890000000").toHex(' '));
    }

    // The sequence holds the link from the menu item to its last tick: another
    // start, a write or another device operation meanwhile is refused and
    // changes nothing. A sequence under way when the window closes runs to its end.
    void otherOperationsWaitForTheSequence_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("the menu item again") << "menu";
        QTest::newRow("Zapsat the identification") << "identification";
        QTest::newRow("Zapsat the pointers") << "pointers";
        QTest::newRow("the clock") << "clock";
    }
    void otherOperationsWaitForTheSequence()
    {
        QFETCH(QString, action);
        open();
        vc.advanceMs(250);
        form12()->close();
        act(action);
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(op.shown[0].title, QStringLiteral("Upozornění"));
        QCOMPARE(op.shown[0].text, QStringLiteral("Probíhá jiná operace se zařízením. Počkejte, až skončí."));
        QCOMPARE(op.shown[0].flags, 48);
        vc.advanceMs(1000);
        QCOMPARE(readData().size(), 4);
        QCOMPARE(commands().size(), 4);
        QCOMPARE(inDevice(), (QStringList{"0123456789ABCDEF", "40", "1000"}));
        act(action);
        vc.advanceMs(150);
        QCOMPARE(op.shown.size(), 1);
        QCOMPARE(commands().size(), 5);
    }

    void theWindowsTexts()
    {
        TForm12 *f = form12();
        QCOMPARE(f->windowTitle(), QStringLiteral("Aktivace paměti událostí v TAVO-B"));
        QCOMPARE(f->size(), QSize(549, 231));
        QCOMPARE(f->Label1->text(), QStringLiteral("Identifikační číslo"));
        QCOMPARE(f->Label3->text(), QStringLiteral("Číslo první události"));
        QCOMPARE(f->Label2->text(), QStringLiteral("Číslo poslední události"));
        QCOMPARE(f->Label4->text(), QStringLiteral("v MMC"));
        QCOMPARE(f->Label5->text(), QStringLiteral("v TAVO-B"));
        QCOMPARE(f->Button4->text(), QStringLiteral("&Generovat"));
        QCOMPARE(f->Button3->text(), QStringLiteral("&Zapsat"));
        QCOMPARE(f->Button2->text(), QStringLiteral("&Startovní hodnoty"));
        QCOMPARE(f->Button1->text(), QStringLiteral("Zapsa&t"));
        for (QLineEdit *e : {f->Edit1, f->Edit2, f->Edit3})
            QVERIFY(e->isEnabled());
        for (QLineEdit *e : {f->Edit4, f->Edit5, f->Edit6, f->Edit7, f->Edit8, f->Edit9})
            QVERIFY(!e->isEnabled());
        QVERIFY(f->Edit3->text().isEmpty());
        const QFontMetrics fm(f->font());
        QVERIFY(fm.horizontalAdvance(QStringLiteral("DDDDDDDDDDDDDDDD")) + 8 <= f->Edit6->width());
        QVERIFY(fm.horizontalAdvance(QStringLiteral("-2147483648")) + 8 <= f->Edit7->width());
        for (QPushButton *b : {f->Button1, f->Button2, f->Button3, f->Button4})
            QVERIFY(fm.horizontalAdvance(b->text().remove('&')) + 12 <= b->width());
        for (QLabel *l : {f->Label1, f->Label2, f->Label3})
            QVERIFY(l->x() + fm.horizontalAdvance(l->text()) <= f->width());
        QVERIFY(f->rect().contains(f->childrenRect()));
    }

private:
    TavoBDevice *device = nullptr;
    TForm12 *form12() const { return program->window<TForm12>(); }
    void open() { trigger("AktivaceTAVOB"); }
    // Frames the program has written since the log was cleared (a request
    // reaches the device only after its time on the line).
    int sent() const { return int(bus->writes().size()); }
    void act(const QString &action)
    {
        if (action == QLatin1String("menu"))
            open();
        else if (action == QLatin1String("identification"))
            form12()->Button3->click();
        else if (action == QLatin1String("pointers")) {
            form12()->Edit1->setText(QStringLiteral("1"));
            form12()->Edit2->setText(QStringLiteral("0"));
            form12()->Button1->click();
        } else
            trigger("NastaveniCasu");
    }
    QList<QByteArray> readData() const
    {
        QList<QByteArray> out;
        for (const SimRequest &r : requests(146))
            out << r.data;
        return out;
    }
    QStringList card() const { return {form12()->Edit6->text(), form12()->Edit4->text(), form12()->Edit5->text()}; }
    QStringList inDevice() const { return {form12()->Edit9->text(), form12()->Edit7->text(), form12()->Edit8->text()}; }
};

QTEST_MAIN(TestMemorySetup)
#include "test_memory_setup.moc"
