// The exchange files against a program no one here wrote: LibreOffice Calc,
// run headless (libreoffice-calc-nogui). An exported person list opens in it
// with every Czech letter right, and lists it saves import every record.
#include "exchange/csv_exchange.h"
#include "tests/support/program_fixture.h"
#include "tests/support/table_helpers.h"
#include "tests/support/test_files.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {
// Every column read and written as text, so codes keep their leading zeros.
const QString TextColumns = QStringLiteral("1/2/2/2/3/2/4/2/5/2/6/2/7/2/8/2/9/2");
// LibreOffice's numbers of the character sets.
const QString Windows1250 = QStringLiteral("33");
const QString Utf8 = QStringLiteral("76");

const QList<QStringList> People{
    {"1", "0000000000000001", "Žluťoučký", "Kůň", "Úpěl", "ďábelské", "ódy", "Ř", "ě"},
    {"2", "00000000000000A2", "Šťastná", "Ďáblice", "Čeněk", "Řehoř", "Ňůňa", "Ťápot", "Ľ"},
};
} // namespace

class TestExchangeCompat : public QObject, ProgramFixture {
    Q_OBJECT
    QString soffice;
    QTemporaryDir profile;

private slots:
    void initTestCase()
    {
        soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice is not installed (libreoffice-calc-nogui): tools/deps.sh installs it");
    }
    void init()
    {
        setUp();
        op.fileNames.clear();
    }
    void cleanup() { tearDown(); }

    void anExportOpensInCalc()
    {
        start();
        for (const QStringList &p : People)
            addRecord(form1()->db.Table2, p);
        op.fileNames = {path("osoby.csv")};
        trigger("ExportovatSeznamOsob1");
        // Calc reads the export as Windows-1250 text separated by ";" and saves it as UTF-8.
        const QByteArray back = convert(path("osoby.csv"), Windows1250, Utf8, QStringLiteral("calc"));
        QList<QStringList> rows;
        for (const QByteArray &line : back.split('\n'))
            if (!line.isEmpty())
                rows << QString::fromUtf8(line).split(QLatin1Char(';'));
        QCOMPARE(rows.value(0), QStringLiteral("Č.;Kód;Příjmení;Jméno;Oddělení;Telefon;P1;P2;P3").split(QLatin1Char(';')));
        QCOMPARE(rows.mid(1), People);
    }

    // A list Calc saved, as Windows-1250 (with LF line ends), and as UTF-8
    // with the byte-order mark that spreadsheet programs put before "CSV UTF-8".
    void listsSavedByCalcImport_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::addColumn<bool>("mark");
        QTest::newRow("Windows-1250, LF") << Windows1250 << false;
        QTest::newRow("CSV UTF-8 with a byte-order mark") << Utf8 << true;
    }
    void listsSavedByCalcImport()
    {
        QFETCH(QString, charset);
        QFETCH(bool, mark);
        start();
        QByteArray source = QByteArray("\xEF\xBB\xBF") + "Č.;Kód;Příjmení;Jméno;Oddělení;Telefon;P1;P2;P3\n";
        for (const QStringList &p : People)
            source += p.join(QLatin1Char(';')).toUtf8() + '\n';
        writeFile("source.csv", source);
        QByteArray saved = convert(path("source.csv"), Utf8, charset, QStringLiteral("calc"));
        QVERIFY(!saved.contains('\r'));  // Calc ends its lines with LF alone here
        QVERIFY(!saved.startsWith("\xEF\xBB\xBF"));
        if (mark)
            saved.prepend("\xEF\xBB\xBF");
        writeFile("saved.csv", saved);
        op.fileNames = {path("saved.csv")};
        trigger("ImportovatDoSeznamuOsob");
        Table &t = form1()->db.Table2;
        t.setIndexFieldNames(QString());  // the order of the file
        QCOMPARE(t.recordCount(), People.size());
        for (int r = 0; r < People.size(); ++r)
            for (int f = 0; f < 9; ++f)
                QCOMPARE(t.textAt(r, f), People[r][f]);
    }

private:
    // The CSV file at `from` as Calc reads it in one character set and saves it in another.
    QByteArray convert(const QString &from, const QString &inCharset, const QString &outCharset, const QString &outDir)
    {
        const QString out = dir->filePath(outDir);
        QDir().mkpath(out);
        QProcess p;
        p.start(soffice, {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
                          QStringLiteral("--headless"),
                          QStringLiteral("--infilter=CSV:59,34,%1,1,%2").arg(inCharset, TextColumns),
                          QStringLiteral("--convert-to"),
                          QStringLiteral("csv:Text - txt - csv (StarCalc):59,34,%1,1,,0,false,true,false,false,false").arg(outCharset),
                          QStringLiteral("--outdir"), out, from});
        if (!p.waitForFinished(120000))
            qWarning("soffice did not finish");
        const QByteArray bytes = readFile(out + QLatin1Char('/') + QFileInfo(from).fileName());
        if (bytes.isEmpty())
            qWarning() << "soffice wrote nothing:" << p.readAllStandardError();
        return bytes;
    }
};

QTEST_MAIN(TestExchangeCompat)
#include "test_exchange_compat.moc"
