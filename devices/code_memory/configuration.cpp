// Reading and writing a TAVO-M device's configuration (entry 0 of its code
// memory: address, relay time, (code count + 1) x 16 big-endian) through the
// configuration jobs; each reply is read once, 100 ms after the request.
#include "devices/code_memory/code_memory.h"
#include "link/link.h"
#include "link/link_claim.h"
#include "records/database.h"
#include "records/device_list.h"
#include "core/error.h"
#include "core/operator.h"


namespace {
int inRange(int value, int max, int fallback) { return value >= 0 && value <= max ? value : fallback; }
} // namespace

CodeMemory::CodeMemory(Link &link, Database &db)
    : link(link), db(db), configRead(link), configWrite(link), relayTest(link)
{
    configRead.onEnd = [this](const ConfigurationRead::Result &r) {
        if (r.end != Job::End::PortError)
            Timer1Timer(r.reply);
    };
    configWrite.onEnd = [this](const ConfigurationWrite::Result &r) {
        if (r.end != Job::End::PortError)
            Timer1Timer(r.reply);
    };
}

void CodeMemory::configurationRead()
{
    if (!linkFree(link))
        return;
    selectDevice();
    link.openPort();
    configMode = ConfigMode::Read;
    if (!configRead.start(link.currentAddress))
        tellOperationRunning();
}

bool CodeMemory::configurationWrite(const QString &addressText, const QString &relayText, const QString &countText)
{
    if (!linkFree(link))
        return false;
    link.openPort();
    // All three are converted before any link value changes: a text that is
    // not a number leaves the link as it was.
    const int address = strToInt(addressText);
    const int relay = strToInt(relayText);
    const int count = strToInt(countText);
    configMode = ConfigMode::Write;
    if (!configWrite.start({inRange(address, 255, 255), inRange(relay, 255, 5), inRange(count, 511, 510)})) {
        tellOperationRunning();
        return false;
    }
    return true;
}

void CodeMemory::Timer1Timer(const std::optional<Reply> &reply)
{
    if (configMode == ConfigMode::Write)
        finishWrite(reply);
    else if (showConfiguration)
        showConfiguration(QStringLiteral("Chystáte se konfigurovat zařízení ") + deviceName,
                          reply ? std::optional<DeviceConfig>(replyConfig(*reply)) : std::nullopt);
}

bool CodeMemory::prepareDeviceWindow()
{
    if (!linkFree(link))
        return false;
    selectDevice();
    link.openPort();
    link.receiveReset();
    return true;
}

// The device answers a write from its new address (now the link's), echoing
// what it stored.
void CodeMemory::finishWrite(const std::optional<Reply> &reply)
{
    if (configurationEchoed(reply, linkConfig(link))) {
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
}

// The new configuration goes into the row of the device it was written to,
// even when the operator has moved to another row of the list meanwhile.
void CodeMemory::storeConfiguration()
{
    Table &devices = db.Table3;
    if (devices.bookmark() != deviceRow)
        devices.gotoBookmark(deviceRow);
    storeDeviceConfig(devices, link.currentAddress, link.relayTime, link.codeCount);
}
