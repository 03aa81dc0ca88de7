#include "cli/session.h"

#include "core/error.h"
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/entry_texts.h"
#include "devices/code_memory/requests.h"
#include "devices/event_memory/event_format.h"
#include "devices/event_memory/event_list.h"
#include "devices/event_memory/requests.h"
#include "devices/event_memory/setup_texts.h"
#include "link/port_ini.h"
#include "records/database.h"
#include "records/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cli {

namespace {
constexpr int AnswerWaitMs = 70;     // a scan's reply, as the scan window waits
constexpr int ClockWaitMs = 200;     // a clock or configuration reply
constexpr int ReplyBytes = 20;
constexpr int PacingMs = 25;
constexpr int EndSlot = SlotCount + 1;
constexpr int EntryCount = 512;
const QString DatabaseName = QStringLiteral("DEMO");

// The session whose messages the timers' error guard reports.
Session *reporting = nullptr;
void reportToSession(const QString &message)
{
    if (reporting)
        reporting->fail(message);
}

int listValue(const QString &text, int max, int fallback)
{
    const int v = deviceField(text);
    return v >= 0 && v <= max ? v : fallback;
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

std::vector<ListedDevice> loadDeviceList(const QString &programFolder)
{
    Table t;
    t.setDatabaseFolder(programFolder);
    t.setTableName(Database::deviceTableName(DatabaseName));
    if (!t.exists())
        throw Error(QStringLiteral("Seznam zařízení ") + t.filePath() + QStringLiteral(" neexistuje"));
    t.open();
    std::vector<ListedDevice> devices;
    for (t.first(); !t.eof(); t.next()) {
        ListedDevice d;
        d.name = t.fieldText(1).isEmpty() ? QStringLiteral("Nepojmenováno") : t.fieldText(1);
        d.address = listValue(t.fieldText(3), 255, 255);
        d.relayTime = listValue(t.fieldText(4), 255, 5);
        d.codeCount = listValue(t.fieldText(5), 510, 510);
        devices.push_back(d);
    }
    t.close();
    return devices;
}

Session::Session(Link &link, Options options, QTextStream &out, QTextStream &err)
    : link_(link), o_(std::move(options)), out_(out), err_(err), transfer_(link), events_(tavob::EventColumns)
{
    reporting = this;
    setErrorReporter(reportToSession);
}

Session::~Session()
{
    for (Clock::Id id : {pacing_, asked_})
        if (id)
            theClock().cancel(id);
    if (reporting == this) {
        reporting = nullptr;
        setErrorReporter(nullptr);
    }
}

// A port error reaches here after the block transfer has ended the run: the
// message still goes out and the run still fails.
void Session::fail(const QString &message, ExitCode kind)
{
    err_ << errorBoxText(message) << Qt::endl;
    noteFailure(kind);
    if (finished_) {
        exitCode_ = failure_;
        return;
    }
    transfer_.pollTimer.setEnabled(false);
    transfer_.blockTimer.setEnabled(false);
    finish();
}

void Session::finish()
{
    if (finished_)
        return;
    for (Clock::Id *id : {&pacing_, &asked_})
        if (*id) {
            theClock().cancel(*id);
            *id = 0;
        }
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
        if (o_.command == QLatin1String("scan")) {
            link_.currentAddress = 0;
            return scanAddress();
        }
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
    for (const ListedDevice &d : devices_)
        if (d.name == o_.device) {
            devices_ = {d};
            return;
        }
    throw Error(QStringLiteral("Zařízení ") + o_.device + QStringLiteral(" není v seznamu zařízení"));
}

void Session::selectDevice(const ListedDevice &d)
{
    link_.currentAddress = qint16(d.address);
    link_.targetAddress = qint16(d.address);
    link_.relayTime = qint16(d.relayTime);
    link_.codeCount = qint16(d.codeCount);
}

// One request, and waitMs later its reply read once and judged.
void Session::ask(const Request &request, int waitMs, std::function<void(bool)> then)
{
    link_.receiveReset();
    link_.send(request);
    asked_ = theClock().callAfterMs(waitMs, [this, then = std::move(then)] {
        asked_ = 0;
        step([this, &then] {
            if (finished_)
                return;
            link_.poll(ReplyBytes);
            then(link_.decode());
        });
    });
}

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

// A block transfer that did not run to its end: the port's error itself
// follows through the timers' guard.
void Session::transferFailed(BlockTransfer::Result result)
{
    if (result == BlockTransfer::Result::NoAnswer)
        deviceFailed(QStringLiteral("Zařízení neodpovídá."), ExitNoAnswer);
    else
        deviceFailed(QStringLiteral("Přenos nebyl dokončen."),
                     result == BlockTransfer::Result::PortError ? ExitPort : ExitFailure);
}

// --- scan: every address is asked for its configuration, a device that
// answers for its version too.

void Session::scanAddress()
{
    ask(tavoM::readConfiguration(), AnswerWaitMs, [this](bool accepted) { takeScanReply(accepted); });
}

void Session::takeScanReply(bool accepted)
{
    const int address = link_.currentAddress;
    if (!accepted)
        return nextAddress(address);
    ++found_;
    const int relayTime = link_.r(1);
    const int codeCount = storedCodeCount(link_.r(2), link_.r(3));
    ask(tavoM::readVersion(), AnswerWaitMs, [this, address, relayTime, codeCount](bool ok) {
        out_ << QStringLiteral("Síťová adresa ") << address << QStringLiteral("  Čas relé ") << relayTime
             << QStringLiteral("  Počet kódů ") << codeCount << QStringLiteral("  Verze ")
             << (ok ? number(link_.r(0)) : QStringLiteral("?")) << Qt::endl;
        nextAddress(address);
    });
}

void Session::nextAddress(int address)
{
    if (address < 255) {
        link_.currentAddress = qint16(address + 1);
        return scanAddress();
    }
    if (found_ == 0) {
        err_ << QStringLiteral("Nenalezeno žádné zařízení.") << Qt::endl;
        noteFailure(ExitNoAnswer);
    }
    finish();
}

// --- clock and set-clock: a TAVO-B's clock, written with the PC time first
// for set-clock, then read and set against the PC's time of the request.

void Session::clockNext()
{
    if (index_ >= int(devices_.size()))
        return finish();
    selectDevice(device());
    sentAt_ = wallNow();
    if (o_.command == QLatin1String("set-clock")) {
        const tavob::ClockBytes time = tavob::clockWriteBytes(tavob::pcTimeText(sentAt_), true);
        return ask(tavoB::writeClock(time), ClockWaitMs, [this](bool ok) { clockWritten(ok); });
    }
    ask(tavoB::readClock(), ClockWaitMs, [this](bool ok) { clockRead(ok); });
}

void Session::clockWritten(bool accepted)
{
    if (!accepted)
        return ask(tavoM::readConfiguration(), ClockWaitMs, [this](bool ok) { notTavoB(ok); });
    sentAt_ = wallNow();
    ask(tavoB::readClock(), ClockWaitMs, [this](bool ok) { clockRead(ok); });
}

void Session::clockRead(bool accepted)
{
    if (!accepted)
        return ask(tavoM::readConfiguration(), ClockWaitMs, [this](bool ok) { notTavoB(ok); });
    const tavob::DateTimeTexts t = tavob::renderDateTime(&link_.frame[4], true);
    const std::optional<qint64> drift = tavob::clockDrift(t, sentAt_);
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
        deviceFailed(QStringLiteral("Zařízení neodpovídá."), ExitNoAnswer);
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
    slot_ = 0;
    transfer_.onBlock = [this](const BlockTransfer::Block &b) { return takeBlock(b); };
    transfer_.onEnd = [this](BlockTransfer::Result r) { step([this, r] { readEnded(r); }); };
    transfer_.readBlocks({tavoM::entryAddress(0), Selector::CodeMemory});
}

std::optional<BlockTransfer::Place> Session::takeBlock(const BlockTransfer::Block &block)
{
    for (int i = 0; i < BlockEntries; ++i) {
        const BlockTransfer::Entry &e = block[size_t(i)];
        entries_[size_t(slot_ + i)] = e.bytes;
        firstOk_[size_t(slot_ + i)] = e.firstAccepted;
        secondOk_[size_t(slot_ + i)] = e.secondAccepted;
    }
    slot_ += BlockEntries;
    if (slot_ < EntryCount)
        return BlockTransfer::Place{tavoM::entryAddress(slot_), Selector::CodeMemory};
    return std::nullopt;
}

void Session::readEnded(BlockTransfer::Result result)
{
    if (finished_)
        return;
    if (result != BlockTransfer::Result::Done || slot_ < EntryCount) {
        transferFailed(result);
        return finish();
    }
    o_.command == QLatin1String("write-set") ? compareSlots() : saveReadSet();
}

// Rows 1..510 as the read window fills them: code, flags, no surname; a
// rejected frame is "CHYBA" and fails the run.
void Session::saveReadSet()
{
    int rejected = 0;
    for (int s = 1; s <= SlotCount; ++s) {
        const auto &b = entries_[size_t(s)];
        set_.setCell(1, s, firstOk_[size_t(s)] ? codeText(b.data()) : QStringLiteral("CHYBA"));
        set_.setCell(2, s, secondOk_[size_t(s)] ? flagText(b[8], b[9]) : QStringLiteral("CHYBA"));
        set_.setCell(3, s, QString());
        rejected += int(!firstOk_[size_t(s)]) + int(!secondOk_[size_t(s)]);
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

// --- write-set: every slot as its code and its flags 25 ms apart, then the
// configuration; with --verify the code memory is read back and compared.

void Session::writeSet()
{
    selectDevice(device());
    const QString file = o_.file.isEmpty() ? workingSetPath(folder_) : o_.file;
    if (!QFile::exists(file))
        throw Error(QStringLiteral("Soubor ") + file + QStringLiteral(" neexistuje"));
    LoadWorkingSet(set_, file);
    slot_ = 0;
    half_ = 2;
    transfer_.onOpened = [this] { step([this] { pacingStep(); }); };
    transfer_.onEnd = [this](BlockTransfer::Result r) { step([this, r] { readEnded(r); }); };
    transfer_.openOnly();
}

// The next step follows 25 ms after the request has left the line.
void Session::armPacing(int bytesSent)
{
    const qint64 dueUs = theClock().nowUs() + link_.port().lineTimeUs(bytesSent) + PacingMs * 1000;
    pacing_ = theClock().callAt(dueUs, [this] {
        pacing_ = 0;
        step([this] { pacingStep(); });
    });
}

void Session::pacingStep()
{
    if (++half_ == 3) {
        half_ = 1;
        ++slot_;
    }
    if (slot_ >= EndSlot)
        return writeConfiguration();
    link_.receiveReset();
    armPacing(half_ == 1 ? link_.send(tavoM::writeCode(slot_, set_.cell(1, slot_)))
                         : link_.send(tavoM::writeFlags(slot_, set_.cell(2, slot_))));
}

// The device answers the configuration from its address: the write has arrived.
void Session::writeConfiguration()
{
    const Request r = tavoM::writeConfiguration(link_.currentAddress, link_.relayTime, link_.codeCount);
    ask(r, ClockWaitMs, [this](bool accepted) {
        if (!accepted) {
            deviceFailed(QStringLiteral("Zařízení neodpovídá."), ExitNoAnswer);
            return finish();
        }
        out_ << device().name << QStringLiteral(": zapsáno 510 kódů") << Qt::endl;
        o_.verify ? verifySet() : finish();
    });
}

void Session::verifySet()
{
    slot_ = 0;
    transfer_.onBlock = [this](const BlockTransfer::Block &b) { return takeBlock(b); };
    transfer_.readBlocks({tavoM::entryAddress(0), Selector::CodeMemory});
}

// Each slot's code and flags as the device holds them against what was written.
void Session::compareSlots()
{
    int differing = 0;
    for (int s = 1; s <= SlotCount; ++s) {
        const auto &b = entries_[size_t(s)];
        const auto code = codeBytes(set_.cell(1, s));
        const auto flags = flagBytes(set_.cell(2, s));
        const bool codeSame = firstOk_[size_t(s)] && std::equal(code.begin(), code.end(), b.begin());
        const bool flagsSame = secondOk_[size_t(s)] && flags[0] == b[8] && flags[1] == b[9];
        if (codeSame && flagsSame)
            continue;
        ++differing;
        out_ << device().name << QStringLiteral(": slot ") << slotNumber(s) << QStringLiteral(" se liší: zapsáno ")
             << codeText(code.data()) << QStringLiteral(" ") << flagText(flags[0], flags[1])
             << QStringLiteral(", v zařízení ")
             << (firstOk_[size_t(s)] ? codeText(b.data()) : QStringLiteral("CHYBA")) << QStringLiteral(" ")
             << (secondOk_[size_t(s)] ? flagText(b[8], b[9]) : QStringLiteral("CHYBA")) << Qt::endl;
    }
    if (differing > 0)
        deviceFailed(QStringLiteral("Ověření zápisu: počet slotů, které se liší: ") + number(differing) + QStringLiteral("."),
                     ExitDiffers);
    else
        out_ << device().name << QStringLiteral(": ověřeno, všech 510 slotů souhlasí") << Qt::endl;
    finish();
}

} // namespace cli
