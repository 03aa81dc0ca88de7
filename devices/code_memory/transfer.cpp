// The working-set transfer as TForm2 shows it: the write job (every slot as
// two requests 25 ms apart, the configuration, the read-back of a verified
// write) and the read job (16 blocks of 32 entries) run on the link; the
// window shows their progress and turns their results into messages.
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/entry_texts.h"
#include "devices/code_memory/tform2.h"

#include "link/link.h"
#include "link/link_claim.h"
#include "records/database.h"
#include "records/working_set.h"
#include "core/error.h"
#include "core/operator.h"
#include "ui/text_grid.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>

namespace {
constexpr int ListedSlots = 20;          // differing slots named in the read-back's message

QString number(int n) { return QString::number(n); }

// "1 slot", "3 sloty", "7 slotů".
QString slotCount(int n)
{
    if (n == 1)
        return QStringLiteral("1 slot");
    return number(n) + (n >= 2 && n <= 4 ? QStringLiteral(" sloty") : QStringLiteral(" slotů"));
}

// The first of the slots as the working set's grid labels them, then "…".
QString slotList(const QList<WorkingSetWrite::Difference> &differing)
{
    QStringList labels;
    for (const auto &d : differing.mid(0, ListedSlots))
        labels << slotLabel(d.slot);
    return labels.join(QStringLiteral(", ")) + (differing.size() > ListedSlots ? QStringLiteral(" …") : QString());
}

// "liší se 3 sloty: 012, 045, 300"
QString differingText(const QList<WorkingSetWrite::Difference> &differing)
{
    return QStringLiteral("liší se ") + slotCount(int(differing.size())) + QStringLiteral(": ")
        + slotList(differing);
}

// A sentence ends with "." unless it trails off with "…".
QString sentence(const QString &text) { return text.endsWith(QChar(0x2026)) ? text : text + QLatin1Char('.'); }
} // namespace

void TForm2::ZapisTabulkyDoPameti1Click() { startWrite(false); }

void TForm2::ZapisSOverenim1Click() { startWrite(true); }

void TForm2::startWrite(bool verify)
{
    if (!linkFree(link()))
        return;
    cm_.selectDevice();
    link().openPort();
    direction = Direction::Write;
    setWindowTitle(QStringLiteral("Zápis sestavy do zařízení"));
    setLabel(Label3, QStringLiteral("Probíhá zápis pracovní sestavy do zařízení ") + cm_.deviceName);
    setLabel(Label2, configurationText(linkConfig(link())));
    setProgress(QStringLiteral("Zapsáno "), 0);
    if (refused(writeJob.start(linkConfig(link()), setTexts(grid()), verify)))
        return;
    show();
}

void TForm2::CteniTabulkyZpameti1Click()
{
    if (!linkFree(link()))
        return;
    cm_.selectDevice();
    link().openPort();
    direction = Direction::Read;
    deviceConfig.reset();
    setWindowTitle(QStringLiteral("Čtení sestavy ze zařízení"));
    setLabel(Label3, QStringLiteral("Probíhá načtení pracovní sestavy ze zařízení ") + cm_.deviceName);
    setLabel(Label2, QStringLiteral("Síťová adresa ") + number(link().currentAddress));
    setProgress(QStringLiteral("Přečteno "), 0);
    if (refused(readJob.start(link().currentAddress)))
        return;
    show();
}

void TForm2::noAnswer()
{
    tellNoAnswer();
    close();
}

// The configuration's answer is the main window's, as after a configuration
// read or write; a verified write that sent every slot then reads back.
void TForm2::configured(const std::optional<Reply> &reply)
{
    cm_.Timer1Timer(reply);
    if (writeJob.verifies())
        startReadBack();
}

// No answer to a transfer start ends either direction; a port error has
// already been met and goes on to the error box.
void TForm2::writeEnded(const WorkingSetWrite::Result &r)
{
    if (r.end == Job::End::NoAnswer)
        return noAnswer();
    if (r.end == Job::End::PortError)
        return (void)close();
    if (r.verifying)
        reportReadBack(r);
    else if (r.flagsSent < SlotCount)
        reportStoppedWrite(r);
}

// Slots 1..n are whole once their flags have gone out; a code without its
// flags is named, the slots after it were not touched.
void TForm2::reportStoppedWrite(const WorkingSetWrite::Result &r)
{
    const int whole = r.flagsSent;
    QString text = QStringLiteral("Zápis do zařízení ") + cm_.deviceName
        + QStringLiteral(" byl přerušen. Zařízení nyní obsahuje z nové sady ") + slotCount(whole)
        + QStringLiteral(" z 510");
    if (whole == 1)
        text += QStringLiteral(" (slot 1)");
    else if (whole > 1)
        text += QStringLiteral(" (sloty 1 až ") + number(whole) + QStringLiteral(")");
    if (r.codesSent > r.flagsSent)
        text += QStringLiteral("; u slotu ") + number(whole + 1) + QStringLiteral(" byl zapsán jen kód, bez příznaků");
    text += QStringLiteral("; ostatní sloty zůstaly beze změny.");
    op().messageBox(QStringLiteral("Upozornění"), text, MB_OK | MB_ICONEXCLAMATION);
}

// The code memory is read back into the job's buffer: the working set stays
// as it was written.
void TForm2::startReadBack()
{
    direction = Direction::Verify;
    setWindowTitle(QStringLiteral("Ověření zápisu do zařízení"));
    setLabel(Label3, QStringLiteral("Ověřování zápisu do zařízení ") + cm_.deviceName);
    setProgress(QStringLiteral("Ověřeno "), 0);
    show();
}

void TForm2::reportReadBack(const WorkingSetWrite::Result &r)
{
    close();
    const QString device = cm_.deviceName;
    if (r.end == Job::End::Stopped) {
        const QString found = r.differing.isEmpty() ? QString() : QStringLiteral("; ") + differingText(r.differing);
        op().messageBox(QStringLiteral("Upozornění"),
                        QStringLiteral("Ověření zápisu do zařízení ") + device
                            + QStringLiteral(" nebylo dokončeno, ověřeno bylo ")
                            + sentence(slotCount(r.checked) + QStringLiteral(" z 510") + found),
                        MB_OK | MB_ICONEXCLAMATION);
    } else if (r.differing.isEmpty()) {
        op().messageBox(QStringLiteral("Potvrzení"),
                        QStringLiteral("Zápis do zařízení ") + device
                            + QStringLiteral(" ověřen: všech 510 slotů souhlasí."),
                        MB_OK | MB_ICONINFORMATION);
    } else {
        op().messageBox(QStringLiteral("Upozornění"),
                        sentence(QStringLiteral("Ověření zápisu do zařízení ") + device + QStringLiteral(": ")
                                 + differingText(r.differing)),
                        MB_OK | MB_ICONEXCLAMATION);
    }
}

// A block of the read into the working set: bytes 0..7 are the code (entry
// 0: the configuration), bytes 8..9 the flags.
void TForm2::takeBlock(int first, const BlockTransfer::Block &block)
{
    for (int i = 0; i < BlockEntries; ++i) {
        const int e = first + i;
        const BlockTransfer::Entry &entry = block[size_t(i)];
        if (e == 0) {
            // A rejected frame leaves older bytes in the frame buffer: no configuration then.
            deviceConfig = entryConfig(entry);
            if (deviceConfig)
                setLabel(Label2, configurationText(*deviceConfig));
        } else if (e <= SlotCount) {
            grid().setCell(1, e, entryCodeText(entry));
            grid().setCell(2, e, entryFlagText(entry));
            grid().setCell(3, e, QString());
        }
    }
    setProgress(QStringLiteral("Přečteno "), first + BlockEntries);
}

// The transfer end has gone out.
void TForm2::readEnded(const CodeMemoryRead::Result &r)
{
    if (r.end == Job::End::NoAnswer)
        return noAnswer();
    if (r.end != Job::End::PortError && deviceConfig && *deviceConfig != linkConfig(link()))
        showNewConfiguration();
    close();
}

// The configuration window takes over as after a configuration read.
void TForm2::showNewConfiguration()
{
    if (cm_.showConfiguration)
        cm_.showConfiguration(QStringLiteral("Při čtení ze zařízení ") + cm_.deviceName
                              + QStringLiteral(" byly zjištěny nové hodnoty."),
                          *deviceConfig);
}
