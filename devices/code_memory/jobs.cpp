#include "devices/code_memory/jobs.h"

#include "devices/code_memory/entry_texts.h"
#include "devices/code_memory/requests.h"
#include "core/error.h"
#include "core/text_table.h"
#include "link/port_settings.h"

#include <algorithm>

namespace {
constexpr int EndSlot = SlotCount + 1;  // the write's slot after the last

BlockTransfer::Place entryPlace(int entry) { return {tavoM::entryAddress(entry), Selector::CodeMemory}; }
} // namespace

DeviceConfig linkConfig(const Link &link) { return {link.currentAddress, link.relayTime, link.codeCount}; }

void setLinkConfig(Link &link, const DeviceConfig &config)
{
    link.currentAddress = qint16(config.address);
    link.targetAddress = qint16(config.address);
    link.relayTime = qint16(config.relayTime);
    link.codeCount = qint16(config.codeCount);
}

DeviceConfig replyConfig(const Reply &reply)
{
    return {reply.r(0), reply.r(1), storedCodeCount(reply.r(2), reply.r(3))};
}

bool configurationEchoed(const std::optional<Reply> &reply, const DeviceConfig &written)
{
    const Request sent = tavoM::writeConfiguration(written.address, written.relayTime, written.codeCount);
    return reply && std::equal(sent.data.begin(), sent.data.begin() + 4, reply->data(),
                               [](char q, quint8 b) { return quint8(q) == b; });
}

std::optional<DeviceConfig> entryConfig(const BlockTransfer::Entry &entry)
{
    if (!entry.firstAccepted)
        return std::nullopt;
    const auto &b = entry.bytes;
    return DeviceConfig{b[0], b[1], storedCodeCount(b[2], b[3])};
}

QString configurationText(const DeviceConfig &c)
{
    return QStringLiteral("Síťová adresa ") + QString::number(c.address) + QStringLiteral("  Čas relé ")
        + QString::number(c.relayTime) + QStringLiteral("  Počet kódů ") + QString::number(c.codeCount);
}

QString entryCodeText(const BlockTransfer::Entry &e)
{
    return e.firstAccepted ? codeText(e.bytes.data()) : QStringLiteral("CHYBA");
}

QString entryFlagText(const BlockTransfer::Entry &e)
{
    return e.secondAccepted ? flagText(e.bytes[8], e.bytes[9]) : QStringLiteral("CHYBA");
}

// --- configuration read and write

ConfigurationRead::ConfigurationRead(Link &link) : Job(link), exchange(link, this, [this] { aborted(); }) {}

bool ConfigurationRead::start(int address)
{
    if (!claim())
        return false;
    step([&] {
        link().currentAddress = qint16(address);
        exchange.ask(tavoM::readConfiguration(), ReplyWaitMs, [this](const std::optional<Reply> &reply) {
            Result r;
            r.reply = reply;
            if (reply)
                r.config = replyConfig(*reply);
            else
                r.end = End::NoAnswer;
            release();
            if (onEnd)
                onEnd(r);
        });
    });
    return true;
}

void ConfigurationRead::aborted()
{
    exchange.cancel();
    if (onEnd)
        onEnd(Result{End::PortError, std::nullopt, std::nullopt});
}

ConfigurationWrite::ConfigurationWrite(Link &link) : Job(link), exchange(link, this, [this] { aborted(); }) {}

bool ConfigurationWrite::start(const DeviceConfig &to)
{
    if (!claim())
        return false;
    step([&] {
        Link &l = link();
        l.targetAddress = qint16(to.address);
        l.relayTime = qint16(to.relayTime);
        l.codeCount = qint16(to.codeCount);
        exchange.ask(tavoM::writeConfiguration(to.address, to.relayTime, to.codeCount), ReplyWaitMs,
                     [this, to](const std::optional<Reply> &reply) {
                         Result r;
                         r.reply = reply;
                         r.confirmed = configurationEchoed(reply, to);
                         release();
                         if (onEnd)
                             onEnd(r);
                     });
        // The device answers from its new address: the decoder judges the
        // reply by it.
        l.currentAddress = l.targetAddress;
    });
    return true;
}

void ConfigurationWrite::aborted()
{
    exchange.cancel();
    if (onEnd)
        onEnd(Result{End::PortError, false, std::nullopt});
}

// --- the working-set write

SetTexts setTexts(const TextTable &set)
{
    SetTexts t;
    for (int s = 1; s <= SlotCount; ++s) {
        t.code[size_t(s)] = set.cell(1, s);
        t.flags[size_t(s)] = set.cell(2, s);
    }
    return t;
}

WorkingSetWrite::WorkingSetWrite(Link &link)
    : Job(link), transfer(link, this), exchange(link, this, [this] { aborted(); })
{
    transfer.onOpened = [this] { armPacing(0); };
    transfer.onBlock = [this](const BlockTransfer::Block &b) { return compareBlock(b); };
    transfer.onEnd = [this](BlockTransfer::Result r) { transferEnded(r); };
}

bool WorkingSetWrite::start(const DeviceConfig &device, const SetTexts &set, bool verify)
{
    if (!claim())
        return false;
    device_ = device;
    set_ = set;
    verify_ = verify;
    stop_ = false;
    slot_ = 0;
    half_ = 2;
    entry_ = 0;
    result_ = Result{};
    step([this] {
        setLinkConfig(link(), device_);
        link().receiveReset();
        transfer.openOnly();
    });
    return true;
}

void WorkingSetWrite::stop()
{
    stop_ = true;
    transfer.stop();
}

// The next step follows 25 ms after the request has left: a real port's write
// returns then, the simulated line says how long the bytes still take.
void WorkingSetWrite::armPacing(int bytesSent)
{
    const qint64 dueUs = theClock().nowUs() + link().port().lineTimeUs(bytesSent) + PacingMs * 1000;
    pacing_ = theClock().callAt(dueUs, [this] {
        pacing_ = 0;
        guarded([this] { step([this] { pacingStep(); }); });
    });
}

void WorkingSetWrite::pacingStep()
{
    if (++half_ == 3) {
        half_ = 1;
        ++slot_;
        if (onSlot)
            onSlot(slot_);
    }
    if (slot_ >= EndSlot || stop_)
        return writeConfiguration();
    // The write reads no replies; dropping them as they come keeps them from
    // filling the port's input while 1020 requests go out.
    link().receiveReset();
    const size_t s = size_t(slot_);
    int n = 0;
    if (half_ == 1) {
        const auto code = codeBytes(set_.code[s]);
        std::copy(code.begin(), code.end(), sent_[s].begin());
        n = send(tavoM::writeCode(slot_, set_.code[s]));
        ++result_.codesSent;
    } else {
        const auto flags = flagBytes(set_.flags[s]);
        std::copy(flags.begin(), flags.end(), sent_[s].begin() + 8);
        n = send(tavoM::writeFlags(slot_, set_.flags[s]));
        ++result_.flagsSent;
    }
    armPacing(n);
}

// The device's configuration is written again and its answer read.
void WorkingSetWrite::writeConfiguration()
{
    if (onWritten)
        onWritten();
    Link &l = link();
    l.targetAddress = l.currentAddress;
    exchange.ask(tavoM::writeConfiguration(l.currentAddress, l.relayTime, l.codeCount), ReplyWaitMs,
                 [this](const std::optional<Reply> &reply) { step([&] { configured(reply); }); });
}

void WorkingSetWrite::configured(const std::optional<Reply> &reply)
{
    result_.configured = configurationEchoed(reply, device_);
    if (onConfigured)
        onConfigured(reply);
    if (!running())
        return;
    if (result_.flagsSent < SlotCount || !verify_)
        return end(End::Done);
    // The read-back: the stop asked for during the write no longer counts.
    result_.verifying = true;
    stop_ = false;
    entry_ = 0;
    transfer.readBlocks(entryPlace(0));
}

// A slot is the same when both frames were accepted and carry what was sent.
std::optional<BlockTransfer::Place> WorkingSetWrite::compareBlock(const BlockTransfer::Block &block)
{
    for (int i = 0; i < BlockEntries; ++i) {
        const int e = entry_ + i;
        if (e < 1 || e > SlotCount)
            continue;
        const BlockTransfer::Entry &entry = block[size_t(i)];
        const auto &s = sent_[size_t(e)];
        const bool codeSame = entry.firstAccepted && std::equal(s.begin(), s.begin() + 8, entry.bytes.begin());
        const bool flagsSame = entry.secondAccepted && std::equal(s.begin() + 8, s.end(), entry.bytes.begin() + 8);
        if (!codeSame || !flagsSame)
            result_.differing << Difference{e, s, entry};
    }
    entry_ += BlockEntries;
    result_.checked = std::min(entry_, EndSlot) - 1;
    if (onChecked)
        onChecked(entry_);
    if (entry_ < CodeMemoryRead::Entries)
        return entryPlace(entry_);
    return std::nullopt;
}

void WorkingSetWrite::transferEnded(BlockTransfer::Result r) { end(transferEnd(r)); }

void WorkingSetWrite::end(End e)
{
    if (pacing_) {
        theClock().cancel(pacing_);
        pacing_ = 0;
    }
    result_.end = e;
    release();
    if (onEnd)
        onEnd(result_);
}

// The block transfer reports its own port error (transferEnded).
void WorkingSetWrite::aborted()
{
    exchange.cancel();
    if (!transfer.running())
        end(End::PortError);
}

// --- the code-memory read

CodeMemoryRead::CodeMemoryRead(Link &link) : Job(link), transfer(link, this)
{
    transfer.onBlock = [this](const BlockTransfer::Block &block) -> std::optional<BlockTransfer::Place> {
        const int first = result_.entriesRead;
        std::copy(block.begin(), block.end(), result_.entries.begin() + first);
        result_.entriesRead += BlockEntries;
        if (onBlock)
            onBlock(first, block);
        if (result_.entriesRead < Entries)
            return entryPlace(result_.entriesRead);
        return std::nullopt;
    };
    transfer.onEnd = [this](BlockTransfer::Result r) {
        result_.end = transferEnd(r);
        release();
        if (onEnd)
            onEnd(result_);
    };
}

bool CodeMemoryRead::start(int address)
{
    if (!claim())
        return false;
    result_ = Result{};
    step([&] {
        link().currentAddress = qint16(address);
        link().receiveReset();
        transfer.readBlocks(entryPlace(0));
    });
    return true;
}

// --- the network scan

NetworkScan::NetworkScan(Link &link) : Job(link), exchange(link, this, [this] { aborted(); }) {}

bool NetworkScan::start()
{
    if (!claim())
        return false;
    previous_ = link().currentAddress;
    address_ = 0;
    stop_ = false;
    result_ = Result{};
    step([this] {
        link().receiveReset();
        if (onAsked)
            onAsked(0);
        ask();
    });
    return true;
}

void NetworkScan::ask()
{
    link().currentAddress = qint16(address_);
    exchange.ask(tavoM::readConfiguration(), ReplyWaitMs,
                 [this](const std::optional<Reply> &reply) { step([&] { configuration(reply); }); });
}

void NetworkScan::configuration(const std::optional<Reply> &reply)
{
    if (!reply)
        return next();
    Found f;
    f.asked = address_;
    f.config = replyConfig(*reply);
    result_.found << f;
    if (onFound)
        onFound(f);
    exchange.ask(tavoM::readVersion(), ReplyWaitMs,
                 [this](const std::optional<Reply> &reply) { step([&] { version(reply); }); });
}

void NetworkScan::version(const std::optional<Reply> &reply)
{
    if (reply) {
        result_.found.last().version = reply->r(0);
        if (onVersion)
            onVersion(int(result_.found.size()), reply->r(0));
    }
    next();
}

void NetworkScan::next()
{
    ++address_;
    if (onAsked)
        onAsked(address_);
    if (address_ < Addresses && !stop_)
        return ask();
    end(End::Done);
}

void NetworkScan::end(End e)
{
    link().currentAddress = qint16(previous_);
    result_.end = e;
    release();
    if (onEnd)
        onEnd(result_);
}

void NetworkScan::aborted()
{
    exchange.cancel();
    link().currentAddress = qint16(previous_);
    result_.end = End::PortError;
    if (onEnd)
        onEnd(result_);
}

// --- the last codes

namespace {
constexpr quint8 FrameEnd = 0x7D;

qint64 lineTimeUs(const Link &link, qint64 bytes)
{
    return bytes * PortLimits::BitsPerByte * 1000000 / qMax(1, link.settings().baud());
}

// Frames complete on the line so far: a raw end byte ends each (inside a frame it travels escaped).
int framesArrived(const QByteArray &bytes) { return int(bytes.count(char(FrameEnd))); }
} // namespace

LastCodes::LastCodes(Link &link) : Job(link)
{
    Timer1.setOnTimer([this] { step([this] { firstRead(); }); });
    Timer2.setOnTimer([this] { step([this] { laterRead(); }); });
}

bool LastCodes::start()
{
    if (!claim())
        return false;
    arrived_.clear();
    announced_ = 0;
    step([this] {
        link().receiveReset();
        send(tavoM::lastCodesRead());
        Timer1.setEnabled(true);
    });
    return true;
}

void LastCodes::firstRead()
{
    Timer1.setEnabled(false);
    readMore();
    if (!link().decode())
        return end(Result{End::NoAnswer, {}});
    announced_ = link().r(0);
    deadlineUs_ = theClock().nowUs() + lineTimeUs(link(), qint64(announced_) * LongestCodeFrame);
    if (waitForMore())
        return Timer2.setEnabled(true);
    takeCodes();
}

void LastCodes::laterRead()
{
    Timer2.setEnabled(false);
    readMore();
    if (waitForMore())
        return Timer2.setEnabled(true);
    takeCodes();
}

// Appends what has arrived (at most 200 bytes a read, 1024 in all) and puts
// every byte read since the request into the receive buffer, read position 0.
void LastCodes::readMore()
{
    Link &l = link();
    const int n = l.poll(qMin(ReadBytes, Link::ReceiveSize - int(arrived_.size())));
    arrived_.append(reinterpret_cast<const char *>(l.receive.data()), n);
    std::fill(l.receive.begin(), l.receive.end(), quint8(0));
    std::copy(arrived_.cbegin(), arrived_.cend(), l.receive.begin());
    l.readPosition = 0;
}

bool LastCodes::waitForMore() const
{
    return framesArrived(arrived_) < 1 + announced_ && arrived_.size() < Link::ReceiveSize
        && theClock().nowUs() < deadlineUs_;
}

// Every announced code is tried, each from where the decoder stopped.
void LastCodes::takeCodes()
{
    Link &l = link();
    l.readPosition = 0;
    l.decode();  // the count frame, accepted before
    Result r;
    for (int i = 1; i <= announced_; ++i)
        r.codes << (l.decode() ? codeText(&l.frame[4]) : QStringLiteral("CHYBA"));
    if (announced_ >= 1)
        send(tavoM::lastCodesRelease());
    end(r);
}

void LastCodes::end(Result r)
{
    link().receiveReset();
    arrived_.clear();
    release();
    if (onEnd)
        onEnd(r);
}

void LastCodes::aborted()
{
    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    arrived_.clear();
}

// --- the relay test

bool RelayTest::run(quint8 timeByte, quint8 relays1to8, quint8 relays9to16)
{
    if (!claim())
        return false;
    step([&] {
        link().receiveReset();
        Job::send(tavoM::relayTest(timeByte, relays1to8, relays9to16));
    });
    release();
    return true;
}
