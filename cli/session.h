#pragma once
// One run of tavo-cli: a loop over the devices of the command driving the
// same device jobs as the windows, on the clock in force. Results go to `out`
// one line per device, messages to `err`; the run ends with an exit code of
// cli::ExitCode.

#include "cli/options.h"
#include "cli/watermark.h"
#include "core/error.h"
#include "core/text_table.h"
#include "devices/code_memory/jobs.h"
#include "devices/event_memory/jobs.h"
#include "link/job.h"
#include "link/link.h"
#include "records/device_list.h"
#include "records/working_set.h"

#include <QDateTime>
#include <QHash>
#include <QTextStream>
#include <functional>
#include <vector>

namespace cli {

// The devices of the program folder's device list (database DEMO), as the
// device selection takes them.
std::vector<DeviceRow> loadDeviceList(const QString &programFolder);

// "folder/" for a folder given with or without its separator.
QString withSeparator(const QString &folder);

class Session {
public:
    Session(Link &link, Options options, QTextStream &out, QTextStream &err);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Starts the command; the rest runs on the clock's timers.
    void start();
    bool finished() const { return finished_; }
    int exitCode() const { return exitCode_; }
    std::function<void(int)> onFinished;

    // An error raised where the timers' guard caught it; a port's error has
    // the kind ExitPort.
    void fail(const QString &message, ExitCode kind = ExitFailure);

private:
    template <class F> void step(F body);
    void askKind();
    void finish();
    void prepareLink();
    void chooseDevices();
    void selectDevice(const DeviceRow &d);
    const DeviceRow &device() const { return devices_[size_t(index_)]; }
    void deviceFailed(const QString &message, ExitCode kind = ExitFailure);
    void noteFailure(ExitCode kind);
    void jobFailed(Job::End end);

    void scan();
    void scanEnded(const NetworkScan::Result &r);

    void clockNext();
    void clockWritten(const std::optional<Reply> &reply);
    void clockRead(const std::optional<Reply> &reply);
    void notTavoB(bool configurationAnswered);
    void eventsNext();
    void eventsRange(const std::optional<EventRangeValue> &range);
    void startPiece();
    void eventsEnded(const EventReading::Result &r);
    void savePiece();
    void fillSurnames();
    void appendToFiles(Watermark &mark);
    void deviceDone();
    void startMoved(EventRange::MoveOutcome outcome);

    void readSet();
    void readEnded(const CodeMemoryRead::Result &r);
    void writeSet();
    void writeEnded(const WorkingSetWrite::Result &r);

    Link &link_;
    Options o_;
    QTextStream &out_;
    QTextStream &err_;
    QString folder_;
    std::vector<DeviceRow> devices_;
    int index_ = 0;
    bool finished_ = false;
    ExitCode failure_ = ExitOk;  // the kind of the first failure
    int exitCode_ = ExitOk;

    // The device jobs the commands drive.
    ConfigurationRead config_;
    NetworkScan scan_;
    CodeMemoryRead read_;
    WorkingSetWrite write_;
    EventRange range_;
    EventReading reading_;
    DeviceClock clock_;

    WorkingSet set_;    // what is written, or the set the read fills

    // events: the reader's range, the piece being read and what the run has read.
    Watermarks marks_;
    QHash<QString, QString> surnames_;
    bool surnamesLoaded_ = false;
    TextTable events_;
    qint32 deviceFirst_ = 1, deviceLast_ = 0;
    qint32 rangeFirst_ = 1, pieceCount_ = 0;
    qint32 remaining_ = 0, readCount_ = 0;
};

// An error ends the run: the message as the error box would show it.
template <class F> void Session::step(F body)
{
    try {
        body();
    } catch (const PortError &e) {
        fail(e.text(), ExitPort);
    } catch (const std::exception &e) {
        fail(QString::fromUtf8(e.what()));
    }
}

} // namespace cli
