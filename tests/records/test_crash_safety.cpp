// Crash safety, tested the way SQLite tests it: a child process writes the
// tables (appends, edits, deletes, emptying, a new archive set, a table copy),
// the working-set file and the settings file in a loop, telling the parent
// through a pipe what it starts and what it has finished. The parent kills it
// at random points; afterwards every table opens with the records the child
// finished and nothing else (the one under way may be there whole or not at
// all), and each file is the old or the new one, byte for byte. The same runs
// on a full disk and in a read-only folder, where every failure is reported.

#include "records/database.h"
#include "records/table.h"
#include "records/user_settings.h"
#include "records/working_set.h"
#include "tests/records/file_size_limit.h"
#include "tests/support/test_files.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString Persons = QStringLiteral("osoby");
const QString Archive = QStringLiteral("arch2");
const QString Copy = QStringLiteral("kopie");
const QString SetFile = QStringLiteral("DEMOpracovni.csv");
const QString SettingsFile = QStringLiteral("TAVO-konfig.txt");

enum Op : quint8 { Append, Edit, Delete, Empty, CopyTable, EditSlot, CreateArchive, SaveSet, SaveSettings };

// One message of the child: an operation it starts (done = 0), or its end
// (done = 1, ok, and whether a failure came with its reason).
struct Message {
    quint8 done = 0;
    quint8 op = 0;
    quint8 ok = 0;
    quint8 reported = 0;
    qint32 pos = 0;
    qint32 gen = 0;
};

// What the files hold: each record, slot and file by the generation that wrote it.
struct Model {
    QList<int> persons;               // live records in file order
    QList<int> slotGens{QList<int>(SlotCount, 0)};  // 0: an empty slot
    bool hasCopy = false;
    QList<int> copy;
    int set = 0;
    int settings = 0;
    QString damage;                   // what on disk fits no generation

    // Element by element: Qt's own == hands two empty lists' null data to memcmp.
    static bool same(const QList<int> &a, const QList<int> &b)
    {
        return a.size() == b.size() && std::equal(a.cbegin(), a.cend(), b.cbegin());
    }
    bool operator==(const Model &o) const
    {
        return same(persons, o.persons) && same(slotGens, o.slotGens) && hasCopy == o.hasCopy && same(copy, o.copy) &&
               set == o.set && settings == o.settings && damage.isEmpty() && o.damage.isEmpty();
    }
};

QString keyFor(int gen)
{
    const quint32 mix = quint32(gen) * 2654435761u;
    return QStringLiteral("%1%2").arg(gen, 8, 16, QLatin1Char('0')).arg(mix, 8, 16, QLatin1Char('0')).toUpper();
}

QString flagsFor(int gen) { return QStringLiteral("%1").arg(gen & 0xFFFF, 16, 2, QLatin1Char('0')); }

QString surnameFor(int gen)
{
    static const QStringList names{"Novák", "Dvořáková", "Černý", "Procházka", "Kučerová",
                                   "Veselý", "Horák", "Němcová", "Šťastný", "Pospíšilová"};
    return names[gen % names.size()] + QLatin1Char(' ') + QString::number(gen);
}

// Long enough that records cross the file's pages now and then.
QStringList personFor(int gen)
{
    QStringList r{QString::number(gen), keyFor(gen), surnameFor(gen), QStringLiteral("Účtárna ") + QString::number(gen)};
    for (int i = 4; i < 9; ++i)
        r << QStringLiteral("příliš žluťoučký kůň %1 úpěl %2").arg(gen).arg(i);
    return r;
}

WorkingSet *workingSetFor(int gen)
{
    auto *set = new WorkingSet;
    for (int r = 1; r < WorkingSet::Rows; ++r) {
        set->setCell(1, r, keyFor(gen + r * 7919));
        set->setCell(2, r, flagsFor(gen ^ r));
        set->setCell(3, r, surnameFor(gen + r));
    }
    return set;
}

Headings headingsFor(int gen)
{
    Headings h;
    for (int c = 0; c < Headings::Cols; ++c)
        for (int k = 0; k < Headings::Rows; ++k)
            h.at(c, k) = QStringLiteral("Sloupec č. %1/%2 ř. %3").arg(gen).arg(c).arg(k);
    return h;
}

QByteArray setBytesFor(int gen)
{
    static QHash<int, QByteArray> made;
    if (!made.contains(gen)) {
        std::unique_ptr<WorkingSet> set(workingSetFor(gen));
        made.insert(gen, workingSetBytes(*set));
    }
    return made.value(gen);
}

// The program's own writer makes the expected bytes.
QByteArray settingsBytesFor(int gen)
{
    static QHash<int, QByteArray> made;
    static QTemporaryDir scratch;
    if (!made.contains(gen)) {
        const QString path = scratch.filePath(SettingsFile);
        if (SaveUserSettings(headingsFor(gen), path))
            made.insert(gen, readFile(path));
    }
    return made.value(gen);
}

void apply(Model &m, const Message &b)
{
    switch (b.op) {
    case Append: m.persons.append(b.gen); break;
    case Edit: m.persons[b.pos] = b.gen; break;
    case Delete: m.persons.removeAt(b.pos); break;
    case Empty: m.persons.clear(); break;
    case CopyTable: m.hasCopy = true; m.copy = m.persons; break;
    case EditSlot: m.slotGens[b.pos] = b.gen; break;
    case CreateArchive: m.slotGens = QList<int>(SlotCount, 0); break;
    case SaveSet: m.set = b.gen; break;
    case SaveSettings: m.settings = b.gen; break;
    }
}

// --- the child

void setPerson(Table &t, int gen)
{
    const QStringList values = personFor(gen);
    for (int i = 0; i < values.size(); ++i)
        t.setFieldText(i, values[i]);
    t.post();
}

void emptyPersons(Table &t)
{
    t.close();
    t.setExclusive(true);
    try {
        t.open();
        t.emptyTable();
    } catch (...) {
        t.close();
        t.setExclusive(false);
        t.open();
        throw;
    }
    t.close();
    t.setExclusive(false);
    t.open();
}

void createArchive(Table &t, const QString &folder)
{
    t.close();
    try {
        createArchiveTable(folder, Archive);
    } catch (...) {
        t.open();
        throw;
    }
    t.open();
}

// Runs one operation; false with the reason when it fails.
bool perform(const Message &m, Table &persons, Table &archive, const QString &folder, bool *reported)
{
    try {
        switch (m.op) {
        case Append: persons.append(); setPerson(persons, m.gen); break;
        case Edit: persons.moveTo(m.pos); persons.edit(); setPerson(persons, m.gen); break;
        case Delete: persons.moveTo(m.pos); persons.deleteRecord(); break;
        case Empty: emptyPersons(persons); break;
        case CopyTable: Table::copyTable(folder, Persons, Copy); break;
        case EditSlot:
            archive.moveTo(m.pos);
            archive.edit();
            archive.setFieldText(1, keyFor(m.gen));
            archive.setFieldText(2, flagsFor(m.gen));
            archive.post();
            break;
        case CreateArchive: createArchive(archive, folder); break;
        case SaveSet: {
            std::unique_ptr<WorkingSet> set(workingSetFor(m.gen));
            QString reason;
            const bool ok = SaveWorkingSet(*set, QDir(folder).filePath(SetFile), &reason);
            *reported = !ok && !reason.isEmpty();
            return ok;
        }
        case SaveSettings:
            // This writer reports a failure by its result alone.
            *reported = true;
            return SaveUserSettings(headingsFor(m.gen), QDir(folder).filePath(SettingsFile));
        }
    } catch (const std::exception &e) {
        *reported = e.what()[0] != '\0';
        persons.cancel();
        archive.cancel();
        return false;
    }
    return true;
}

Message choose(std::mt19937 &rng, int persons)
{
    static const int weights[] = {30, 15, 10, 2, 5, 15, 3, 10, 10};
    std::discrete_distribution<int> pick(std::begin(weights), std::end(weights));
    Message m;
    m.op = quint8(pick(rng));
    if ((m.op == Edit || m.op == Delete) && persons == 0)
        m.op = Append;
    const int range = m.op == EditSlot ? SlotCount : qMax(persons, 1);
    m.pos = int(rng() % unsigned(range));
    return m;
}

void send(int fd, const Message &m)
{
    if (write(fd, &m, sizeof m) != sizeof m)
        _exit(4);
}

[[noreturn]] void child(const QString &folder, unsigned seed, int gen, int fd, int ops, long long sizeLimit, uid_t user)
{
    if (user != 0 && (setgid(user) != 0 || setuid(user) != 0))
        _exit(2);
    std::unique_ptr<FileSizeLimit> limit;
    if (sizeLimit > 0)
        limit = std::make_unique<FileSizeLimit>(sizeLimit);
    // An error a close reports goes nowhere: the operation's own error is the one counted.
    setErrorReporter([](const QString &) {});
    std::mt19937 rng(seed);
    Table persons, archive;
    try {
        for (auto [t, name] : {std::pair{&persons, Persons}, std::pair{&archive, Archive}}) {
            t->setDatabaseFolder(folder);
            t->setTableName(name);
            t->open();
        }
    } catch (const Error &) {
        _exit(3);
    }
    for (int i = 0; i < ops; ++i) {
        Message m = choose(rng, persons.recordCount());
        m.gen = ++gen;
        send(fd, m);
        bool reported = false;
        m.ok = perform(m, persons, archive, folder, &reported);
        m.reported = reported;
        m.done = 1;
        send(fd, m);
    }
    _exit(0);
}

// --- the parent

// The generations of a table's live records, in file order; what does not
// fit one goes to damage.
QList<int> readGens(const QString &folder, const QString &name, QString *damage)
{
    QList<int> gens;
    Table t;
    t.setDatabaseFolder(folder);
    t.setTableName(name);
    try {
        t.open();
    } catch (const Error &e) {
        *damage += e.text() + QLatin1Char('\n');
        return gens;
    }
    for (int p = 0; p < t.recordCount(); ++p) {
        const int gen = t.textAt(p, 0).toInt();
        QStringList values;
        for (int f = 0; f < t.fieldCount(); ++f)
            values << t.textAt(p, f);
        if (values != personFor(gen))
            *damage += name + QStringLiteral(": record %1 is no record the child wrote: ").arg(p) + values.join('|') + '\n';
        gens << gen;
    }
    return gens;
}

QList<int> readSlots(const QString &folder, QString *damage)
{
    QList<int> slotGens;
    Table t;
    t.setDatabaseFolder(folder);
    t.setTableName(Archive);
    try {
        t.open();
    } catch (const Error &e) {
        *damage += e.text() + QLatin1Char('\n');
        return slotGens;
    }
    if (t.recordCount() != SlotCount)
        *damage += QStringLiteral("the archive set holds %1 slotGens\n").arg(t.recordCount());
    for (int p = 0; p < t.recordCount(); ++p) {
        const QString key = t.textAt(p, 1);
        const int gen = key.isEmpty() ? 0 : key.left(8).toInt(nullptr, 16);
        const bool right = t.textAt(p, 0) == slotNumber(p + 1) &&
                           (gen == 0 ? t.textAt(p, 2).isEmpty() : key == keyFor(gen) && t.textAt(p, 2) == flagsFor(gen));
        if (!right)
            *damage += QStringLiteral("archive slot %1 is no slot the child wrote\n").arg(p + 1);
        slotGens << gen;
    }
    return slotGens;
}

// The generation whose bytes the file holds, of the two it may hold; -1 for neither.
int whichOf(const QByteArray &bytes, int a, int b, QByteArray (*bytesFor)(int))
{
    if (bytes == bytesFor(a))
        return a;
    return bytes == bytesFor(b) ? b : -1;
}

Model readModel(const QString &folder, const Model &before, const Model &after)
{
    Model m;
    m.persons = readGens(folder, Persons, &m.damage);
    m.slotGens = readSlots(folder, &m.damage);
    m.hasCopy = Table::exists(folder, Copy);
    if (m.hasCopy)
        m.copy = readGens(folder, Copy, &m.damage);
    const QDir dir(folder);
    m.set = whichOf(readFile(dir.filePath(SetFile)), before.set, after.set, setBytesFor);
    m.settings = whichOf(readFile(dir.filePath(SettingsFile)), before.settings, after.settings, settingsBytesFor);
    if (m.set < 0)
        m.damage += QStringLiteral("the working-set file is neither the old nor the new one\n");
    if (m.settings < 0)
        m.damage += QStringLiteral("the settings file is neither the old nor the new one\n");
    return m;
}

QString describe(const Model &m)
{
    QStringList slotGens;
    for (int i = 0; i < m.slotGens.size(); ++i)
        if (m.slotGens[i])
            slotGens << QStringLiteral("%1:%2").arg(i).arg(m.slotGens[i]);
    auto list = [](const QList<int> &l) {
        QStringList s;
        for (int v : l)
            s << QString::number(v);
        return s.join(',');
    };
    return QStringLiteral("persons [%1] slotGens [%2] copy %3[%4] set %5 settings %6")
        .arg(list(m.persons), slotGens.join(','), m.hasCopy ? "" : "none ", list(m.copy))
        .arg(m.set)
        .arg(m.settings);
}

// Fresh files: an empty person list, an archive set of empty slotGens, the
// working set and the settings of generation 0.
void makeFiles(const QString &folder)
{
    Table::create(folder, Persons, personFields());
    createArchiveTable(folder, Archive);
    std::unique_ptr<WorkingSet> set(workingSetFor(0));
    QVERIFY(SaveWorkingSet(*set, QDir(folder).filePath(SetFile)));
    QVERIFY(SaveUserSettings(headingsFor(0), QDir(folder).filePath(SettingsFile)));
}

QList<Message> readMessages(int fd)
{
    QList<Message> out;
    QByteArray bytes;
    char buf[4096];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
        bytes.append(buf, n);
    for (qsizetype at = 0; at + qsizetype(sizeof(Message)) <= bytes.size(); at += sizeof(Message)) {
        Message m;
        memcpy(&m, bytes.constData() + at, sizeof m);
        out << m;
    }
    return out;
}

// Starts the child; its pid, and the read end of its pipe in *fd.
pid_t start(const QString &folder, unsigned seed, int gen, int ops, long long sizeLimit, uid_t user, int *fd)
{
    int p[2];
    if (pipe(p) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(p[0]);
        child(folder, seed, gen, p[1], ops, sizeLimit, user);
    }
    close(p[1]);
    *fd = p[0];
    return pid;
}

// Applies what the child finished; the operation under way, if any, in *pending.
// Every failure must have been reported.
bool replay(const QList<Message> &messages, Model &model, Message *pending, int *failures)
{
    bool open = false;
    for (const Message &m : messages) {
        if (!m.done) {
            *pending = m;
            open = true;
            continue;
        }
        open = false;
        if (m.ok)
            apply(model, m);
        else if (!m.reported)
            return false;
        else
            ++*failures;
    }
    return open;
}

// A folder the child writes into as the given user (the owner's rights
// decide, not root's).
void handOver(const QString &folder, uid_t user, mode_t dirMode, mode_t fileMode)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files)) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        QVERIFY(chown(path.constData(), user, user) == 0);
        QVERIFY(chmod(path.constData(), fileMode) == 0);
    }
    const QByteArray path = QFile::encodeName(folder);
    QVERIFY(chown(path.constData(), user, user) == 0);
    QVERIFY(chmod(path.constData(), dirMode) == 0);
}
} // namespace

class TestCrashSafety : public QObject {
    Q_OBJECT

    // Runs a child for its operations to the end and checks the files hold
    // exactly what it reports as done, every failure reported.
    void runToEnd(const QString &folder, long long sizeLimit, uid_t user, int *failures)
    {
        Model model;
        int fd = -1;
        const pid_t pid = start(folder, 7, 0, 80, sizeLimit, user, &fd);
        QVERIFY(pid > 0);
        int status = 0;
        QCOMPARE(waitpid(pid, &status, 0), pid);
        const QList<Message> messages = readMessages(fd);
        close(fd);
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, qPrintable(QString::number(status)));
        Message pending;
        QVERIFY2(!replay(messages, model, &pending, failures), "a failure was not reported or an operation did not end");
        const Model disk = readModel(folder, model, model);
        QVERIFY2(disk == model, qPrintable(disk.damage + "\nfiles: " + describe(disk) + "\nchild: " + describe(model)));
    }

private slots:
    void killedAtRandomPoints()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path();
        makeFiles(folder);
        std::mt19937 rng(20240917);
        std::uniform_int_distribution<int> delay(0, 15000);  // microseconds
        Model model;
        int inFlight = 0;
        for (int kill = 0; kill < 200; ++kill) {
            int fd = -1;
            const pid_t pid = start(folder, unsigned(kill + 1), (kill + 1) * 100000, INT_MAX, 0, 0, &fd);
            QVERIFY(pid > 0);
            usleep(useconds_t(delay(rng)));
            ::kill(pid, SIGKILL);
            int status = 0;
            QCOMPARE(waitpid(pid, &status, 0), pid);
            const QList<Message> messages = readMessages(fd);
            close(fd);
            QVERIFY2(WIFSIGNALED(status), "the child ended before it was killed");
            int failures = 0;
            Message pending;
            Model done = model;
            const bool open = replay(messages, done, &pending, &failures);
            QCOMPARE(failures, 0);
            Model withPending = done;
            if (open) {
                apply(withPending, pending);
                ++inFlight;
            }
            const Model disk = readModel(folder, done, withPending);
            QVERIFY2(disk == done || disk == withPending,
                     qPrintable(QStringLiteral("after kill %1:\n").arg(kill) + disk.damage + "files: " + describe(disk) +
                                "\ndone: " + describe(done) + "\nunder way: " + describe(withPending)));
            model = disk;
        }
        qInfo("200 kills, %d of them while an operation was under way; %d live records at the end",
              inFlight, int(model.persons.size()));
    }

    void fullDisk_data()
    {
        QTest::addColumn<long long>("fileSizeLimit");
        QTest::addColumn<int>("tmpfsKiB");
        QTest::newRow("file size limit 4 KiB") << 4096LL << 0;
        QTest::newRow("file size limit 16 KiB") << 16384LL << 0;
        QTest::newRow("file size limit 20 KiB") << 20480LL << 0;
        QTest::newRow("tmpfs of 64 KiB") << 0LL << 64;
    }

    void fullDisk()
    {
        QFETCH(long long, fileSizeLimit);
        QFETCH(int, tmpfsKiB);
        QTemporaryDir tmp;
        QString folder = tmp.path();
        struct Unmount {
            QByteArray path;
            ~Unmount()
            {
                if (!path.isEmpty())
                    umount2(path.constData(), MNT_DETACH);
            }
        } unmount;
        if (tmpfsKiB) {
            folder = tmp.filePath("disk");
            QVERIFY(QDir().mkdir(folder));
            const QByteArray options = "size=" + QByteArray::number(tmpfsKiB) + "k";
            if (mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0)
                QSKIP("a tmpfs cannot be mounted here");
            unmount.path = QFile::encodeName(folder);
        }
        makeFiles(folder);
        int failures = 0;
        runToEnd(folder, fileSizeLimit, 0, &failures);
        QVERIFY2(failures > 0, "the disk never filled");
        qInfo("%d operations failed, each reported", failures);
    }

    void readOnlyFolder_data()
    {
        QTest::addColumn<int>("fileMode");
        QTest::newRow("folder read-only, files writable") << 0644;
        QTest::newRow("folder and files read-only") << 0444;
    }

    void readOnlyFolder()
    {
        QFETCH(int, fileMode);
        QTemporaryDir tmp;
        const QString folder = tmp.filePath("ro");
        QVERIFY(QDir().mkdir(folder));
        makeFiles(folder);
        // Root writes anywhere: the child then runs as nobody.
        const uid_t user = geteuid() == 0 ? 65534 : 0;
        QVERIFY(chmod(QFile::encodeName(tmp.path()).constData(), 0755) == 0);
        handOver(folder, user ? user : geteuid(), 0555, mode_t(fileMode));
        int failures = 0;
        runToEnd(folder, 0, user, &failures);
        QVERIFY(chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        QVERIFY2(failures > 0, "nothing failed in a read-only folder");
        qInfo("%d operations failed, each reported", failures);
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "test_crash_safety.moc"
