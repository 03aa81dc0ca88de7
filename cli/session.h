#pragma once
// One run of tavo-cli: the command's device jobs as small state machines on
// the clock in force, the same requests, block transfer and conversions as
// the windows. Results go to `out` one line per device, messages to `err`;
// the run ends with an exit code of cli::ExitCode.

#include "cli/options.h"
#include "cli/watermark.h"
#include "core/error.h"
#include "core/text_table.h"
#include "link/block_transfer.h"
#include "link/link.h"
#include "records/working_set.h"

#include <QDateTime>
#include <QHash>
#include <QTextStream>
#include <functional>
#include <vector>

namespace cli {

// A device of the device list, as the device selection takes it.
struct ListedDevice {
    QString name;
    int address = 255;
    int relayTime = 5;
    int codeCount = 510;
};

// The devices of the program folder's device list (database DEMO).
std::vector<ListedDevice> loadDeviceList(const QString &programFolder);

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
    void ask(const Request &request, int waitMs, std::function<void(bool)> then);
    void finish();
    void prepareLink();
    void chooseDevices();
    void selectDevice(const ListedDevice &d);
    const ListedDevice &device() const { return devices_[size_t(index_)]; }
    void deviceFailed(const QString &message, ExitCode kind = ExitFailure);
    void noteFailure(ExitCode kind);
    void transferFailed(BlockTransfer::Result result);

    void scanAddress();
    void takeScanReply(bool accepted);
    void nextAddress(int address);

    void clockNext();
    void clockWritten(bool accepted);
    void clockRead(bool accepted);
    void notTavoB(bool configurationAnswered);
    void askRange(std::function<void(bool)> then);
    void eventsNext();
    void eventsRange(bool accepted);
    bool rangeOffRing();
    void startPiece();
    BlockTransfer::Place eventPlace() const;
    std::optional<BlockTransfer::Place> takeEventBlock(const BlockTransfer::Block &block);
    void eventsEnded(BlockTransfer::Result result);
    void savePiece();
    void fillSurnames();
    void appendToFiles(Watermark &mark);
    void deviceDone();
    void moveStart(bool accepted);

    void readSet();
    std::optional<BlockTransfer::Place> takeBlock(const BlockTransfer::Block &block);
    void readEnded(BlockTransfer::Result result);
    void saveReadSet();

    void writeSet();
    void armPacing(int bytesSent);
    void pacingStep();
    void writeConfiguration();
    void verifySet();
    void compareSlots();

    Link &link_;
    Options o_;
    QTextStream &out_;
    QTextStream &err_;
    QString folder_;
    std::vector<ListedDevice> devices_;
    int index_ = 0;
    bool finished_ = false;
    ExitCode failure_ = ExitOk;  // the kind of the first failure
    int exitCode_ = ExitOk;

    int found_ = 0;             // scan: devices answering
    QDateTime sentAt_;          // clock: the PC's time of the request
    BlockTransfer transfer_;
    WorkingSet set_;            // what is written, or the set the read fills
    // The entries a read of the code memory returned, and which halves were accepted.
    std::array<bool, 512> firstOk_{}, secondOk_{};
    std::array<std::array<quint8, EntryBytes>, 512> entries_{};
    int slot_ = 0;
    int half_ = 2;
    Clock::Id pacing_ = 0;

    // events: the reader's range, the piece being read and what the run has read.
    Watermarks marks_;
    QHash<QString, QString> surnames_;
    bool surnamesLoaded_ = false;
    TextTable events_;
    qint32 deviceFirst_ = 1, deviceLast_ = 0;
    qint32 rangeFirst_ = 1, currentEvent_ = 1, pieceCount_ = 0, nextRow_ = 1;
    qint32 remaining_ = 0, readCount_ = 0;
    quint32 blockAddress_ = 0;
    Clock::Id asked_ = 0;       // the pending reading of a reply
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
