// The device clock. The window reads the clock (146, selector 162) and 1000 ms
// later its tick shows the answer, then asks again; a write (148) stops the
// polling, sends the time and starts it again, its first tick taking the
// device's answer to the write as a clock reply.
//
// The polling is no operation of its own: it takes the link only to send, and
// its tick skips (asking nothing, reading nothing) while another device
// operation holds the link. When the line was used by another operation since
// the clock's request, its reply is gone: the tick shows nothing and asks anew.
#include "devices/event_memory/setup_texts.h"
#include "devices/event_memory/tform14.h"
#include "link/link.h"
#include "link/link_claim.h"

#include <QLabel>
#include <QLineEdit>

using namespace tavob;

// Refused, before the device selection changes the link, while another
// operation holds the link.
void TForm14::NastaveniCasuClick()
{
    if (!claim())
        return;
    selectDevice_();
    link_.openPort();
    clock_.sendRead();
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
    if (const std::optional<Reply> answer = clock_.takeAnswer())
        showDeviceTime(*answer);
    Edit1->setText(pcTimeText(pc));
    clock_.sendRead();
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

// R0..R7 of the reply are the clock's 8 bytes. The device read its clock
// when the request reached it, a few milliseconds after it was sent: the drift
// is measured against the PC's time of the request, not of the tick.
void TForm14::showDeviceTime(const Reply &answer)
{
    const DateTimeTexts t = renderDateTime(answer.data(), summerSetting());
    Edit3->setText(dateTimeText(t));
    Label4->setText(driftText(clockDrift(t, clock_.sentAt())));
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
    clock_.sendWrite(time);
    Timer1.setEnabled(true);
}
