// The network scan as TForm2 shows it: the scan job asks every address for
// its configuration and version; each device found becomes a row of the list
// of detected devices, which TForm4 shows.
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/tform2.h"
#include "link/link.h"
#include "link/link_claim.h"

#include <QLabel>
#include <QProgressBar>

void TForm2::DetekceSite1Click()
{
    if (!linkFree(link()))
        return;
    link().openPort();
    direction = Direction::Scan;
    setWindowTitle(QStringLiteral("Detekce sítě"));
    setLabel(Label3, QString());
    setLabel(Label2, QString());
    cm_.startDetected();
    scanJob.onAsked = [this](int asked) { showAsked(asked); };
    scanJob.onFound = [this](const NetworkScan::Found &found) { cm_.addDetected(found.config); };
    scanJob.onVersion = [this](int number, int version) { cm_.setDetectedVersion(number, version); };
    scanJob.onEnd = [this](const NetworkScan::Result &) { close(); };
    if (refused(scanJob.start()))
        return;
    show();
}

void TForm2::showAsked(int asked)
{
    setLabel(Label1, QStringLiteral("Dotázáno ") + QString::number(asked) + QStringLiteral(" zařízení z 256"));
    ProgressBar1->setValue(2 * asked);
}

void CodeMemory::startDetected()
{
    detectedCount = 0;
    detected.setRowCount(1);
    if (showDetected)
        showDetected();
}

void CodeMemory::addDetected(const DeviceConfig &config)
{
    const int order = ++detectedCount;
    detected.setRowCount(order + 1);
    const int values[] = {order, config.address, config.relayTime, config.codeCount};
    for (int c = 0; c < 4; ++c)
        detected.setCell(c, order, QString::number(values[c]));
}

void CodeMemory::setDetectedVersion(int order, int version) { detected.setCell(4, order, QString::number(version)); }
