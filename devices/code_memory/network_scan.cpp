// The network scan as TForm2 shows it: the scan job asks every address for
// its configuration and version; each device found becomes a row of TForm4.
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/tform2.h"
#include "devices/code_memory/tform4.h"
#include "link/link.h"
#include "link/link_claim.h"

#include <QLabel>
#include <QProgressBar>

void TForm2::DetekceSite1Click()
{
    if (!linkFree(link()))
        return;
    link().openPort();
    cm_.detectedCount = 0;
    direction = Direction::Scan;
    setWindowTitle(QStringLiteral("Detekce sítě"));
    setLabel(Label3, QString());
    setLabel(Label2, QString());
    cm_.form4->startScan();
    scanJob.onAsked = [this](int asked) { showAsked(asked); };
    scanJob.onFound = [this](const NetworkScan::Found &found) {
        ++cm_.detectedCount;
        cm_.form4->addDevice(cm_.detectedCount, found.config.address, found.config.relayTime, found.config.codeCount);
    };
    scanJob.onVersion = [this](int number, int version) { cm_.form4->setVersion(number, version); };
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
