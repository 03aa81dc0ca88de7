// The event download of tavo-cli: for each TAVO-B, the range of its event
// buffer, the events after the reader's watermark read with the block
// transfer in pieces of at most 100,000, surnames filled from the person
// list, rows appended to one events file per reader and month, and the
// watermark moved only once the rows are on disk. A save that did not finish
// is rolled back on the next run, so a killed run loses and doubles nothing.
#include "cli/session.h"

#include "core/error.h"
#include "devices/code_memory/requests.h"
#include "devices/event_memory/event_format.h"
#include "devices/event_memory/event_list.h"
#include "devices/event_memory/requests.h"
#include "records/database.h"
#include "records/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace cli {

using namespace tavob;

namespace {
constexpr int RangeWaitMs = 200;

QString number(qint64 n) { return QString::number(n); }
} // namespace

void Session::askRange(std::function<void(bool)> then)
{
    ask(tavoB::readPointers(Selector::EventBuffer), RangeWaitMs, std::move(then));
}

void Session::eventsNext()
{
    if (index_ >= int(devices_.size()))
        return finish();
    if (index_ == 0)
        marks_ = readWatermarks(watermarkFile(folder_));
    selectDevice(device());
    askRange([this](bool ok) { eventsRange(ok); });
}

void Session::eventsRange(bool accepted)
{
    if (!accepted)
        return ask(tavoM::readConfiguration(), RangeWaitMs, [this](bool ok) { notTavoB(ok); });
    deviceFirst_ = eventOfPointer(link_.r(0), link_.r(1), link_.r(2), link_.r(3));
    deviceLast_ = eventOfPointer(link_.r(4), link_.r(5), link_.r(6), link_.r(7));
    if (rangeOffRing()) {
        ++index_;
        return eventsNext();
    }
    Watermark &mark = marks_[device().name];
    const bool known = marks_.contains(device().name) && !mark.dateTime.isEmpty();
    if (!mark.pending.isEmpty()) {
        rollBack(mark);
        writeWatermarks(watermarkFile(folder_), marks_);
    }
    const DownloadPlan plan = planDownload(known ? std::optional<qint32>(mark.lastEvent) : std::nullopt,
                                           deviceFirst_, deviceLast_);
    if (plan.overwritten > 0)
        err_ << device().name << QStringLiteral(": ") << plan.overwritten
             << QStringLiteral(" událostí bylo přepsáno před načtením") << Qt::endl;
    rangeFirst_ = plan.start;
    remaining_ = plan.count;
    readCount_ = 0;
    remaining_ > 0 ? startPiece() : deviceDone();
}

// The windows' refusal of a memory never set up.
bool Session::rangeOffRing()
{
    if (deviceFirst_ < 1 || deviceFirst_ > RingSize)
        deviceFailed(QStringLiteral("Počátek paměti událostí je mimo platnou oblast. Proveďte Aktivaci TAVO-B."));
    else if (deviceLast_ < 0 || deviceLast_ > RingSize)
        deviceFailed(QStringLiteral("Konec paměti událostí je mimo platnou oblast. Proveďte Aktivaci TAVO-B."));
    else
        return false;
    return true;
}

// Up to 100,000 events from rangeFirst_, block by block as the reading window reads them.
void Session::startPiece()
{
    pieceCount_ = qMin(remaining_, MaxReading);
    currentEvent_ = firstEventOfBlock(rangeFirst_);
    blockAddress_ = blockAddress(rangeFirst_);
    nextRow_ = 1;
    events_.setRowCount(1);
    transfer_.onBlock = [this](const BlockTransfer::Block &b) { return takeEventBlock(b); };
    transfer_.onEnd = [this](BlockTransfer::Result r) { step([this, r] { eventsEnded(r); }); };
    link_.receiveReset();
    transfer_.readBlocks(eventPlace());
}

// The newest block from the device event buffer, the others from the card.
BlockTransfer::Place Session::eventPlace() const
{
    if (blockInEventBuffer(currentEvent_, deviceLast_))
        return tavoB::eventBlock(currentEvent_, true);
    return {blockAddress_, Selector::Card};
}

std::optional<BlockTransfer::Place> Session::takeEventBlock(const BlockTransfer::Block &block)
{
    QList<QStringList> rows;
    for (const BlockTransfer::Entry &entry : block) {
        if (nextRow_ <= pieceCount_ && currentEvent_ >= rangeFirst_) {
            rows << eventRow(currentEvent_, entry.bytes.data(), entry.firstAccepted, true);
            ++nextRow_;
        }
        if (++currentEvent_ > RingSize) {
            currentEvent_ = 1;
            rangeFirst_ = 1;
        }
    }
    events_.appendRows(rows);
    blockAddress_ = nextBlockAddress(blockAddress_);
    if (nextRow_ <= pieceCount_)
        return eventPlace();
    return std::nullopt;
}

void Session::eventsEnded(BlockTransfer::Result result)
{
    if (finished_)
        return;
    if (result != BlockTransfer::Result::Done || nextRow_ <= pieceCount_) {
        transferFailed(result);
        ++index_;
        return eventsNext();
    }
    savePiece();
}

// The piece goes to its files, then the watermark past its last event.
void Session::savePiece()
{
    fillSurnames();
    Watermark &mark = marks_[device().name];
    appendToFiles(mark);
    const int lastRow = events_.rowCount() - 1;
    mark.lastEvent = events_.cell(ColEvent, lastRow).toInt();
    mark.dateTime = rowDateTimeText(events_, lastRow);
    mark.pending.clear();
    writeWatermarks(watermarkFile(folder_), marks_);
    readCount_ += pieceCount_;
    remaining_ -= pieceCount_;
    rangeFirst_ = nextEvent(mark.lastEvent);
    remaining_ > 0 ? startPiece() : deviceDone();
}

// Surnames by code from the person list, read once a run (first record of a code wins).
void Session::fillSurnames()
{
    if (!surnamesLoaded_) {
        surnamesLoaded_ = true;
        Table persons;
        persons.setDatabaseFolder(folder_);
        persons.setTableName(Database::personTableName(QStringLiteral("DEMO")));
        if (persons.exists()) {
            persons.open();
            const int code = persons.fieldIndex(QStringLiteral("OS1")), surname = persons.fieldIndex(QStringLiteral("OS2"));
            for (persons.first(); !persons.eof(); persons.next())
                if (!surnames_.contains(persons.fieldText(code)))
                    surnames_.insert(persons.fieldText(code), persons.fieldText(surname));
            persons.close();
        }
    }
    tavob::fillSurnames(events_, events_.rowCount() - 1, [this](const QString &code) {
        const auto it = surnames_.constFind(code);
        return it == surnames_.cend() ? std::nullopt : std::optional<QString>(*it);
    });
}

// One file per reader and month, "<name>-2026-12.csv"; a new file starts with
// the title line. Rows go to their month's file in runs of consecutive rows of
// one month: a clock set back across a month's end gives interleaved months,
// and each row still goes to one file only. The sizes before the append are
// kept first, so a run that dies in the middle is rolled back.
void Session::appendToFiles(Watermark &mark)
{
    const QString dir = o_.out.isEmpty() ? folder_ : withSeparator(o_.out);
    struct Run {
        QString file;
        int first, last;
    };
    std::vector<Run> runs;
    for (int row = 1; row < events_.rowCount(); ++row) {
        const QString file = dir + device().name + QLatin1Char('-') + events_.cell(ColYear, row) + QLatin1Char('-')
            + events_.cell(ColMonth, row) + QStringLiteral(".csv");
        if (!runs.empty() && runs.back().file == file)
            runs.back().last = row;
        else
            runs.push_back({file, row, row});
    }
    QSet<QString> kept;
    for (const Run &r : runs)
        if (!kept.contains(r.file)) {
            kept.insert(r.file);
            mark.pending.append({r.file, QFileInfo(r.file).size()});
        }
    writeWatermarks(watermarkFile(folder_), marks_);
    for (const Run &r : runs) {
        QFile f(r.file);
        const bool fresh = !f.exists() || f.size() == 0;
        QByteArray bytes = eventsFileBytes(events_, r.first, r.last);
        if (!fresh)
            bytes = bytes.mid(bytes.indexOf("\r\n") + 2);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Append) || f.write(bytes) != bytes.size() || !f.flush())
            throw Error(QStringLiteral("Soubor ") + r.file + QStringLiteral(" nelze zapsat: ") + f.errorString());
    }
}

void Session::deviceDone()
{
    const Watermark mark = marks_.value(device().name);
    out_ << device().name << QStringLiteral(": ")
         << (readCount_ > 0 ? QStringLiteral("načteno ") + number(readCount_) + QStringLiteral(" událostí, poslední ")
                                  + number(mark.lastEvent) + QStringLiteral(" (") + mark.dateTime + QStringLiteral(")")
                            : QStringLiteral("žádné nové události"))
         << Qt::endl;
    if (o_.moveStart && readCount_ > 0)
        return askRange([this](bool ok) { moveStart(ok); });
    ++index_;
    eventsNext();
}

// As the windows' mend: the range is read again, then the start goes past the
// last event saved and the device's last event stays as it now is.
void Session::moveStart(bool accepted)
{
    if (!accepted) {
        deviceFailed(QStringLiteral("Zařízení neodpovídá."), ExitNoAnswer);
        ++index_;
        return eventsNext();
    }
    const qint32 last = eventOfPointer(link_.r(4), link_.r(5), link_.r(6), link_.r(7));
    const qint32 start = nextEvent(marks_.value(device().name).lastEvent);
    ask(tavoB::writePointers(start, last), RangeWaitMs, [this, start](bool ok) {
        if (ok)
            out_ << device().name << QStringLiteral(": začátek přesunut na ") << start << Qt::endl;
        else
            deviceFailed(QStringLiteral("Zařízení neodpovídá."), ExitNoAnswer);
        ++index_;
        eventsNext();
    });
}

} // namespace cli
