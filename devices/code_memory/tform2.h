#pragma once
// The progress window of the working-set transfer and of the network scan;
// each use sets its caption. It is shown modal while the operation goes on in
// its timers: Timer2 waits for the device to open a transfer, the pacing timer
// sends the write's entries, Timer1 takes a block of the read, Timer3 asks one
// address of the scan. Timer1 and Timer2 are the block transfer's.
//
// The window holds the link from an operation's first request until its last
// timer has run out, also after the close box hid it; the write then hands
// the link to the main window's Timer1, which takes the configuration reply.
// A verified write, and a stopped one, keep the link past that reply: the
// read-back, or the report of what the device now holds, follows it.

#include "core/clock.h"
#include "devices/code_memory/jobs.h"

#include <QWidget>
#include <functional>
#include <optional>

class CodeMemory;
class Link;
class QLabel;
class QProgressBar;
class QPushButton;
class TextTable;

class TForm2 : public QWidget {
public:
    explicit TForm2(CodeMemory &cm, QWidget *parent = nullptr);
    ~TForm2() override;

    enum class Direction { Write, Read, Verify, Scan };  // Verify: the read-back of a verified write

    // The jobs the window shows.
    WorkingSetWrite writeJob;
    CodeMemoryRead readJob;
    NetworkScan scanJob;

    QLabel *Label1, *Label2, *Label3;
    QProgressBar *ProgressBar1;
    QPushButton *Button1;                        // "&Storno"
    Timer &Timer1 = readJob.transfer.blockTimer;  // a read block has arrived (1600 ms)
    Timer &Timer2 = readJob.transfer.pollTimer;   // polls for the answer to a transfer start (100 ms)
    Timer &Timer3 = scanJob.exchange.timer;       // one address of the scan (70 ms)

    Direction direction = Direction::Write;
    std::optional<DeviceConfig> deviceConfig;  // read: entry 0, when its frame was accepted

    // The working set into the selected device, and back.
    void ZapisTabulkyDoPameti1Click();
    void CteniTabulkyZpameti1Click();
    // The same write, then the code memory read back and compared slot by slot.
    void ZapisSOverenim1Click();
    // Asks every address of the bus for its configuration and version.
    void DetekceSite1Click();

    void Button1Click() { stopOperation(); }
    void FormClose() { stopOperation(); }
    bool pacingPending() const { return writeJob.pacingPending(); }
    // One of the window's jobs holds the link.
    bool operationRunning() const { return writeJob.running() || readJob.running() || scanJob.running(); }

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    Link &link() const;
    TextTable &grid() const;
    void buildControls();
    void setLabel(QLabel *l, const QString &text);
    void setProgress(const QString &verb, int n);
    void stopOperation();
    void startWrite(bool verify);
    void configured(const std::optional<Reply> &reply);
    void writeEnded(const WorkingSetWrite::Result &r);
    void reportStoppedWrite(const WorkingSetWrite::Result &r);
    void startReadBack();
    void reportReadBack(const WorkingSetWrite::Result &r);
    void takeBlock(int first, const BlockTransfer::Block &block);
    void readEnded(const CodeMemoryRead::Result &r);
    void showNewConfiguration();
    void showAsked(int asked);
    bool refused(bool started);
    void noAnswer();

    CodeMemory &cm_;
};
