// The working-set transfer: the write sends every slot as two requests 25 ms
// apart without reading replies; the read fetches 16 blocks of 32 entries
// through the block transfer. Both open with a transfer start and end with
// the configuration. A verified write reads the code memory back after its
// configuration reply and compares it with what it sent.
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/entry_texts.h"
#include "devices/code_memory/requests.h"
#include "devices/code_memory/tform2.h"
#include "devices/code_memory/tform3.h"
#include "link/link.h"
#include "records/database.h"
#include "records/working_set.h"
#include "core/error.h"
#include "ui/operator.h"
#include "ui/text_grid.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>

namespace {
constexpr int PacingMs = 25;
constexpr int EndSlot = SlotCount + 1;   // the write's slot after the last
constexpr int EntryCount = 512;          // entries 0..511 of the read
constexpr int ListedSlots = 20;          // differing slots named in the read-back's message

QString number(int n) { return QString::number(n); }

QString configurationText(int address, int relayTime, int codeCount)
{
    return QStringLiteral("Síťová adresa ") + number(address) + QStringLiteral("  Čas relé ") + number(relayTime)
        + QStringLiteral("  Počet kódů ") + number(codeCount);
}

// "1 slot", "3 sloty", "7 slotů".
QString slotCount(int n)
{
    if (n == 1)
        return QStringLiteral("1 slot");
    return number(n) + (n >= 2 && n <= 4 ? QStringLiteral(" sloty") : QStringLiteral(" slotů"));
}

// The first of the slots as the working set's grid labels them, then "…".
QString slotList(const QList<int> &slotNumbers)
{
    QStringList labels;
    for (int s : slotNumbers.mid(0, ListedSlots))
        labels << slotLabel(s);
    return labels.join(QStringLiteral(", ")) + (slotNumbers.size() > ListedSlots ? QStringLiteral(" …") : QString());
}

// "liší se 3 sloty: 012, 045, 300"
QString differingText(const QList<int> &slotNumbers)
{
    return QStringLiteral("liší se ") + slotCount(int(slotNumbers.size())) + QStringLiteral(": ")
        + slotList(slotNumbers);
}

// A sentence ends with "." unless it trails off with "…".
QString sentence(const QString &text) { return text.endsWith(QChar(0x2026)) ? text : text + QLatin1Char('.'); }
} // namespace

void TForm2::ZapisTabulkyDoPameti1Click() { startWrite(false); }

void TForm2::ZapisSOverenim1Click() { startWrite(true); }

void TForm2::startWrite(bool verify)
{
    if (!claimLink())
        return;
    cm_.selectDevice();
    link().openPort();
    link().receiveReset();
    direction = Direction::Write;
    verifyWrite = verify;
    slot = 0;
    step = 2;
    stop = false;
    codesSent_ = 0;
    flagsSent_ = 0;
    setWindowTitle(QStringLiteral("Zápis sestavy do zařízení"));
    setLabel(Label3, QStringLiteral("Probíhá zápis pracovní sestavy do zařízení ") + cm_.deviceName);
    setLabel(Label2, configurationText(link().currentAddress, link().relayTime, link().codeCount));
    setLabel(Label1, QStringLiteral("Zapsáno 0 Kódů z 510"));
    ProgressBar1->setValue(0);
    transfer.openOnly();
    show();
}

void TForm2::CteniTabulkyZpameti1Click()
{
    if (!claimLink())
        return;
    cm_.selectDevice();
    link().openPort();
    link().receiveReset();
    direction = Direction::Read;
    slot = 0;
    stop = false;
    deviceConfig.reset();
    setWindowTitle(QStringLiteral("Čtení sestavy ze zařízení"));
    setLabel(Label3, QStringLiteral("Probíhá načtení pracovní sestavy ze zařízení ") + cm_.deviceName);
    setLabel(Label2, QStringLiteral("Síťová adresa ") + number(link().currentAddress));
    setLabel(Label1, QStringLiteral("Přečteno 0 Kódů z 510"));
    ProgressBar1->setValue(0);
    transfer.readBlocks({tavoM::entryAddress(0), Selector::CodeMemory});
    show();
}

// No answer to a transfer start ends either direction; a port error has
// already been met and goes on to the error box.
void TForm2::transferEnded(BlockTransfer::Result result)
{
    switch (result) {
    case BlockTransfer::Result::NoAnswer:
        op().messageBox(QStringLiteral("Upozornění"), QStringLiteral("Zařízení neodpovídá."),
                        MB_OK | MB_ICONEXCLAMATION);
        close();
        break;
    case BlockTransfer::Result::PortError:
        close();
        break;
    case BlockTransfer::Result::Done:
    case BlockTransfer::Result::Stopped:
        if (direction == Direction::Verify)
            finishReadBack(result);
        else
            finishRead();
        break;
    }
}

// The next step follows 25 ms after the request has left: a real port's write
// returns then, the simulated line says how long the bytes still take.
void TForm2::armPacing(int bytesSent)
{
    const qint64 dueUs = theClock().nowUs() + link().port().lineTimeUs(bytesSent) + PacingMs * 1000;
    pacing_ = theClock().callAt(dueUs, [this] {
        pacing_ = 0;
        guarded([this] { endOnError([this] { pacingStep(); }); });
    });
}

void TForm2::pacingStep()
{
    if (++step == 3) {
        step = 1;
        ++slot;
        setLabel(Label1, QStringLiteral("Zapsáno ") + number(slot) + QStringLiteral(" Kódů z 510"));
        ProgressBar1->setValue(slot);
    }
    if (slot < EndSlot && !stop) {
        // The write reads no replies; dropping them as they come keeps them
        // from filling the port's input while 1020 requests go out.
        link().receiveReset();
        armPacing(step == 1 ? sendCode() : sendFlags());
    } else {
        finishWrite();
    }
}

// The slot's key code into bytes 0..7 of its entry.
int TForm2::sendCode()
{
    const QString text = grid().cell(1, slot);
    const auto code = codeBytes(text);
    std::copy(code.begin(), code.end(), sent_[size_t(slot)].begin());
    const int n = link().send(tavoM::writeCode(slot, text));
    ++codesSent_;
    return n;
}

// The slot's flags into bytes 8..9 of its entry.
int TForm2::sendFlags()
{
    const QString text = grid().cell(2, slot);
    const auto flags = flagBytes(text);
    std::copy(flags.begin(), flags.end(), sent_[size_t(slot)].begin() + 8);
    const int n = link().send(tavoM::writeFlags(slot, text));
    ++flagsSent_;
    return n;
}

// The device's configuration is written again; the main window's Timer1 takes
// the reply, and the link with it, unless the write has more to do after it.
void TForm2::finishWrite()
{
    close();
    Link &l = link();
    l.targetAddress = l.currentAddress;
    l.receiveReset();
    l.send(tavoM::writeConfiguration(l.currentAddress, l.relayTime, l.codeCount));
    cm_.awaitReply();
    if (flagsSent_ == SlotCount && !verifyWrite)
        return;
    cm_.afterReply = [this] { afterConfiguration(); };
    link().passTo(this, [this] { return operationRunning(); });
}

// Timer1 has shown what the device answered to the configuration.
void TForm2::afterConfiguration()
{
    if (flagsSent_ < SlotCount)
        reportStoppedWrite();
    else
        startReadBack();
}

// Slots 1..n are whole once their flags have gone out; a code without its
// flags is named, the slots after it were not touched.
void TForm2::reportStoppedWrite()
{
    const int whole = flagsSent_;
    QString text = QStringLiteral("Zápis do zařízení ") + cm_.deviceName
        + QStringLiteral(" byl přerušen. Zařízení nyní obsahuje z nové sady ") + slotCount(whole)
        + QStringLiteral(" z 510");
    if (whole == 1)
        text += QStringLiteral(" (slot 1)");
    else if (whole > 1)
        text += QStringLiteral(" (sloty 1 až ") + number(whole) + QStringLiteral(")");
    if (codesSent_ > flagsSent_)
        text += QStringLiteral("; u slotu ") + number(whole + 1) + QStringLiteral(" byl zapsán jen kód, bez příznaků");
    text += QStringLiteral("; ostatní sloty zůstaly beze změny.");
    op().messageBox(QStringLiteral("Upozornění"), text, MB_OK | MB_ICONEXCLAMATION);
}

// The code memory is read back with the read's blocks into a buffer of its
// own: the working set stays as it was written.
void TForm2::startReadBack()
{
    direction = Direction::Verify;
    slot = 0;
    stop = false;
    differing_.clear();
    setWindowTitle(QStringLiteral("Ověření zápisu do zařízení"));
    setLabel(Label3, QStringLiteral("Ověřování zápisu do zařízení ") + cm_.deviceName);
    setLabel(Label1, QStringLiteral("Ověřeno 0 Kódů z 510"));
    ProgressBar1->setValue(0);
    transfer.readBlocks({tavoM::entryAddress(0), Selector::CodeMemory});
    show();
}

// A slot is the same when both frames were accepted and carry what was sent.
void TForm2::compareEntry(int e, const BlockTransfer::Entry &entry)
{
    if (e < 1 || e > SlotCount)
        return;
    const SentEntry &s = sent_[size_t(e)];
    const bool codeSame = entry.firstAccepted && std::equal(s.begin(), s.begin() + 8, entry.bytes.begin());
    const bool flagsSame = entry.secondAccepted && std::equal(s.begin() + 8, s.end(), entry.bytes.begin() + 8);
    if (!codeSame || !flagsSame)
        differing_ << e;
}

// The transfer end has gone out.
void TForm2::finishReadBack(BlockTransfer::Result result)
{
    close();
    const QString device = cm_.deviceName;
    if (result == BlockTransfer::Result::Stopped) {
        const int checked = std::min(slot, EndSlot) - 1;
        const QString found = differing_.isEmpty() ? QString() : QStringLiteral("; ") + differingText(differing_);
        op().messageBox(QStringLiteral("Upozornění"),
                        QStringLiteral("Ověření zápisu do zařízení ") + device
                            + QStringLiteral(" nebylo dokončeno, ověřeno bylo ") + sentence(slotCount(checked) + QStringLiteral(" z 510") + found),
                        MB_OK | MB_ICONEXCLAMATION);
    } else if (differing_.isEmpty()) {
        op().messageBox(QStringLiteral("Potvrzení"),
                        QStringLiteral("Zápis do zařízení ") + device
                            + QStringLiteral(" ověřen: všech 510 slotů souhlasí."),
                        MB_OK | MB_ICONINFORMATION);
    } else {
        op().messageBox(QStringLiteral("Upozornění"),
                        sentence(QStringLiteral("Ověření zápisu do zařízení ") + device + QStringLiteral(": ")
                                 + differingText(differing_)),
                        MB_OK | MB_ICONEXCLAMATION);
    }
}

// A block of the read into the working set; the next block follows until
// entry 511 has been read.
std::optional<BlockTransfer::Place> TForm2::takeBlock(const BlockTransfer::Block &block)
{
    const bool verifying = direction == Direction::Verify;
    for (int i = 0; i < BlockEntries; ++i) {
        if (verifying)
            compareEntry(slot + i, block[size_t(i)]);
        else
            takeEntry(slot + i, block[size_t(i)]);
    }
    slot += BlockEntries;
    setLabel(Label1, (verifying ? QStringLiteral("Ověřeno ") : QStringLiteral("Přečteno ")) + number(slot)
                         + QStringLiteral(" Kódů z 510"));
    ProgressBar1->setValue(slot);
    if (slot < EntryCount)
        return BlockTransfer::Place{tavoM::entryAddress(slot), Selector::CodeMemory};
    return std::nullopt;
}

// Bytes 0..7 are the code (entry 0: the configuration), bytes 8..9 the flags.
void TForm2::takeEntry(int e, const BlockTransfer::Entry &entry)
{
    const bool inWorkingSet = e >= 1 && e <= SlotCount;
    if (inWorkingSet)
        grid().setCell(1, e, entry.firstAccepted ? codeText(entry.bytes.data()) : QStringLiteral("CHYBA"));
    if (e == 0)
        takeConfiguration(entry);
    if (inWorkingSet) {
        grid().setCell(2, e, entry.secondAccepted ? flagText(entry.bytes[8], entry.bytes[9]) : QStringLiteral("CHYBA"));
        grid().setCell(3, e, QString());
    }
}

// A rejected frame leaves older bytes in the frame buffer: no configuration then.
void TForm2::takeConfiguration(const BlockTransfer::Entry &entry)
{
    if (!entry.firstAccepted) {
        deviceConfig.reset();
        return;
    }
    const auto &b = entry.bytes;
    deviceConfig = DeviceConfig{b[0], b[1], storedCodeCount(b[2], b[3])};
    setLabel(Label2, configurationText(deviceConfig->address, deviceConfig->relayTime, deviceConfig->codeCount));
}

// The transfer end has gone out.
void TForm2::finishRead()
{
    if (deviceConfig && configurationDiffers())
        showNewConfiguration();
    close();
}

bool TForm2::configurationDiffers() const
{
    const Link &l = link();
    return deviceConfig->address != l.currentAddress || deviceConfig->relayTime != l.relayTime
        || deviceConfig->codeCount != l.codeCount;
}

// The configuration window takes over as after a configuration read.
void TForm2::showNewConfiguration()
{
    TForm3 &f = *cm_.form3;
    const Link &l = link();
    f.Label4->setText(QStringLiteral("Při čtení ze zařízení ") + cm_.deviceName + QStringLiteral(" byly zjištěny nové hodnoty."));
    f.Label4->adjustSize();
    const std::pair<QLineEdit *, int> values[] = {
        {f.Edit1, deviceConfig->address}, {f.Edit2, deviceConfig->relayTime}, {f.Edit3, deviceConfig->codeCount},
        {f.Edit4, l.currentAddress},      {f.Edit5, l.relayTime},            {f.Edit6, l.codeCount}};
    for (const auto &[edit, value] : values)
        edit->setText(number(value));
    f.show();
}
