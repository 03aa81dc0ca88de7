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
#include "link/block_transfer.h"
#include "records/working_set.h"

#include <QList>
#include <QWidget>
#include <array>
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

    enum class Direction { Write, Read, Verify };  // Verify: the read-back of a verified write
    enum class Phase { Configuration, Version };
    // A device's configuration as entry 0 of its code memory holds it.
    struct DeviceConfig {
        int address, relayTime, codeCount;
    };

    BlockTransfer transfer;  // the read's blocks; the transfer start of both directions
    QLabel *Label1, *Label2, *Label3;
    QProgressBar *ProgressBar1;
    QPushButton *Button1;                   // "&Storno"
    Timer &Timer1 = transfer.blockTimer;    // a read block has arrived (1600 ms)
    Timer &Timer2 = transfer.pollTimer;     // polls for the answer to a transfer start (100 ms)
    Timer Timer3{70};                       // one address of the scan

    // Transfer state.
    Direction direction = Direction::Write;
    bool verifyWrite = false;  // the write is read back once the configuration has been answered
    int slot = 0;       // write: the slot being sent; read, read-back: the first entry of the next block
    int step = 2;       // write: 1 code, 2 flags
    bool stop = false;  // "&Storno" or the close box
    std::optional<DeviceConfig> deviceConfig;  // read: entry 0, when its frame was accepted
    Phase phase = Phase::Configuration;       // scan

    // The working set into the selected device, and back.
    void ZapisTabulkyDoPameti1Click();
    void CteniTabulkyZpameti1Click();
    // The same write, then the code memory read back and compared slot by slot.
    void ZapisSOverenim1Click();
    // Asks every address of the bus for its configuration and version.
    void DetekceSite1Click();

    void Button1Click() { stopOperation(); }
    void FormClose() { stopOperation(); }
    void Timer1Timer() { transfer.blockTick(); }
    void Timer2Timer() { transfer.pollTick(); }
    void Timer3Timer();
    // One request of the write, 25 ms after the previous one has left.
    void pacingStep();
    bool pacingPending() const { return pacing_ != 0; }
    // A timer of the window's operation is still to run.
    bool operationRunning() const;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void endOnError(const std::function<void()> &step);
    Link &link() const;
    TextTable &grid() const;
    void buildControls();
    void setLabel(QLabel *l, const QString &text);
    bool claimLink();
    void stopOperation();
    void startWrite(bool verify);
    void armPacing(int bytesSent);
    int sendCode();
    int sendFlags();
    void finishWrite();
    void afterConfiguration();
    void reportStoppedWrite();
    void startReadBack();
    void compareEntry(int e, const BlockTransfer::Entry &entry);
    void finishReadBack(BlockTransfer::Result result);
    std::optional<BlockTransfer::Place> takeBlock(const BlockTransfer::Block &block);
    void takeEntry(int e, const BlockTransfer::Entry &entry);
    void takeConfiguration(const BlockTransfer::Entry &entry);
    void transferEnded(BlockTransfer::Result result);
    void finishRead();
    bool configurationDiffers() const;
    void showNewConfiguration();
    void askConfiguration();
    void takeScanReply();
    void showAsked();

    // What the write has sent of each slot (bytes 0..7 code, 8..9 flags), and
    // how many codes and flags have gone out: slot n is whole once both have.
    using SentEntry = std::array<quint8, 10>;
    std::array<SentEntry, SlotCount + 1> sent_{};
    int codesSent_ = 0;
    int flagsSent_ = 0;
    QList<int> differing_;  // read-back: the slots the device holds otherwise

    CodeMemory &cm_;
    Clock::Id pacing_ = 0;
};
