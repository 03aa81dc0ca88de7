// The password value and the settings file "TAVO-konfig.txt".
#include "records/user_settings.h"
#include "tests/support/test_files.h"
#include "core/cp1250.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The non-empty cells of h as "c,k=text", row by row.
QStringList filledCells(const Headings &h)
{
    QStringList out;
    for (int k = 0; k < Headings::Rows; ++k)
        for (int c = 0; c < Headings::Cols; ++c)
            if (!h.at(c, k).isEmpty())
                out << QStringLiteral("%1,%2=%3").arg(c).arg(k).arg(h.at(c, k));
    return out;
}

Headings junkHeadings()
{
    Headings h;
    for (int k = 0; k < Headings::Rows; ++k)
        for (int c = 0; c < Headings::Cols; ++c)
            h.at(c, k) = QStringLiteral("junk");
    return h;
}

void writeAll(const QString &fileName, const QByteArray &bytes)
{
    QFile f(fileName);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

const QByteArray emptyLine = ";;;;;;;;;\r\n";
} // namespace

class TestUserSettings : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("TAVO-konfig.txt")); }

private slots:
    void crcCheckValue() { QCOMPARE(oneWireCrc8("123456789"), quint8(0xA1)); }

    void passwordValueKnown_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << "" << "92";
        QTest::newRow("eight X") << "XXXXXXXX" << "92";
        QTest::newRow("padded") << "heslo" << "238";
        QTest::newRow("digits cut at 8") << "123456789" << "7";
        QTest::newRow("capital Czech letter") << QStringLiteral("Č") << "154";
        QTest::newRow("small Czech letter") << QStringLiteral("č") << "50";
    }
    void passwordValueKnown()
    {
        QFETCH(QString, password);
        QFETCH(QString, value);
        QCOMPARE(passwordValue(password), value);
    }

    void passwordsAlike_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("a-z case") << "tajneheslo" << "TAJNEHESLO" << true;
        QTest::newRow("mixed case") << "HeSlO" << "hEsLo" << true;
        QTest::newRow("Czech case kept") << QStringLiteral("žluťoučký") << QStringLiteral("ŽLUŤOUČKÝ") << false;
        QTest::newRow("padding") << "ab" << "abXXXXXX" << true;
        QTest::newRow("small x is X") << "ab" << "abxxxxxx" << true;
        QTest::newRow("after the 8th") << "abcdefgh" << "abcdefghIJK" << true;
        QTest::newRow("8th counts") << "abcdefgh" << "abcdefgi" << false;
    }
    void passwordsAlike()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(passwordValue(a) == passwordValue(b), same);
    }

    void roundTripBytes()
    {
        Headings h;
        h.at(0, 0) = QStringLiteral("Pozice");
        h.at(3, 0) = QStringLiteral("Příjmení");
        h.at(9, 2) = QStringLiteral("a;b;");
        h.at(1, 3) = QStringLiteral("Název");
        h.storedPassword() = QStringLiteral("92");
        QVERIFY(SaveUserSettings(h, file()));
        const QByteArray expected = "Pozice;;;" + toCp1250(QStringLiteral("Příjmení")) + ";;;;;;\r\n" + emptyLine
                                    + ";;;;;;;;;ab\r\n" + ";" + toCp1250(QStringLiteral("Název")) + ";;;;;;;;\r\n"
                                    + "92;;;;;;;;;\r\n";
        QCOMPARE(readFile(file()), expected);
        Headings back = junkHeadings();
        LoadUserSettings(back, file());
        h.at(9, 2) = QStringLiteral("ab");
        QCOMPARE(filledCells(back), filledCells(h));
    }

    void missingFileLeavesAllEmpty()
    {
        Headings h = junkHeadings();
        LoadUserSettings(h, dir.filePath(QStringLiteral("nothing.txt")));
        QCOMPARE(filledCells(h), QStringList());
    }

    void oddFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("empty") << QByteArray() << QStringList();
        QTest::newRow("short") << QByteArray("a;b\r\nc\r\n") << QStringList{"0,0=a", "1,0=b", "0,1=c"};
        QTest::newRow("no last line end") << QByteArray("a\r\n;b") << QStringList{"0,0=a", "1,1=b"};
        QTest::newRow("more than 10 fields")
            << QByteArray("0;1;2;3;4;5;6;7;8;9;10;11\r\nnext\r\n")
            << QStringList{"0,0=0", "1,0=1", "2,0=2", "3,0=3", "4,0=4", "5,0=5", "6,0=6", "7,0=7", "8,0=8", "9,0=9",
                           "0,1=next"};
        QTest::newRow("more than 5 lines")
            << QByteArray("r0\r\nr1\r\nr2\r\nr3\r\n92\r\nr5;x\r\n")
            << QStringList{"0,0=r0", "0,1=r1", "0,2=r2", "0,3=r3", "0,4=92"};
        QTest::newRow("LF and CR alone") << QByteArray("a\nb\rc\r\n") << QStringList{"0,0=a", "0,1=b", "0,2=c"};
        QTest::newRow("Windows-1250") << QByteArray("K\xf3" "d;P\xf8\xedznaky\r\n")
                                      << QStringList{QStringLiteral("0,0=Kód"), QStringLiteral("1,0=Příznaky")};
    }
    void oddFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, cells);
        writeAll(file(), bytes);
        Headings h = junkHeadings();
        LoadUserSettings(h, file());
        QCOMPARE(filledCells(h), cells);
    }

    // Headings that do not fit the 64 KiB the file once had are kept whole both ways.
    void largeFileWhole()
    {
        Headings h;
        h.at(9, 3) = QString(70000, u'ř');
        h.storedPassword() = QStringLiteral("92");
        QVERIFY(SaveUserSettings(h, file()));
        QCOMPARE(readFile(file()).size(), 70000 + 2 + 5 * 11);
        Headings back;
        LoadUserSettings(back, file());
        QCOMPARE(back.at(9, 3), h.at(9, 3));
        QCOMPARE(back.storedPassword(), QStringLiteral("92"));
    }

    void saveIntoMissingFolderFails()
    {
        QVERIFY(!SaveUserSettings(Headings(), dir.filePath(QStringLiteral("no/TAVO-konfig.txt"))));
    }

    // The settings laid into the program folder: the demo headings, the empty password.
    void demoSettings()
    {
        const QString demo = QStringLiteral(TAVO_SOURCE_DIR "/demo/TAVO-konfig.txt");
        Headings h;
        LoadUserSettings(h, demo);
        QCOMPARE(h.storedPassword(), passwordValue(QString()));
        QCOMPARE(h.at(3, 0), QStringLiteral("Příjmení"));
        QCOMPARE(h.at(5, 3), QStringLiteral("Kódů"));
        QVERIFY(SaveUserSettings(h, file()));
        QCOMPARE(readFile(file()), readFile(demo));
    }
};

QTEST_GUILESS_MAIN(TestUserSettings)
#include "test_user_settings.moc"
