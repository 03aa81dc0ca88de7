// The device clock. The window reads the clock (146, selector 162) and 1000 ms
// later its tick shows the answer, then asks again; a write (148) stops the
// polling, sends the time and starts it again, its first tick taking the
// device's answer to the write as a clock reply.
//
// The polling is no operation of its own: it takes the link only to send, and
// its tick skips (asking nothing, reading nothing) while another device
// operation holds the link. When the line was used by another operation since
// the clock's request, its reply is gone: the tick shows nothing and asks anew.
#include "devices/event_memory/requests.h"
#include "devices/event_memory/setup_texts.h"
#include "devices/event_memory/tform14.h"
#include "link/link.h"
#include "link/link_claim.h"

#include <QLabel>
#include <QLineEdit>

using namespace tavob;

namespace {
constexpr int ReadBytes = 20;
} // namespace

// Refused, before the device selection changes the link, while another
// operation holds the link.
void TForm14::NastaveniCasuClick()
{
    if (!claim())
        return;
    selectDevice_();
    link_.openPort();
    send(tavoB::readClock());
    Timer1.setEnabled(true);
    show();
}

void TForm14::Timer1Timer()
{
    Timer1.setEnabled(false);
    const QDateTime pc = wallNow();
    if (link_.busy()) {
        Edit1->setText(pcTimeText(pc));
        Timer1.setEnabled(true);
        return;
    }
    if (lastRequestIsOurs()) {
        link_.poll(ReadBytes);
        if (link_.decode())
            showDeviceTime();
    }
    Edit1->setText(pcTimeText(pc));
    send(tavoB::readClock());
    Timer1.setEnabled(true);
}

void TForm14::Button1Click() { write(Edit1->text()); }

void TForm14::Button2Click() { write(Edit2->text()); }

void TForm14::FormShow()
{
    Edit3->clear();
    Label4->clear();
}

void TForm14::FormClose() { Timer1.setEnabled(false); }

// Each request takes the link only while it is sent.
bool TForm14::claim() { return linkFree(link_); }

void TForm14::send(const Request &request)
{
    if (!sender_.run(request))
        return;
    sent_ = request;
    sentAt_ = wallNow();
}

// The request area of the frame buffer still holds the clock's request.
bool TForm14::lastRequestIsOurs() const
{
    if (link_.frame[Link::RequestAt + 1] != sent_.command)
        return false;
    for (int i = 0; i < sent_.data.size(); ++i)
        if (link_.frame[size_t(Link::RequestAt + 2 + i)] != quint8(sent_.data[i]))
            return false;
    return true;
}

// R0..R7 of the reply are the clock's 8 bytes. The device read its clock
// when the request reached it, a few milliseconds after it was sent: the drift
// is measured against the PC's time of the request, not of the tick.
void TForm14::showDeviceTime()
{
    const DateTimeTexts t = renderDateTime(&link_.frame[4], summerSetting());
    Edit3->setText(dateTimeText(t));
    Label4->setText(driftText(clockDrift(t, sentAt_)));
}

// A refused write changes nothing. A text the summer-time conversion cannot
// take raises the conversion error after the tick has stopped: nothing is sent
// and the polling stays stopped until a write succeeds or the window opens anew.
void TForm14::write(const QString &text)
{
    if (!claim())
        return;
    Timer1.setEnabled(false);
    const ClockBytes time = clockWriteBytes(text, summerSetting());
    send(tavoB::writeClock(time));
    Timer1.setEnabled(true);
}
