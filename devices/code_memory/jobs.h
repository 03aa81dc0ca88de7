#pragma once
// The TAVO-M device jobs: configuration read and write, the working-set write
// (with its read-back when verified), the code-memory read, the network scan
// and the relay test. Each is a job on the link (link/job.h): the windows of
// the code memory and tavo-cli drive the same objects and turn their results
// into messages and exit codes.

#include "link/block_transfer.h"
#include "link/job.h"
#include "records/working_set.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QString>
#include <array>
#include <functional>
#include <optional>

// A device's configuration, as entry 0 of its code memory holds it and the
// device list's row gives it.
struct DeviceConfig {
    int address = 255;
    int relayTime = 5;
    int codeCount = 510;
    bool operator==(const DeviceConfig &o) const
    {
        return address == o.address && relayTime == o.relayTime && codeCount == o.codeCount;
    }
    bool operator!=(const DeviceConfig &o) const { return !(*this == o); }
};

// The configuration the link's values give (the device last selected).
DeviceConfig linkConfig(const Link &link);
// The link's values become the device's: the next request goes to its address.
void setLinkConfig(Link &link, const DeviceConfig &config);
// A configuration reply's R0..R3 (address, relay time, stored code count).
DeviceConfig replyConfig(const Reply &reply);
// The device answered a configuration write (145) by echoing what it stored.
bool configurationEchoed(const std::optional<Reply> &reply, const DeviceConfig &written);
// Entry 0 of a code memory read, when its frame was accepted.
std::optional<DeviceConfig> entryConfig(const BlockTransfer::Entry &entry);
// "Síťová adresa 5  Čas relé 7  Počet kódů 510"
QString configurationText(const DeviceConfig &config);

// An entry's code and flags as the working set shows them: "CHYBA" for a
// half whose frame was rejected.
QString entryCodeText(const BlockTransfer::Entry &entry);
QString entryFlagText(const BlockTransfer::Entry &entry);

// Command 146 for entry 0 at the device's address; its reply 100 ms later.
class ConfigurationRead : public Job {
public:
    static constexpr int ReplyWaitMs = 100;
    struct Result {
        End end = End::Done;                 // Done, or NoAnswer when no frame was accepted
        std::optional<DeviceConfig> config;  // what the device answered
        std::optional<Reply> reply;
    };

    explicit ConfigurationRead(Link &link);
    Inquiry exchange;
    std::function<void(const Result &)> onEnd;

    bool start(int address);

private:
    void aborted() override;
};

// Command 145 at the device's present address: entry 0 becomes the new
// configuration; the device answers from its new address, echoing what it
// stored. The link's values are the new configuration from the request on.
class ConfigurationWrite : public Job {
public:
    static constexpr int ReplyWaitMs = 100;
    struct Result {
        End end = End::Done;
        bool confirmed = false;  // the echo came from the new address
        std::optional<Reply> reply;
    };

    explicit ConfigurationWrite(Link &link);
    Inquiry exchange;
    std::function<void(const Result &)> onEnd;

    bool start(const DeviceConfig &to);

private:
    void aborted() override;
};

// The working set's 510 slots as the write sends them: column 1 the key
// code, column 2 the flags (index 0 unused).
struct SetTexts {
    std::array<QString, SlotCount + 1> code;
    std::array<QString, SlotCount + 1> flags;
};
SetTexts setTexts(const TextTable &set);

// The working-set write: a transfer start; every slot as its code (148) and
// its flags (147), each 25 ms after the previous request has left the line,
// no reply read; then the configuration again (145), its answer read. A
// verified write reads the code memory back into a buffer of its own and
// compares it slot by slot with what was sent.
class WorkingSetWrite : public Job {
public:
    static constexpr int PacingMs = 25;
    static constexpr int ReplyWaitMs = ConfigurationWrite::ReplyWaitMs;

    // A slot the read-back found otherwise than it was sent.
    struct Difference {
        int slot = 0;
        std::array<quint8, 10> sent{};  // code bytes 0..7, flag bytes 8..9
        BlockTransfer::Entry read;
    };
    struct Result {
        End end = End::Done;  // of the write, or of its read-back
        int codesSent = 0;    // slot n is whole once its flags have gone out
        int flagsSent = 0;
        bool configured = false;  // the configuration's answer came, echoing it
        bool verifying = false;   // the read-back ran (end is its end)
        int checked = 0;          // read-back: slots compared
        QList<Difference> differing;
    };

    explicit WorkingSetWrite(Link &link);
    BlockTransfer transfer;  // the transfer start; the read-back's blocks
    Inquiry exchange;       // the configuration's answer

    // Slot n is being sent (n = 511: all have been).
    std::function<void(int slot)> onSlot;
    // No further slot goes out; the configuration is written next.
    std::function<void()> onWritten;
    // The configuration's answer has been read (none: no frame was accepted);
    // a read-back follows once this returns.
    std::function<void(const std::optional<Reply> &reply)> onConfigured;
    // The read-back has read entries 0 .. n-1.
    std::function<void(int entries)> onChecked;
    std::function<void(const Result &)> onEnd;

    bool start(const DeviceConfig &device, const SetTexts &set, bool verify);
    // "Storno": no further slot is sent (the configuration still is); during
    // the read-back the block under way is still read.
    void stop();
    bool pacingPending() const { return pacing_ != 0; }
    const Result &result() const { return result_; }
    // From onConfigured: the write ends there, without its read-back.
    void skipReadBack() { verify_ = false; }
    // Every slot went out and a read-back was asked for: it follows the configuration.
    bool verifies() const { return verify_ && result_.flagsSent == SlotCount; }

private:
    void aborted() override;
    void armPacing(int bytesSent);
    void pacingStep();
    void writeConfiguration();
    void configured(const std::optional<Reply> &reply);
    std::optional<BlockTransfer::Place> compareBlock(const BlockTransfer::Block &block);
    void transferEnded(BlockTransfer::Result r);
    void end(End e);

    DeviceConfig device_;
    SetTexts set_;
    bool verify_ = false;
    bool stop_ = false;
    int slot_ = 0;
    int half_ = 2;  // 1 code, 2 flags
    int entry_ = 0;  // read-back: the first entry of the next block
    std::array<std::array<quint8, 10>, SlotCount + 1> sent_{};
    Clock::Id pacing_ = 0;
    Result result_;
};

// The code-memory read: 16 blocks of 32 entries, entry 0 the configuration,
// entries 1..510 the slots.
class CodeMemoryRead : public Job {
public:
    static constexpr int Entries = 512;
    struct Result {
        End end = End::Done;
        int entriesRead = 0;
        std::array<BlockTransfer::Entry, Entries> entries{};
    };

    explicit CodeMemoryRead(Link &link);
    BlockTransfer transfer;
    // A block has been read, its first entry `first`.
    std::function<void(int first, const BlockTransfer::Block &block)> onBlock;
    std::function<void(const Result &)> onEnd;

    bool start(int address);
    void stop() { transfer.stop(); }
    const Result &result() const { return result_; }

private:
    Result result_;
};

// Every address 0..255 is asked for its configuration (70 ms) and, where a
// device answers, for its version (70 ms). The link's address is the one of
// the device selected before, once the scan is over.
class NetworkScan : public Job {
public:
    static constexpr int Addresses = 256;
    static constexpr int ReplyWaitMs = 70;
    struct Found {
        int asked = 0;  // the address asked
        DeviceConfig config;  // what the device answered
        std::optional<int> version;
    };
    struct Result {
        End end = End::Done;
        QList<Found> found;
    };

    explicit NetworkScan(Link &link);
    Inquiry exchange;
    // Addresses 0 .. n-1 have been asked.
    std::function<void(int asked)> onAsked;
    // A device answered; its version follows.
    std::function<void(const Found &)> onFound;
    // The version of the device found last.
    std::function<void(int number, int version)> onVersion;
    std::function<void(const Result &)> onEnd;

    bool start();
    void stop() { stop_ = true; }

private:
    void aborted() override;
    void ask();
    void configuration(const std::optional<Reply> &reply);
    void version(const std::optional<Reply> &reply);
    void next();
    void end(End e);

    int address_ = 0;
    int previous_ = 255;
    bool stop_ = false;
    Result result_;
};

// The codes presented to a device last. Command 143 is answered by a count
// frame (R0 = N) and N code frames (R0..R7) back to back; 200 ms after the
// request the reply is read, and after a list of at least one code command
// 142 releases it. A long list takes more than 200 ms on the line (20 codes
// are some 270 bytes, 280 ms at 9600 baud): while frames the count announced
// are still missing and their line time has not passed, Timer2 reads again in
// short steps; the codes are taken once they are all in, or when their time
// is up.
class LastCodes : public Job {
public:
    static constexpr int ReadBytes = 200;
    // A code frame with every byte escaped: start, 11 bytes twice, end.
    static constexpr int LongestCodeFrame = 24;
    struct Result {
        End end = End::Done;  // NoAnswer: no count frame was accepted
        QStringList codes;    // each announced code, "CHYBA" where its frame is missing or damaged
    };

    explicit LastCodes(Link &link);
    Timer Timer1{200};  // the reply's first read
    Timer Timer2{20};   // the reads while announced frames are on their way
    std::function<void(const Result &)> onEnd;

    bool start();

private:
    void aborted() override;
    void firstRead();
    void laterRead();
    void readMore();
    bool waitForMore() const;
    void takeCodes();
    void end(Result r);

    QByteArray arrived_;     // every byte read since the request
    int announced_ = 0;      // N of the count frame
    qint64 deadlineUs_ = 0;  // when the announced frames must have arrived
};

// Command 131: the ticked relays switch; the device's answer is not read.
class RelayTest : public Job {
public:
    explicit RelayTest(Link &link) : Job(link) {}
    // False, nothing sent, while another operation holds the link.
    bool run(quint8 timeByte, quint8 relays1to8, quint8 relays9to16);
};
