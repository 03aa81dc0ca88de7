// The working-set transfer: the write sends every slot as two requests 25 ms
// apart without reading replies; the read fetches 16 blocks of 32 entries
// through the block transfer. Both open with a transfer start and end with
// the configuration.
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

namespace {
constexpr int PacingMs = 25;
constexpr int EndSlot = SlotCount + 1;   // the write's slot after the last
constexpr int EntryCount = 512;          // entries 0..511 of the read

QString number(int n) { return QString::number(n); }

QString configurationText(int address, int relayTime, int codeCount)
{
    return QStringLiteral("Síťová adresa ") + number(address) + QStringLiteral("  Čas relé ") + number(relayTime)
        + QStringLiteral("  Počet kódů ") + number(codeCount);
}
} // namespace

void TForm2::ZapisTabulkyDoPameti1Click()
{
    if (!claimLink())
        return;
    cm_.selectDevice();
    link().openPort();
    link().receiveReset();
    direction = Direction::Write;
    slot = 0;
    step = 2;
    stop = false;
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
int TForm2::sendCode() { return link().send(tavoM::writeCode(slot, grid().cell(1, slot))); }

// The slot's flags into bytes 8..9 of its entry.
int TForm2::sendFlags() { return link().send(tavoM::writeFlags(slot, grid().cell(2, slot))); }

// The device's configuration is written again; the main window's Timer1 takes
// the reply, and the link with it.
void TForm2::finishWrite()
{
    close();
    Link &l = link();
    l.targetAddress = l.currentAddress;
    l.receiveReset();
    l.send(tavoM::writeConfiguration(l.currentAddress, l.relayTime, l.codeCount));
    cm_.awaitReply();
}

// A block of the read into the working set; the next block follows until
// entry 511 has been read.
std::optional<BlockTransfer::Place> TForm2::takeBlock(const BlockTransfer::Block &block)
{
    for (int i = 0; i < BlockEntries; ++i)
        takeEntry(slot + i, block[size_t(i)]);
    slot += BlockEntries;
    setLabel(Label1, QStringLiteral("Přečteno ") + number(slot) + QStringLiteral(" Kódů z 510"));
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
