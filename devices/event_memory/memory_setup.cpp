// The event memory set-up. The read sequence asks, one request per Timer1
// tick, for the card's identification number and pointers and then the device
// event buffer's (146 at 8 and at 0, selectors 85 and 164), each tick showing
// the answer to the request before. The writes put a new identification
// number or new pointers into the device event buffer (148) and read
// everything again: the sequence's first tick only takes the answer to the
// write. The link is held from the first request until the sequence has ended.
#include "devices/event_memory/event_format.h"
#include "devices/event_memory/requests.h"
#include "devices/event_memory/setup_texts.h"
#include "devices/event_memory/tform12.h"
#include "link/link.h"
#include "link/link_claim.h"

#include <QLineEdit>

using namespace tavob;

namespace {
} // namespace

// Nothing is sent yet: the first tick asks for the card's identification.
// Refused, before the device selection changes the link, while another
// operation (a sequence of this window's included) holds the link.
void TForm12::AktivaceTAVOBClick()
{
    if (!linkFree(link_))
        return;
    selectDevice_();
    link_.openPort();
    if (!job.readHeaders())
        return tellOperationRunning();
    show();
}

// The reply of each step shows in its edits.
void TForm12::showStep(int step, const MemorySetup::HeaderTexts &t)
{
    switch (step) {
    case 1:
        Edit6->setText(t.identification);
        break;
    case 2:
        Edit4->setText(t.first);
        Edit5->setText(t.last);
        break;
    case 3:
        Edit9->setText(t.identification);
        break;
    case 4:
        Edit7->setText(t.first);
        Edit8->setText(t.last);
        Edit1->setText(t.first);
        Edit2->setText(t.last);
        break;
    default:
        break;
    }
}

// Pointers of the first and last event; a number that is not whole or is
// negative raises the conversion error and nothing is sent.
void TForm12::Button1Click()
{
    const qint32 first = eventNumberToWrite(Edit1->text());
    const qint32 last = eventNumberToWrite(Edit2->text());
    if (!job.writePointers(first, last))
        tellOperationRunning();
}

// The values of an empty memory; nothing is written yet.
void TForm12::Button2Click()
{
    Edit1->setText(QStringLiteral("1"));
    Edit2->setText(QStringLiteral("0"));
}

void TForm12::Button3Click()
{
    if (!linkFree(link_))
        return;
    if (!job.writeIdentification(identificationBytes(Edit3->text())))
        tellOperationRunning();
}

// Seeded by the time of day in whole seconds: two presses within one second
// give the same number.
void TForm12::Button4Click() { Edit3->setText(generatedIdentification(Random::fromWallClock().next())); }
