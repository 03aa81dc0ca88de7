#include "cli/session.h"

#include "core/error.h"
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/entry_texts.h"
#include "devices/event_memory/event_format.h"
#include "devices/event_memory/event_list.h"
#include "devices/event_memory/setup_texts.h"
#include "link/port_ini.h"
#include "records/database.h"
#include "records/device_list.h"
#include "records/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cli {

namespace {
const QString DatabaseName = QStringLiteral("DEMO");

// The session whose messages the timers' error guard reports.
Session *reporting = nullptr;
void reportToSession(const QString &message)
{
    if (reporting)
        reporting->fail(message);
}

QString number(qint64 n) { return QString::number(n); }

// The working-set file of the database in the program folder.
QString workingSetPath(const QString &folder)
{
    Database db;
    db.programFolder = folder;
    return db.workingSetFile(DatabaseName);
}
} // namespace

QString withSeparator(const QString &folder)
{
    QString f = QDir::toNativeSeparators(QDir(folder).absolutePath());
    if (!f.endsWith(QDir::separator()))
        f += QDir::separator();
    return f;
}

std::vector<DeviceRow> loadDeviceList(const QString &programFolder)
{
    Table t;
    t.setDatabaseFolder(programFolder);
    t.setTableName(Database::deviceTableName(DatabaseName));
    if (!t.exists())
        throw Error(QStringLiteral("Seznam zařízení ") + t.filePath() + QStringLiteral(" neexistuje"));
    t.open();
    std::vector<DeviceRow> devices;
    for (t.first(); !t.eof(); t.next())
        devices.push_back(deviceRow(t));
    t.close();
    return devices;
}

Session::Session(Link &link, Options options, QTextStream &out, QTextStream &err)
    : link_(link), o_(std::move(options)), out_(out), err_(err), config_(link), scan_(link), read_(link),
      write_(link), range_(link), reading_(link), clock_(link), events_(tavob::EventColumns)
{
    reporting = this;
    setErrorReporter(reportToSession);
    config_.onEnd = [this](const ConfigurationRead::Result &r) {
        step([&] {
            if (!finished_ && r.end != Job::End::PortError)
                notTavoB(r.end == Job::End::Done);
        });
    };
    scan_.onEnd = [this](const NetworkScan::Result &r) { step([&] { scanEnded(r); }); };
    read_.onEnd = [this](const CodeMemoryRead::Result &r) { step([&] { readEnded(r); }); };
    write_.onConfigured = [this](const std::optional<Reply> &) {
        // The device answers the configuration from its address: the write has arrived.
        if (write_.result().configured)
            out_ << device().name << QStringLiteral(": zapsáno 510 kódů") << Qt::endl;
        else
            write_.skipReadBack();
    };
    write_.onEnd = [this](const WorkingSetWrite::Result &r) { step([&] { writeEnded(r); }); };
    range_.onRange = [this](const std::optional<EventRangeValue> &r) { step([&] { eventsRange(r); }); };
    range_.onMoved = [this](EventRange::MoveOutcome o, qint32) { step([&] { startMoved(o); }); };
    reading_.onRows = [this](const QList<QStringList> &rows) { events_.appendRows(rows); };
    reading_.onEnd = [this](const EventReading::Result &r) { step([&] { eventsEnded(r); }); };
}

Session::~Session()
{
    if (reporting == this) {
        reporting = nullptr;
        setErrorReporter(nullptr);
    }
}

// A port error reaches here after the job has ended: the message still goes
// out and the run still fails.
void Session::fail(const QString &message, ExitCode kind)
{
    err_ << errorBoxText(message) << Qt::endl;
    noteFailure(kind);
    if (finished_) {
        exitCode_ = failure_;
        return;
    }
    finish();
}

void Session::finish()
{
    if (finished_)
        return;
    write_.stop();
    read_.stop();
    reading_.stop();
    scan_.stop();
    finished_ = true;
    exitCode_ = failure_;
    out_.flush();
    err_.flush();
    if (onFinished)
        onFinished(exitCode_);
}

void Session::start()
{
    step([this] {
        folder_ = withSeparator(o_.folder);
        if (!QFileInfo(folder_).isDir())
            throw Error(QStringLiteral("Složka programu ") + folder_ + QStringLiteral(" neexistuje"));
        prepareLink();
        if (o_.command == QLatin1String("scan"))
            return scan();
        chooseDevices();
        if (o_.command == QLatin1String("clock") || o_.command == QLatin1String("set-clock"))
            return clockNext();
        if (o_.command == QLatin1String("read-set"))
            return readSet();
        if (o_.command == QLatin1String("events")) {
            // The folder of the events files is made before anything is read,
            // so a download never ends with nowhere to put it.
            if (!o_.out.isEmpty() && !QDir().mkpath(o_.out))
                throw Error(QStringLiteral("Složku ") + o_.out + QStringLiteral(" nelze vytvořit"));
            return eventsNext();
        }
        writeSet();
    });
}

// The port settings of TAVO-port.ini, with the port and trace asked for.
void Session::prepareLink()
{
    PortSettings s = link_.settings();
    loadPortSettings(folder_ + QStringLiteral("TAVO-port.ini"), s);
    if (!o_.port.isEmpty())
        s.port = o_.port;
    if (!o_.trace.isEmpty())
        s.traceFile = o_.trace;
    link_.applySettings(s);
    link_.openPort();
    link_.receiveReset();
}

void Session::chooseDevices()
{
    devices_ = loadDeviceList(folder_);
    if (o_.all)
        return;
    for (const DeviceRow &d : devices_)
        if (d.name == o_.device) {
            devices_ = {d};
            return;
        }
    throw Error(QStringLiteral("Zařízení ") + o_.device + QStringLiteral(" není v seznamu zařízení"));
}

void Session::selectDevice(const DeviceRow &d) { setLinkConfig(link_, {d.address, d.relayTime, d.codeCount}); }

// A reader that left a TAVO-B request unanswered is asked for its
// configuration: a TAVO-M answers it.
void Session::askKind() { config_.start(device().address); }

void Session::noteFailure(ExitCode kind)
{
    if (failure_ == ExitOk)
        failure_ = kind;
}

void Session::deviceFailed(const QString &message, ExitCode kind)
{
    out_ << device().name << QStringLiteral(": ") << message << Qt::endl;
    err_ << device().name << QStringLiteral(": ") << message << Qt::endl;
    noteFailure(kind);
}

// A job that did not run to its end: the port's error itself follows
// through the timers' guard.
void Session::jobFailed(Job::End end)
{
    if (end == Job::End::NoAnswer)
        deviceFailed(noAnswerText(), ExitNoAnswer);
    else
        deviceFailed(QStringLiteral("Přenos nebyl dokončen."), end == Job::End::PortError ? ExitPort : ExitFailure);
}

// --- scan: every address is asked for its configuration, a device that
// answers for its version too.

void Session::scan() { scan_.start(); }

void Session::scanEnded(const NetworkScan::Result &r)
{
    if (finished_)
        return;
    for (const NetworkScan::Found &f : r.found)
        out_ << QStringLiteral("Síťová adresa ") << f.asked << QStringLiteral("  Čas relé ") << f.config.relayTime
             << QStringLiteral("  Počet kódů ") << f.config.codeCount << QStringLiteral("  Verze ")
             << (f.version ? number(*f.version) : QStringLiteral("?")) << Qt::endl;
    if (r.end == Job::End::Done && r.found.isEmpty()) {
        err_ << QStringLiteral("Nenalezeno žádné zařízení.") << Qt::endl;
        noteFailure(ExitNoAnswer);
    }
    if (r.end != Job::End::PortError)
        finish();
}

// --- clock and set-clock: a TAVO-B's clock, written with the PC time first
// for set-clock, then read and set against the PC's time of the request.

void Session::clockNext()
{
    if (index_ >= int(devices_.size()))
        return finish();
    selectDevice(device());
    const auto then = [this](void (Session::*next)(const std::optional<Reply> &)) {
        return [this, next](const std::optional<Reply> &r) { step([&] { (this->*next)(r); }); };
    };
    if (o_.command == QLatin1String("set-clock")) {
        const tavob::ClockBytes time = tavob::clockWriteBytes(tavob::pcTimeText(wallNow()), true);
        clock_.write(time, then(&Session::clockWritten));
        return;
    }
    clock_.read(then(&Session::clockRead));
}

void Session::clockWritten(const std::optional<Reply> &reply)
{
    if (finished_)
        return;
    if (!reply)
        return askKind();
    clock_.read([this](const std::optional<Reply> &r) { step([&] { clockRead(r); }); });
}

void Session::clockRead(const std::optional<Reply> &reply)
{
    if (finished_)
        return;
    if (!reply)
        return askKind();
    const tavob::DateTimeTexts t = tavob::renderDateTime(reply->data(), true);
    const std::optional<qint64> drift = tavob::clockDrift(t, clock_.sentAt());
    out_ << device().name << QStringLiteral(": ") << tavob::dateTimeText(t) << QStringLiteral("  ")
         << tavob::driftText(drift) << Qt::endl;
    if (!drift) {
        err_ << device().name << QStringLiteral(": čas zařízení není platné datum") << Qt::endl;
        noteFailure(ExitFailure);
    }
    ++index_;
    clockNext();
}

// A device that leaves a TAVO-B request unanswered but answers a
// configuration read is a TAVO-M: no failure for --all, which walks the whole
// device list.
void Session::notTavoB(bool configurationAnswered)
{
    const bool events = o_.command == QLatin1String("events");
    if (!configurationAnswered)
        deviceFailed(noAnswerText(), ExitNoAnswer);
    else if (o_.all)
        out_ << device().name << (events ? QStringLiteral(": TAVO-M, bez paměti událostí") : QStringLiteral(": TAVO-M, bez hodin"))
             << Qt::endl;
    else
        deviceFailed(QStringLiteral("Zařízení není TAVO-B."));
    ++index_;
    events ? eventsNext() : clockNext();
}

// --- read-set: 16 blocks of the code memory into the working set.

void Session::readSet()
{
    selectDevice(device());
    LoadWorkingSet(set_, workingSetPath(folder_));
    read_.start(device().address);
}

// Rows 1..510 as the read window fills them: code, flags, no surname; a
// rejected frame is "CHYBA" and fails the run.
void Session::readEnded(const CodeMemoryRead::Result &r)
{
    if (finished_)
        return;
    if (r.end != Job::End::Done || r.entriesRead < CodeMemoryRead::Entries) {
        jobFailed(r.end);
        return finish();
    }
    int rejected = 0;
    for (int s = 1; s <= SlotCount; ++s) {
        const BlockTransfer::Entry &e = r.entries[size_t(s)];
        set_.setCell(1, s, entryCodeText(e));
        set_.setCell(2, s, entryFlagText(e));
        set_.setCell(3, s, QString());
        rejected += int(!e.firstAccepted) + int(!e.secondAccepted);
    }
    const QString file = o_.out.isEmpty() ? workingSetPath(folder_) : o_.out;
    QString reason;
    if (!SaveWorkingSet(set_, file, &reason))
        throw Error(QStringLiteral("Soubor ") + file + QStringLiteral(" nelze zapsat: ") + reason);
    out_ << device().name << QStringLiteral(": přečteno 510 kódů do ") << file << Qt::endl;
    if (rejected > 0)
        deviceFailed(number(rejected) + QStringLiteral(" částí slotů se nepodařilo přečíst (CHYBA)."));
    finish();
}

// --- write-set: the working-set write job; with --verify it reads the code
// memory back and compares it.

void Session::writeSet()
{
    selectDevice(device());
    const QString file = o_.file.isEmpty() ? workingSetPath(folder_) : o_.file;
    if (!QFile::exists(file))
        throw Error(QStringLiteral("Soubor ") + file + QStringLiteral(" neexistuje"));
    LoadWorkingSet(set_, file);
    write_.start(linkConfig(link_), setTexts(set_), o_.verify);
}

// Each differing slot's code and flags as written and as the device holds them.
void Session::writeEnded(const WorkingSetWrite::Result &r)
{
    if (finished_)
        return;
    if (!r.verifying && r.end == Job::End::Done && !r.configured)
        deviceFailed(noAnswerText(), ExitNoAnswer);
    if (r.end != Job::End::Done || !r.configured) {
        if (r.end != Job::End::Done)
            jobFailed(r.end);
        return finish();
    }
    if (!r.verifying)
        return finish();
    for (const WorkingSetWrite::Difference &d : r.differing)
        out_ << device().name << QStringLiteral(": slot ") << slotNumber(d.slot) << QStringLiteral(" se liší: zapsáno ")
             << codeText(d.sent.data()) << QStringLiteral(" ") << flagText(d.sent[8], d.sent[9])
             << QStringLiteral(", v zařízení ") << entryCodeText(d.read) << QStringLiteral(" ") << entryFlagText(d.read)
             << Qt::endl;
    if (!r.differing.isEmpty())
        deviceFailed(QStringLiteral("Ověření zápisu: počet slotů, které se liší: ") + number(r.differing.size())
                         + QStringLiteral("."),
                     ExitDiffers);
    else
        out_ << device().name << QStringLiteral(": ověřeno, všech 510 slotů souhlasí") << Qt::endl;
    finish();
}

} // namespace cli
