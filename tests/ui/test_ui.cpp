// The shared seams: virtual clock and window timers, the error guard, text conversion.
#include "tests/support/scripted_operator.h"
#include "core/clock.h"
#include "core/cp1250.h"
#include "core/error.h"

#include <QtTest>

class TestUi : public QObject {
    Q_OBJECT
private slots:
    void init() { setTheClock(&vc); }
    void cleanup() { setTheClock(nullptr); }

    void virtualClockFiresInOrder()
    {
        QList<int> order;
        vc.callAfterMs(30, [&] { order << 3; });
        vc.callAfterMs(10, [&] { order << 1; });
        vc.callAfterMs(10, [&] { order << 2; });
        const auto cancelled = vc.callAfterMs(20, [&] { order << 99; });
        vc.cancel(cancelled);
        vc.advanceMs(29);
        QCOMPARE(order, (QList<int>{1, 2}));
        vc.advanceMs(1);
        QCOMPARE(order, (QList<int>{1, 2, 3}));
    }

    void timerRepeatsWhileEnabled()
    {
        int ticks = 0;
        Timer t(100, [&] { ++ticks; });
        t.setEnabled(true);
        vc.advanceMs(350);
        QCOMPARE(ticks, 3);
        t.setEnabled(true);  // no restart
        vc.advanceMs(50);
        QCOMPARE(ticks, 4);
        t.setEnabled(false);
        vc.advanceMs(1000);
        QCOMPARE(ticks, 4);
    }

    void timerTickErrorGoesToTheErrorBox()
    {
        ScriptedOperator o;
        Timer t(100, [&] { t.setEnabled(false); throw Error(QStringLiteral("Unable to open com port (win error code: 2)")); });
        t.setEnabled(true);
        vc.advanceMs(100);
        QCOMPARE(o.shown.size(), 1);
        QCOMPARE(o.shown[0].title, QStringLiteral("TAVO"));
        QCOMPARE(o.shown[0].text, QStringLiteral("Unable to open com port (win error code: 2)"));
        QCOMPARE(o.shown[0].flags, 16);
    }

    void errorBoxDotRule_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Table is busy" << "Table is busy.";
        QTest::newRow("dot") << "Done." << "Done.";
        QTest::newRow("closing parenthesis") << "code: 5)" << "code: 5)";
        QTest::newRow("digit") << "error 5" << "error 5.";
        QTest::newRow("comma") << "a," << "a,";
        QTest::newRow("czech letter") << QString::fromUtf8("neodpovídá") << QString::fromUtf8("neodpovídá.");
        QTest::newRow("empty") << "" << "";
    }
    void errorBoxDotRule()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(errorBoxText(message), shown);
    }

    void strToIntRejectsWhatIsNotAWholeNumber()
    {
        QCOMPARE(strToInt(QStringLiteral("255")), 255);
        QCOMPARE(strToInt(QStringLiteral("-7")), -7);
        for (const char *bad : {"12a", "", "1.5", "x"}) {
            try {
                strToInt(QString::fromLatin1(bad));
                QFAIL(bad);
            } catch (const Error &e) {
                QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(bad)));
            }
        }
    }

    void cp1250RoundTrip()
    {
        const QString czech = QString::fromUtf8("Příliš žluťoučký kůň úpěl ďábelské ódy ŘŠČŽÝÁÍÉŮÚŤĎŇ €");
        const QByteArray bytes = toCp1250(czech);
        QCOMPARE(bytes.size(), czech.size());
        QCOMPARE(uchar(bytes[1]), uchar(0xF8));  // ř
        QCOMPARE(fromCp1250(bytes), czech);
        QVERIFY(fitsCp1250(czech));
        QVERIFY(!fitsCp1250(QString::fromUtf8("日本")));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(toCp1250(fromCp1250(all)), all);
    }

private:
    VirtualClock vc;
};

QTEST_MAIN(TestUi)
#include "test_ui.moc"
