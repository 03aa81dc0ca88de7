// The event range of a TAVO-B and its reading. The range refresh asks the
// device event buffer for the first and last pointers; the dates of the
// range's ends are read one record half at a time, from the device event
// buffer while the event lies in the block being filled, else from the card;
// the reading runs the block transfer under TForm15, block by block from the
// block of the range's first event, on around the end of the ring.
#include "devices/event_memory/tform13.h"
#include "devices/event_memory/tform15.h"

#include "devices/event_memory/event_format.h"
#include "devices/event_memory/requests.h"
#include "link/link.h"
#include "link/link_claim.h"
#include "ui/operator.h"

#include <QLineEdit>
#include <QRadioButton>

using namespace tavob;

namespace {
constexpr int ReplyBytes = 20;

QString warning() { return QStringLiteral("Upozornění"); }
} // namespace

bool TForm13::operationRunning() const { return Timer2.enabled() || Timer3.enabled() || Timer4.enabled(); }

// A step of the window's own operation goes on; anything else claims the link.
bool TForm13::takeLink()
{
    if (link().holder() == this)
        return true;
    return claimLink(link(), this, [this] { return operationRunning(); });
}

void TForm13::CteniUdalostiClick()
{
    if (!takeLink())
        return;
    ctx_.selectDevice();
    link().openPort();
    requestRange();
    show();
}

void TForm13::Image1Click()
{
    if (takeLink())
        requestRange();
}

// The first and last pointers of the device event buffer.
void TForm13::requestRange()
{
    link().receiveReset();
    link().send(tavoB::readPointers(Selector::EventBuffer));
    Timer2.setEnabled(true);
}

void TForm13::Timer2Timer()
{
    Timer2.setEnabled(false);
    RangeIdle = false;
    link().poll(ReplyBytes);
    if (!link().decode()) {
        closeWithMessage(QStringLiteral("Zařízení neodpovídá."));
        return;
    }
    DeviceFirst = eventOfPointer(link().r(0), link().r(1), link().r(2), link().r(3));
    DeviceLast = eventOfPointer(link().r(4), link().r(5), link().r(6), link().r(7));
    if (rangeRejected())
        return;
    link().receiveReset();
    Edit3->setText(QStringLiteral("1"));
    Edit4->setText(QString::number(DeviceFirst));
    Edit5->setText(QString::number(DeviceLast));
    RadioItem[FromTo]->setChecked(true);
    showModeControls();
    SecondDatePending = true;
    SecondEvent = DeviceLast;
    DateTarget = true;
    readDate(DeviceFirst);
}

// A header off the ring means a memory never set up: the operator is sent to
// the set-up. An empty memory (last 0) is fine.
bool TForm13::rangeRejected()
{
    if (DeviceFirst < 1 || DeviceFirst > RingSize) {
        closeWithMessage(QStringLiteral("Počátek paměti událostí je mimo platnou oblast. Proveďte Aktivaci TAVO-B."));
        return true;
    }
    if (DeviceLast < 0 || DeviceLast > RingSize) {
        closeWithMessage(QStringLiteral("Konec paměti událostí je mimo platnou oblast. Proveďte Aktivaci TAVO-B."));
        return true;
    }
    return false;
}

// The receive reset first: the link is free while the message waits.
void TForm13::closeWithMessage(const QString &text)
{
    link().receiveReset();
    op().messageBox(warning(), text, MB_OK | MB_ICONEXCLAMATION);
    close();
}

// The date and time half of event n's record.
void TForm13::readDate(qint64 n)
{
    const qint32 e = ringEvent(n);
    link().receiveReset();
    link().send(tavoB::readEventDate(e, eventInNewestBlock(e, DeviceLast)));
    Timer3.setEnabled(true);
}

// No answer leaves the date edit as it was.
void TForm13::Timer3Timer()
{
    Timer3.setEnabled(false);
    link().poll(ReplyBytes);
    if (link().decode()) {
        const DateTimeTexts t = renderDateTime(&link().frame[4], summerSetting());
        (DateTarget ? Edit1 : Edit2)->setText(dateTimeText(t));
    }
    link().receiveReset();
    if (SecondDatePending) {
        SecondDatePending = false;
        DateTarget = !DateTarget;
        readDate(SecondEvent);
    } else {
        RangeIdle = true;
    }
}

// A new mode shows its edits and the dates of its range's ends.
void TForm13::RadioGroup1Click()
{
    showModeControls();
    qint64 firstDate = 0;
    switch (itemIndex()) {
    case Oldest:
        SecondEvent = editNumber(Edit3) + DeviceFirst - 1;
        firstDate = DeviceFirst;
        break;
    case Newest:
        SecondEvent = DeviceLast;
        firstDate = qint64(DeviceLast) - editNumber(Edit3) + 1;
        break;
    default:
        SecondEvent = editNumber(Edit5);
        firstDate = editNumber(Edit4);
        break;
    }
    SecondDatePending = true;
    DateTarget = true;
    // While the range is being refreshed, its reply must not meet a date request.
    if (!Timer2.enabled() && takeLink())
        readDate(firstDate);
}

void TForm13::Edit3Change()
{
    if (Edit3->text().isEmpty() || !RangeIdle || itemIndex() == FromTo)
        return;
    const qint64 n = editNumber(Edit3);
    DateTarget = itemIndex() == Newest;
    if (takeLink())
        readDate(itemIndex() == Oldest ? n + DeviceFirst - 1 : DeviceLast - n + 1);
}

void TForm13::Edit4Change()
{
    if (Edit4->text().isEmpty() || !RangeIdle)
        return;
    const qint64 n = editNumber(Edit4);
    DateTarget = true;
    if (takeLink())
        readDate(n);
}

void TForm13::Edit5Change()
{
    if (Edit5->text().isEmpty() || !RangeIdle)
        return;
    const qint64 n = editNumber(Edit5);
    DateTarget = false;
    if (takeLink())
        readDate(n);
}

// The range of the mode; the rows of an earlier reading go, and TForm15
// reads from the block of the range's first event.
void TForm13::Image4Click()
{
    const int mode = itemIndex();
    const qint64 n = mode == FromTo ? 0 : editNumber(Edit3);
    const qint64 from = mode == FromTo ? editNumber(Edit4) : 0;
    const qint64 to = mode == FromTo ? editNumber(Edit5) : 0;
    const ReadRange r = readRange(mode, n, from, to, DeviceFirst, DeviceLast);
    if (r.count > MaxReading) {
        op().messageBox(warning(),
                        r.count == RingSize ? QStringLiteral("Proveďte alespoň jeden pokus o přístup.")
                                            : QStringLiteral("Lze vyčíst maximálně 100 000 událostí najednou."),
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!claimLink(link(), form15, [f = form15] { return f->transfer.running(); }))
        return;
    RangeFirst = r.first;
    RangeLast = r.last;
    EventCount = r.count;
    CurrentEvent = firstEventOfBlock(RangeFirst);
    NextRow = 1;
    UnauthorizedCount = 0;
    LastUnauthorizedRow = 0;
    BlockAddress = blockAddress(RangeFirst);
    events.setRowCount(1);
    link().receiveReset();
    form15->start(ctx_.deviceName(), EventCount);
}

// The newest block from the device event buffer, the others from the card.
BlockTransfer::Place TForm13::firstBlock() const
{
    if (blockInEventBuffer(CurrentEvent, DeviceLast))
        return tavoB::eventBlock(CurrentEvent, true);
    return {BlockAddress, Selector::Card};
}

// The records before the range's first event are passed over; the rows of
// the others are appended in one step. After event 4,000,000 the ring goes on
// with event 1, which still counts as inside the range.
std::optional<BlockTransfer::Place> TForm13::takeBlock(const BlockTransfer::Block &block)
{
    const bool summer = summerSetting();
    QList<QStringList> rows;
    rows.reserve(BlockEntries);
    for (const BlockTransfer::Entry &entry : block) {
        if (NextRow <= EventCount && CurrentEvent >= RangeFirst) {
            rows << eventRow(CurrentEvent, entry.bytes.data(), entry.firstAccepted, summer);
            if (rows.last()[ColPosition] == unauthorizedText()) {
                ++UnauthorizedCount;
                LastUnauthorizedRow = NextRow;
            }
            ++NextRow;
        }
        if (++CurrentEvent > RingSize) {
            CurrentEvent = 1;
            RangeFirst = 1;
        }
    }
    const int at = events.rowCount();
    events.appendRows(rows);
    for (int row = at; row < events.rowCount(); ++row)
        events.setRowMark(row, rowMark(events, row));
    BlockAddress = nextBlockAddress(BlockAddress);
    form15->showProgress(NextRow - 1, EventCount);
    if (NextRow <= EventCount)
        return firstBlock();
    return std::nullopt;
}
