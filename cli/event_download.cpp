// The event download of tavo-cli: for each TAVO-B, the range of its event
// buffer, the events after the reader's watermark read with the block
// transfer in pieces of at most 100,000, surnames filled from the person
// list, rows appended to one events file per reader and month, and the
// watermark moved only once the rows are on disk. A save that did not finish
// is rolled back on the next run, so a killed run loses and doubles nothing.
#include "cli/session.h"

#include "core/error.h"
#include "devices/event_memory/event_format.h"
#include "devices/event_memory/event_list.h"
#include "records/database.h"
#include "records/device_list.h"
#include "records/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace cli {

using namespace tavob;

namespace {
QString number(qint64 n) { return QString::number(n); }
} // namespace

void Session::eventsNext()
{
    if (index_ >= int(devices_.size()))
        return finish();
    if (index_ == 0)
        marks_ = readWatermarks(watermarkFile(folder_));
    selectDevice(device());
    range_.refresh();
}

void Session::eventsRange(const std::optional<EventRangeValue> &range)
{
    if (finished_)
        return;
    if (!range)
        return askKind();
    deviceFirst_ = range->first;
    deviceLast_ = range->last;
    // The windows' refusal of a memory never set up.
    if (const std::optional<QString> problem = rangeProblem(*range)) {
        deviceFailed(*problem);
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

// Up to 100,000 events from rangeFirst_, block by block as the reading window reads them.
void Session::startPiece()
{
    pieceCount_ = qMin(remaining_, MaxReading);
    events_.setRowCount(1);
    reading_.start(rangeFirst_, pieceCount_, deviceLast_, true);
}

void Session::eventsEnded(const EventReading::Result &r)
{
    if (finished_)
        return;
    if (r.end != Job::End::Done || r.read < pieceCount_) {
        jobFailed(r.end);
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
            surnames_ = surnamesByCode(persons);
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
        return (void)range_.moveStart(nextEvent(mark.lastEvent));
    ++index_;
    eventsNext();
}

// As the windows' move: the range is read again, then the start goes past
// the last event saved and the device's last event stays as it now is.
void Session::startMoved(EventRange::MoveOutcome outcome)
{
    if (finished_)
        return;
    if (outcome == EventRange::MoveOutcome::Moved)
        out_ << device().name << QStringLiteral(": začátek přesunut na ")
             << nextEvent(marks_.value(device().name).lastEvent) << Qt::endl;
    else if (outcome == EventRange::MoveOutcome::NoAnswer)
        deviceFailed(noAnswerText(), ExitNoAnswer);
    else
        deviceFailed(*rangeProblem({1, -1}));
    ++index_;
    eventsNext();
}

} // namespace cli
