// The working-set transfer: the write sends every slot as two requests 25 ms
// apart without reading replies; the read fetches 16 blocks of 32 entries.
// Both open each transfer with a transfer start and end with the configuration.
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
constexpr int TransferStartPolls = 20;
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
    startTransfer();
    show();
}

void TForm2::CteniTabulkyZpameti1Click()
{
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
    startTransfer();
    show();
}

// The device answers a transfer start with any frame; it has 20 polls to do so.
void TForm2::startTransfer()
{
    tickCount = 0;
    link().send(bus::transferStart());
    Timer2.setEnabled(true);
}

void TForm2::Timer2Timer()
{
    Timer2.setEnabled(false);
    link().poll(10);
    if (++tickCount > TransferStartPolls) {
        op().messageBox(QStringLiteral("Upozornění"), QStringLiteral("Zařízení neodpovídá."),
                        MB_OK | MB_ICONEXCLAMATION);
        close();
        return;
    }
    if (!link().decode()) {
        Timer2.setEnabled(true);
        return;
    }
    link().receiveReset();
    if (direction == Direction::Write) {
        armPacing(0);
        return;
    }
    link().send(bus::readBlock(tavoM::entryAddress(slot), Selector::CodeMemory));
    Timer1.setEnabled(true);
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

// The device's configuration is written again; the main window's Timer1 takes the reply.
void TForm2::finishWrite()
{
    close();
    Link &l = link();
    l.targetAddress = l.currentAddress;
    l.receiveReset();
    l.send(tavoM::writeConfiguration(l.currentAddress, l.relayTime, l.codeCount));
    cm_.Timer1.setEnabled(true);
}

void TForm2::Timer1Timer()
{
    Timer1.setEnabled(false);
    link().poll(1000);
    for (int i = 0; i < BlockEntries; ++i)
        readEntry(slot + i);
    link().receiveReset();
    slot += BlockEntries;
    setLabel(Label1, QStringLiteral("Přečteno ") + number(slot) + QStringLiteral(" Kódů z 510"));
    ProgressBar1->setValue(slot);
    if (slot < EntryCount && !stop)
        startTransfer();
    else
        finishRead();
}

// Two frames per entry: bytes 0..7 (the code, or entry 0's configuration), then 8..15.
void TForm2::readEntry(int e)
{
    const bool inWorkingSet = e >= 1 && e <= SlotCount;
    const bool codeAccepted = link().decode();
    if (inWorkingSet)
        grid().setCell(1, e, codeAccepted ? codeText(&link().frame[4]) : QStringLiteral("CHYBA"));
    if (e == 0)
        takeConfiguration(codeAccepted);
    const bool flagsAccepted = link().decode();
    if (inWorkingSet) {
        grid().setCell(2, e, flagsAccepted ? flagText(link().r(0), link().r(1)) : QStringLiteral("CHYBA"));
        grid().setCell(3, e, QString());
    }
}

// A rejected frame leaves older bytes in the frame buffer: no configuration then.
void TForm2::takeConfiguration(bool accepted)
{
    if (!accepted) {
        deviceConfig.reset();
        return;
    }
    const Link &l = link();
    deviceConfig = DeviceConfig{l.r(0), l.r(1), storedCodeCount(l.r(2), l.r(3))};
    setLabel(Label2, configurationText(deviceConfig->address, deviceConfig->relayTime, deviceConfig->codeCount));
}

void TForm2::finishRead()
{
    link().send(bus::transferEnd());
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
