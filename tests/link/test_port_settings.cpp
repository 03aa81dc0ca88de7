// The port settings: "TAVO-port.ini" and the Setup dialog.
#include "link/link.h"
#include "link/port_ini.h"
#include "link/port_setup_dialog.h"
#include "tests/link/fake_port.h"
#include "tests/support/test_files.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QByteArray BuiltInFile = "[ComPort1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\n"
                               "Parity=None\r\nFlowControl=None\r\n";

QByteArray contents(const QString &fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
}

void put(const QString &fileName, const QByteArray &data)
{
    QFile f(fileName);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// "port|baud|custom|stop|data|parity|flow kind"
QString summary(const PortSettings &s)
{
    return QStringList{s.port, s.baudRate, QString::number(s.customBaudRate), s.stopBits, s.dataBits, s.parity,
                       flowKind(s.flow)}
        .join('|');
}

FlowSettings flowOfKind(const QString &kind)
{
    FlowSettings f;
    applyFlowKind(f, kind);
    return f;
}

struct Fixture {
    QTemporaryDir dir;
    QString ini = dir.filePath("TAVO-port.ini");
    FakePort *port = new FakePort;
    Link link{std::unique_ptr<SerialPort>(port)};
};

// Answers the Setup dialog: sets the six lists (empty text: leave it) and presses a button.
void answerSetup(const QStringList &choices, bool ok)
{
    PortSetupDialog::execHook = [choices, ok](PortSetupDialog &d) {
        const QList<QComboBox *> boxes{d.portBox, d.baudRateBox, d.dataBitsBox,
                                       d.stopBitsBox, d.parityBox, d.flowControlBox};
        for (int i = 0; i < choices.size(); ++i)
            if (!choices[i].isEmpty())
                boxes[i]->setCurrentIndex(boxes[i]->findText(choices[i]));
        (ok ? d.okButton : d.cancelButton)->click();
        return d.result();
    };
}
}  // namespace

class TestPortSettings : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { PortSetupDialog::execHook = nullptr; }

    void noFileKeepsBuiltInsAndStoreCreatesIt()
    {
        Fixture f;
        PortSettings s;
        loadPortSettings(f.ini, s);
        QVERIFY(s == PortSettings());
        QCOMPARE(summary(s), QString("COM1|9600|9600|1|8|None|None"));
        storePortSettings(f.ini, s);
        QCOMPARE(contents(f.ini), BuiltInFile);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"TAVO-port.ini"});
    }

    void loadReadsTheSection_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("flowInForce");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("other letter case") << QByteArray("[comport1]\r\nBAUDRATE=19200\r\nparity=even\r\n") << "None"
                                           << "COM1|19200|9600|1|8|Even|None";
        QTest::newRow("rate outside the list") << QByteArray("[ComPort1]\r\nBaudRate=19201\r\n") << "None"
                                               << "COM1|9600|9600|1|8|None|None";
        QTest::newRow("values outside the lists")
            << QByteArray("[ComPort1]\nStopBits=3\nDataBits=9\nParity=Odd-ish\nBaudRate=\n") << "None"
            << "COM1|9600|9600|1|8|None|None";
        QTest::newRow("values in any case")
            << QByteArray("[ComPort1]\nstopbits=1.5\ndatabits=7\nParity=SPACE\nflowcontrol=hardware\n") << "None"
            << "COM1|9600|9600|1.5|7|Space|Hardware";
        QTest::newRow("custom rate") << QByteArray("[ComPort1]\r\nBaudRate=custom\r\nCustomBaudRate=250000\r\n")
                                     << "None" << "COM1|Custom|250000|1|8|None|None";
        QTest::newRow("custom rate only with Custom")
            << QByteArray("[ComPort1]\r\nBaudRate=19200\r\nCustomBaudRate=250000\r\n") << "None"
            << "COM1|19200|9600|1|8|None|None";
        QTest::newRow("custom rate not a number")
            << QByteArray("[ComPort1]\r\nBaudRate=Custom\r\nCustomBaudRate=fast\r\n") << "None"
            << "COM1|Custom|9600|1|8|None|None";
        QTest::newRow("port as written") << QByteArray("[ComPort1]\r\n  Port =  /dev/ttyUSB0 \r\n") << "None"
                                         << "/dev/ttyUSB0|9600|9600|1|8|None|None";
        QTest::newRow("flow outside the list keeps the settings")
            << QByteArray("[ComPort1]\r\nFlowControl=Sometimes\r\n") << "Software" << "COM1|9600|9600|1|8|None|Software";
        QTest::newRow("missing flow keeps the settings") << QByteArray("[ComPort1]\r\n") << "Hardware"
                                                         << "COM1|9600|9600|1|8|None|Hardware";
        QTest::newRow("only its own section")
            << QByteArray("[Other]\r\nBaudRate=19200\r\n[ComPort1]\r\nParity=Odd\r\n[Next]\r\nDataBits=5\r\n") << "None"
            << "COM1|9600|9600|1|8|Odd|None";
        QTest::newRow("comments") << QByteArray("[ComPort1]\r\n;BaudRate=19200\r\nBaudRate=38400\r\n") << "None"
                                  << "COM1|38400|9600|1|8|None|None";
    }
    void loadReadsTheSection()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, flowInForce);
        QFETCH(QString, loaded);
        Fixture f;
        put(f.ini, file);
        PortSettings s;
        s.flow = flowOfKind(flowInForce);
        loadPortSettings(f.ini, s);
        QCOMPARE(summary(s), loaded);
    }

    void customFlowSurvivesLoad()
    {
        Fixture f;
        put(f.ini, "[ComPort1]\r\nFlowControl=Custom\r\n");
        PortSettings s;
        s.flow.rts = FlowSettings::RtsEnable;
        s.flow.dtr = FlowSettings::DtrEnable;
        const FlowSettings before = s.flow;
        loadPortSettings(f.ini, s);
        QVERIFY(s.flow == before);
        storePortSettings(f.ini, s);
        QVERIFY(contents(f.ini).contains("\r\nFlowControl=Custom\r\n"));
    }

    void storeKeepsOtherLines_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("baudRate");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("flow outside the list, stored again")
            << QByteArray("[ComPort1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
                          "FlowControl=Sometimes\r\n")
            << "9600" << BuiltInFile;
        QTest::newRow("other sections, comments, keys and line ends")
            << QByteArray("; port of the reader\n[Printer]\nPort=LPT1\n\n[comport1]\nparity=Odd\nSpeed=fast\n\n"
                          "[Last]\nx=1")
            << "19200"
            << QByteArray("; port of the reader\r\n[Printer]\r\nPort=LPT1\r\n\r\n[comport1]\r\nparity=Odd\r\n"
                          "Speed=fast\r\nPort=COM1\r\nBaudRate=19200\r\nStopBits=1\r\nDataBits=8\r\nFlowControl=None\r\n"
                          "\r\n[Last]\r\nx=1\r\n");
        QTest::newRow("section added at the end") << QByteArray("[Other]\r\nx=1\r\n") << "9600"
                                                  << QByteArray("[Other]\r\nx=1\r\n") + BuiltInFile;
        QTest::newRow("custom rate after the rate")
            << QByteArray() << "Custom"
            << QByteArray("[ComPort1]\r\nPort=COM1\r\nBaudRate=Custom\r\nCustomBaudRate=9600\r\nStopBits=1\r\n"
                          "DataBits=8\r\nParity=None\r\nFlowControl=None\r\n");
        QTest::newRow("old custom rate left alone")
            << QByteArray("[ComPort1]\r\nCustomBaudRate=1234\r\n") << "9600"
            << QByteArray("[ComPort1]\r\nCustomBaudRate=1234\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\n"
                          "DataBits=8\r\nParity=None\r\nFlowControl=None\r\n");
        QTest::newRow("Windows-1250 bytes kept") << QByteArray("; \x8A\xED\xF8ka\r\n") << "9600"
                                                 << QByteArray("; \x8A\xED\xF8ka\r\n") + BuiltInFile;
    }
    void storeKeepsOtherLines()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, baudRate);
        QFETCH(QByteArray, after);
        Fixture f;
        if (!before.isEmpty())
            put(f.ini, before);
        PortSettings s;
        loadPortSettings(f.ini, s);
        s.baudRate = baudRate;
        storePortSettings(f.ini, s);
        QCOMPARE(contents(f.ini), after);
    }

    void fileFailures()
    {
        Fixture f;
        PortSettings s;
        QVERIFY(QDir(f.dir.path()).mkdir("TAVO-port.ini"));  // a folder where the file should be
        QCOMPARE(errorOf([&] { loadPortSettings(f.ini, s); }), QString("Failed to load settings"));
        QCOMPARE(errorOf([&] { storePortSettings(f.ini, s); }), QString("Failed to store settings"));
        QCOMPARE(errorOf([&] { storePortSettings(f.dir.filePath("missing/TAVO-port.ini"), s); }),
                 QString("Failed to store settings"));
    }

    void dialogShowsTheSettingsInForce()
    {
        PortSettings s;
        s.port = "/dev/pts/7";
        s.baudRate = "19200";
        s.stopBits = "2";
        s.dataBits = "7";
        s.parity = "Mark";
        s.flow = flowOfKind("Software");
        PortSetupDialog d(s, {"COM2", "COM1"});
        QCOMPARE(d.windowTitle(), QString("Setup"));
        QCOMPARE(d.findChild<QGroupBox *>()->title(), QString(" Settings "));
        QCOMPARE(d.size(), QSize(231, 216));
        QVERIFY(d.okButton->isDefault());
        QCOMPARE(d.okButton->text(), QString("OK"));
        QCOMPARE(d.cancelButton->text(), QString("Cancel"));
        const QList<QComboBox *> boxes{d.portBox, d.baudRateBox, d.dataBitsBox,
                                       d.stopBitsBox, d.parityBox, d.flowControlBox};
        QStringList shown;
        for (QComboBox *box : boxes) {
            QVERIFY(!box->isEditable());
            shown << box->currentText();
        }
        QCOMPARE(shown, (QStringList{"/dev/pts/7", "19200", "7", "2", "Mark", "Software"}));
        QCOMPARE(items(d.baudRateBox), baudRateTexts());
        QCOMPARE(items(d.flowControlBox), flowControlTexts());
        QCOMPARE(items(d.portBox), (QStringList{"/dev/pts/7", "COM1", "COM2"}));
        QVERIFY(d.selected() == s);
    }

    void portChoicesAreSorted_data()
    {
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QString>("inForce");
        QTest::addColumn<QStringList>("choices");
        QTest::newRow("in force added") << QStringList{"COM10", "COM2", "/dev/ttyUSB0"} << "COM1"
                                        << QStringList{"/dev/ttyUSB0", "COM1", "COM2", "COM10"};
        QTest::newRow("in force listed") << QStringList{"COM3", "COM1"} << "com1" << QStringList{"COM1", "COM3"};
        QTest::newRow("no ports") << QStringList{} << "COM1" << QStringList{"COM1"};
    }
    void portChoicesAreSorted()
    {
        QFETCH(QStringList, system);
        QFETCH(QString, inForce);
        QFETCH(QStringList, choices);
        QCOMPARE(portChoices(system, inForce), choices);
    }

    void okAppliesAllSixTogetherAndStores()
    {
        Fixture f;
        f.link.openPort();
        f.port->calls.clear();
        answerSetup({"", "19200", "7", "2", "Even", "Hardware"}, true);
        runPortSetup(f.link, f.ini, nullptr);
        QCOMPARE(f.port->calls, QStringList{"apply"});
        QCOMPARE(summary(f.port->given.last()), QString("COM1|19200|9600|2|7|Even|Hardware"));
        QCOMPARE(contents(f.ini), QByteArray("[ComPort1]\r\nPort=COM1\r\nBaudRate=19200\r\nStopBits=2\r\n"
                                             "DataBits=7\r\nParity=Even\r\nFlowControl=Hardware\r\n"));
    }

    void okWithAnotherPortSwitchesTheOpenPort()
    {
        Fixture f;
        f.link.openPort();
        f.port->calls.clear();
        PortSetupDialog::execHook = [](PortSetupDialog &d) {
            d.portBox->addItem("/dev/ttyUSB3");  // as if the system had reported it
            d.portBox->setCurrentText("/dev/ttyUSB3");
            d.baudRateBox->setCurrentText("38400");
            d.okButton->click();
            return d.result();
        };
        runPortSetup(f.link, f.ini, nullptr);
        QCOMPARE(f.port->calls, (QStringList{"close", "open /dev/ttyUSB3"}));
        QCOMPARE(f.port->given.last().baudRate, QString("38400"));
        QVERIFY(contents(f.ini).startsWith("[ComPort1]\r\nPort=/dev/ttyUSB3\r\nBaudRate=38400\r\n"));
    }

    void cancelAppliesNothingButStores()
    {
        Fixture f;
        f.link.openPort();
        f.port->calls.clear();
        answerSetup({"", "19200", "7", "2", "Even", "Hardware"}, false);
        runPortSetup(f.link, f.ini, nullptr);
        QVERIFY(f.port->calls.isEmpty());
        QVERIFY(f.link.settings() == PortSettings());
        QCOMPARE(contents(f.ini), BuiltInFile);
    }

    void portRefusedStillStoresTheChoice()
    {
        Fixture f;
        PortSettings s;
        s.port = "/dev/pts/9";
        f.link.applySettings(s);
        f.link.openPort();
        f.port->refuseOpen = true;
        answerSetup({"COM1"}, true);
        QVERIFY_THROWS_EXCEPTION(Error, runPortSetup(f.link, f.ini, nullptr));
        QVERIFY(!f.port->isOpen());
        QCOMPARE(f.link.settings().port, QString("COM1"));
        QCOMPARE(contents(f.ini), BuiltInFile);
    }

private:
    static QStringList items(QComboBox *box)
    {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }
};

QTEST_MAIN(TestPortSettings)
#include "test_port_settings.moc"
