// The codes presented to a device last. Command 143 is answered by a count
// frame (R0 = N) and N code frames (R0..R7) back to back; 200 ms after the
// request the reply is read, and after a list of at least one code command 142
// releases it.
//
// A long list takes more than 200 ms on the line (20 codes are some 270 bytes,
// 280 ms at 9600 baud): while frames the count announced are still missing and
// their line time has not passed, Timer2 reads again in short steps; the rows
// are filled once they are all in, or when their time is up.
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/entry_texts.h"
#include "devices/code_memory/requests.h"
#include "devices/code_memory/tform17.h"
#include "link/link.h"
#include "link/link_claim.h"
#include "ui/operator.h"
#include "ui/text_grid.h"

#include <algorithm>

namespace {
constexpr int ReadBytes = 200;
constexpr quint8 FrameEnd = 0x7D;
// A code frame with every byte escaped: start, 11 bytes twice, end.
constexpr int LongestCodeFrame = 24;

qint64 lineTimeUs(const Link &link, qint64 bytes)
{
    return bytes * PortLimits::BitsPerByte * 1000000 / qMax(1, link.settings().baud());
}

// Frames complete on the line so far: a raw end byte ends each (inside a frame it travels escaped).
int framesArrived(const QByteArray &bytes) { return int(bytes.count(char(FrameEnd))); }
} // namespace

// Refused, before the device selection changes the link, while another
// operation holds the link.
void CodeMemory::V1Click()
{
    if (!claimLink(link, form17, [] { return false; }))
        return;
    selectDevice();
    link.openPort();
    link.receiveReset();
    form17->show();
}

// The read holds the link from the request until its last read has run; a
// second "&Načti" meanwhile is refused like any other operation.
void TForm17::Button1Click()
{
    Link &link = cm_.link;
    if (!claimLink(link, this, [this] { return Timer1.enabled() || Timer2.enabled(); }))
        return;
    arrived_.clear();
    announced_ = 0;
    link.receiveReset();
    link.send(tavoM::lastCodesRead());
    Timer1.setEnabled(true);
    cutGrid();
}

void TForm17::Timer1Timer()
{
    Timer1.setEnabled(false);
    readMore();
    Link &link = cm_.link;
    if (!link.decode()) {
        // The receive reset first: the message box waits for the operator, and
        // the link is free for another operation meanwhile.
        finish();
        op().messageBox(QStringLiteral("Upozornění"), QStringLiteral("Zařízení neodpovídá."), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    announced_ = link.r(0);
    deadlineUs_ = theClock().nowUs() + lineTimeUs(link, qint64(announced_) * LongestCodeFrame);
    if (waitForMore()) {
        Timer2.setEnabled(true);
        return;
    }
    fillRows();
    finish();
}

void TForm17::Timer2Timer()
{
    Timer2.setEnabled(false);
    readMore();
    if (waitForMore()) {
        Timer2.setEnabled(true);
        return;
    }
    fillRows();
    finish();
}

// Appends what has arrived (at most 200 bytes a read, 1024 in all) and puts
// every byte read since the request into the receive buffer, read position 0.
void TForm17::readMore()
{
    Link &link = cm_.link;
    const int n = link.poll(qMin(ReadBytes, Link::ReceiveSize - int(arrived_.size())));
    arrived_.append(reinterpret_cast<const char *>(link.receive.data()), n);
    std::fill(link.receive.begin(), link.receive.end(), quint8(0));
    std::copy(arrived_.cbegin(), arrived_.cend(), link.receive.begin());
    link.readPosition = 0;
}

bool TForm17::waitForMore() const
{
    return framesArrived(arrived_) < 1 + announced_ && arrived_.size() < Link::ReceiveSize
           && theClock().nowUs() < deadlineUs_;
}

// Every announced row is tried, each from where the decoder stopped; a frame
// that is missing or damaged shows "CHYBA".
void TForm17::fillRows()
{
    Link &link = cm_.link;
    link.readPosition = 0;
    link.decode();  // the count frame, accepted before
    for (int i = 1; i <= announced_; ++i) {
        const QString text = link.decode() ? codeText(&link.frame[4]) : QStringLiteral("CHYBA");
        StringGrid1->setRowCountAll(i + 1);
        StringGrid1->setCell(0, i, QString::number(i));
        StringGrid1->setCell(1, i, text);
    }
    if (announced_ >= 1)
        link.send(tavoM::lastCodesRelease());
}

void TForm17::finish()
{
    cm_.link.receiveReset();
    arrived_.clear();
}
