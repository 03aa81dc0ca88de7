// Reading and writing a TAVO-M device's configuration (entry 0 of its code
// memory: address, relay time, (code count + 1) x 16 big-endian). Each reply is
// read once, by the main window's Timer1, 100 ms after the request.
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/requests.h"
#include "devices/code_memory/tform3.h"
#include "link/link.h"
#include "link/link_claim.h"
#include "records/database.h"
#include "core/error.h"
#include "ui/operator.h"

#include <QLabel>
#include <QLineEdit>

namespace {
constexpr int ReplyBytes = 20;

int inRange(int value, int max, int fallback) { return value >= 0 && value <= max ? value : fallback; }
} // namespace

CodeMemory::~CodeMemory() { link.release(this); }

bool CodeMemory::claimForReply() { return ::claimLink(link, this, [this] { return Timer1.enabled(); }); }

void CodeMemory::awaitReply()
{
    link.passTo(this, [this] { return Timer1.enabled(); });
    Timer1.setEnabled(true);
}

void CodeMemory::configurationRead()
{
    if (!claimForReply())
        return;
    selectDevice();
    link.openPort();
    link.receiveReset();
    link.send(tavoM::readConfiguration());
    configMode = ConfigMode::Read;
    awaitReply();
}

void CodeMemory::configurationWrite(const QString &addressText, const QString &relayText, const QString &countText)
{
    if (!claimForReply())
        return;
    link.openPort();
    link.receiveReset();
    // All three are converted before any link value changes: a text that is
    // not a number leaves the link as it was.
    const int address = strToInt(addressText);
    const int relay = strToInt(relayText);
    const int count = strToInt(countText);
    link.targetAddress = inRange(address, 255, 255);
    link.relayTime = inRange(relay, 255, 5);
    link.codeCount = inRange(count, 511, 510);
    link.send(tavoM::writeConfiguration(link.targetAddress, link.relayTime, link.codeCount));
    form3->close();
    configMode = ConfigMode::Write;
    awaitReply();
}

void CodeMemory::Timer1Timer()
{
    Timer1.setEnabled(false);
    link.poll(ReplyBytes);
    if (configMode == ConfigMode::Write)
        finishWrite();
    else
        showRead();
    link.receiveReset();
}

// The device answers a write from its new address (Q0, now the current
// address the decoder requires), echoing what it stored.
bool CodeMemory::writeConfirmed()
{
    if (!link.decode())
        return false;
    for (int n = 0; n < 4; ++n)
        if (link.r(n) != link.q(n))
            return false;
    return true;
}

void CodeMemory::finishWrite()
{
    link.currentAddress = link.targetAddress;
    if (writeConfirmed()) {
        storeConfiguration();
        op().messageBox(QStringLiteral("Potvrzení"),
                        QStringLiteral("Konfigurace ") + deviceName + QStringLiteral(" byla úspěšně změněna."),
                        MB_OK | MB_ICONINFORMATION);
    } else {
        op().messageBox(QStringLiteral("Upozornění"),
                        QStringLiteral("Změna konfigurace ") + deviceName
                            + QStringLiteral(" nebyla úspěšná. Proveďte detekci sítě nebo opakujte konfiguraci."),
                        MB_OK | MB_ICONEXCLAMATION);
    }
    if (db.headingRefresh)
        db.headingRefresh();
}

// The new configuration goes into the row of the device it was written to,
// even when the operator has moved to another row of the list meanwhile.
void CodeMemory::storeConfiguration()
{
    Table &devices = db.Table3;
    if (devices.bookmark() != deviceRow)
        devices.gotoBookmark(deviceRow);
    devices.edit();
    devices.setFieldText(3, QString::number(link.currentAddress));
    devices.setFieldText(4, QString::number(link.relayTime));
    devices.setFieldText(5, QString::number(link.codeCount));
    devices.post();
}

void CodeMemory::showRead()
{
    TForm3 &f = *form3;
    f.Label4->setText(QStringLiteral("Chystáte se konfigurovat zařízení ") + deviceName);
    f.Label4->adjustSize();
    if (link.decode()) {
        f.Edit1->setText(QString::number(link.r(0)));
        f.Edit2->setText(QString::number(link.r(1)));
        f.Edit3->setText(QString::number(link.r(2) * 16 + link.r(3) / 16 - 1));
    }
    f.Edit4->setText(QString::number(link.currentAddress));
    f.Edit5->setText(QString::number(link.relayTime));
    f.Edit6->setText(QString::number(link.codeCount));
    f.show();
}
