// The network scan: every address 0..255 is asked for its configuration
// (entry 0 of the code memory) and, where a device answers, for its version.
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/entry_texts.h"
#include "devices/code_memory/requests.h"
#include "devices/code_memory/tform2.h"
#include "devices/code_memory/tform4.h"
#include "link/link.h"

#include <QLabel>
#include <QProgressBar>

namespace {
constexpr int Addresses = 256;
} // namespace

void TForm2::DetekceSite1Click()
{
    if (!claimLink())
        return;
    Link &l = link();
    l.openPort();
    l.receiveReset();
    cm_.detectedCount = 0;
    l.targetAddress = l.currentAddress;
    l.currentAddress = 0;
    stop = false;
    setWindowTitle(QStringLiteral("Detekce sítě"));
    setLabel(Label3, QString());
    setLabel(Label2, QString());
    showAsked();
    cm_.form4->startScan();
    askConfiguration();
    show();
}

void TForm2::showAsked()
{
    const int asked = link().currentAddress;
    setLabel(Label1, QStringLiteral("Dotázáno ") + QString::number(asked) + QStringLiteral(" zařízení z 256"));
    ProgressBar1->setValue(2 * asked);
}

void TForm2::askConfiguration()
{
    link().send(tavoM::readConfiguration());
    phase = Phase::Configuration;
    Timer3.setEnabled(true);
}

void TForm2::Timer3Timer()
{
    Timer3.setEnabled(false);
    Link &l = link();
    l.poll(20);
    if (l.decode())
        takeScanReply();
    else
        phase = Phase::Configuration;
    l.receiveReset();
    if (phase == Phase::Version) {
        l.send(tavoM::readVersion());
        Timer3.setEnabled(true);
        return;
    }
    ++l.currentAddress;
    showAsked();
    if (l.currentAddress < Addresses && !stop) {
        askConfiguration();
        return;
    }
    l.currentAddress = l.targetAddress;
    close();
}

void TForm2::takeScanReply()
{
    const Link &l = link();
    if (phase == Phase::Version) {
        cm_.form4->setVersion(cm_.detectedCount, l.r(0));
        phase = Phase::Configuration;
        return;
    }
    ++cm_.detectedCount;
    cm_.form4->addDevice(cm_.detectedCount, l.r(0), l.r(1), storedCodeCount(l.r(2), l.r(3)));
    phase = Phase::Version;
}
