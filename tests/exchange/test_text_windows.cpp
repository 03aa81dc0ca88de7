// The about and help windows and their text files.
#include "exchange/tform10.h"
#include "exchange/tform8.h"
#include "tests/support/test_files.h"
#include "core/error.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

class TestTextWindows : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString folder() const { return dir.path() + QDir::separator(); }

private slots:
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString lines = QStringLiteral("Nápověda\n\nŽluťoučký kůň\n");
        QTest::newRow("CR LF") << QByteArray("N\xe1pov\xec" "da\r\n\r\n\x8elu\x9dou\xe8k\xfd k\xf9\xf2\r\n") << lines;
        QTest::newRow("LF") << QByteArray("N\xe1pov\xec" "da\n\n\x8elu\x9dou\xe8k\xfd k\xf9\xf2\n") << lines;
        QTest::newRow("CR") << QByteArray("N\xe1pov\xec" "da\r\r\x8elu\x9dou\xe8k\xfd k\xf9\xf2\r") << lines;
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        writeFile(folder() + QStringLiteral("TAVO-napoveda.txt"), bytes);
        TForm10 f(folder());
        QCOMPARE(f.Memo1->toPlainText(), text);
        QCOMPARE(f.windowTitle(), QStringLiteral("Nápověda programu TAVO"));
    }

    void typedTextIsNotWritten()
    {
        const QString file = folder() + QStringLiteral("TAVO-oprogramu.txt");
        writeFile(file, "TAVO\r\n");
        {
            TForm8 f(folder());
            QCOMPARE(f.windowTitle(), QStringLiteral("TAVO verze 21"));
            QCOMPARE(f.Memo1->toPlainText(), QStringLiteral("TAVO\n"));
            QVERIFY(!f.Memo1->isReadOnly());
            f.Memo1->insertPlainText(QStringLiteral("psáno"));
            f.close();
        }
        QCOMPARE(readFile(file), QByteArray("TAVO\r\n"));
        TForm8 again(folder());
        QCOMPARE(again.Memo1->toPlainText(), QStringLiteral("TAVO\n"));
    }

    void unreadableFile_data()
    {
        QTest::addColumn<bool>("about");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("about missing") << true << "TAVO-oprogramu.txt";
        QTest::newRow("help is a folder") << false << "TAVO-napoveda.txt";
    }
    void unreadableFile()
    {
        QFETCH(bool, about);
        QFETCH(QString, fileName);
        QTemporaryDir empty;
        const QString folder = empty.path() + QDir::separator();
        if (!about)
            QVERIFY(QDir(empty.path()).mkdir(fileName));
        try {
            if (about)
                TForm8 f(folder);
            else
                TForm10 f(folder);
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.text(), QStringLiteral("Cannot open file ") + folder + fileName);
        }
    }

    // The texts laid into the program folder: Windows-1250 with CR LF throughout.
    void demoTextBytes_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("about") << "TAVO-oprogramu.txt";
        QTest::newRow("help") << "TAVO-napoveda.txt";
    }
    void demoTextBytes()
    {
        QFETCH(QString, fileName);
        const QByteArray bytes = readFile(QStringLiteral(TAVO_SOURCE_DIR "/demo/") + fileName);
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString asUtf8 = utf8.decode(bytes);
        QVERIFY(!asUtf8.isEmpty());
        QVERIFY2(utf8.hasError(), "the text reads as UTF-8");
    }

    void demoTextsCoverTheProgram()
    {
        const QString demo = QStringLiteral(TAVO_SOURCE_DIR "/demo/");
        const QString about = TForm8(demo).Memo1->toPlainText();
        for (const char *subject : {"TAVO verze 21", "TAVO-M", "TAVO-B", "přístupového systému"})
            QVERIFY2(about.contains(QString::fromUtf8(subject)), subject);
        const QString help = TForm10(demo).Memo1->toPlainText();
        for (const char *menu : {"\nSoubor\n", "\nTransport dat\n", "\nPomůcky\n", "\nMazání tabulek\n",
                                 "\nNastavení\n", "\nTAVO-M\n", "\nTAVO-B\n", "\nInfo\n"})
            QVERIFY2(help.contains(QString::fromUtf8(menu)), menu);
    }
};

QTEST_MAIN(TestTextWindows)
#include "test_text_windows.moc"
