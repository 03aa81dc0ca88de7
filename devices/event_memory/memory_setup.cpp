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
constexpr int ReadBytes = 20;
constexpr int StepMs = 100;
constexpr int AfterIdentificationMs = 600;
constexpr int AfterPointersMs = 1200;

// The request of each step 0 .. 3; step 4 sends nothing.
Request stepRequest(int step)
{
    switch (step) {
    case 0: return tavoB::readIdentification(Selector::Card);
    case 1: return tavoB::readPointers(Selector::Card);
    case 2: return tavoB::readIdentification(Selector::EventBuffer);
    default: return tavoB::readPointers(Selector::EventBuffer);
    }
}

// A reply's R0..R7 as the identification number, and as the two pointers.
struct HeaderTexts {
    QString identification, first, last;
};

HeaderTexts headerTexts(const Link &link)
{
    const auto r = [&link](int n) { return link.r(n); };
    return {keyCodeText(&link.frame[4]), QString::number(eventOfPointer(r(0), r(1), r(2), r(3))),
            QString::number(eventOfPointer(r(4), r(5), r(6), r(7)))};
}
} // namespace

// Nothing is sent yet: the first tick asks for the card's identification.
// Refused, before the device selection changes the link, while another
// operation (a sequence of this window's included) holds the link.
void TForm12::AktivaceTAVOBClick()
{
    if (!claim())
        return;
    selectDevice_();
    link_.openPort();
    link_.receiveReset();
    SetupStep = 0;
    Timer1.setEnabled(true);
    show();
}

void TForm12::Timer1Timer()
{
    Timer1.setEnabled(false);
    Timer1.setInterval(StepMs);
    link_.poll(ReadBytes);
    const HeaderTexts t = link_.decode() ? headerTexts(link_) : HeaderTexts{};
    link_.receiveReset();
    switch (SetupStep) {
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
        return;
    default:
        break;
    }
    link_.send(stepRequest(SetupStep));
    ++SetupStep;
    Timer1.setEnabled(true);
}

// Pointers of the first and last event; a number that is not whole or is
// negative raises the conversion error and nothing is sent.
void TForm12::Button1Click()
{
    const qint32 first = eventNumberToWrite(Edit1->text());
    const qint32 last = eventNumberToWrite(Edit2->text());
    if (!claim())
        return;
    link_.receiveReset();
    link_.send(tavoB::writePointers(first, last));
    startReading(AfterPointersMs);
}

// The values of an empty memory; nothing is written yet.
void TForm12::Button2Click()
{
    Edit1->setText(QStringLiteral("1"));
    Edit2->setText(QStringLiteral("0"));
}

void TForm12::Button3Click()
{
    if (!claim())
        return;
    link_.receiveReset();
    link_.send(tavoB::writeIdentification(identificationBytes(Edit3->text())));
    startReading(AfterIdentificationMs);
}

// Seeded by the time of day in whole seconds: two presses within one second
// give the same number.
void TForm12::Button4Click() { Edit3->setText(generatedIdentification(Random::fromWallClock().next())); }

bool TForm12::claim()
{
    return claimLink(link_, this, [this] { return Timer1.enabled(); });
}

void TForm12::startReading(int firstTickMs)
{
    SetupStep = 0;
    Timer1.setInterval(firstTickMs);
    Timer1.setEnabled(true);
}
