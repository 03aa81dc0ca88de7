// The event range of a TAVO-B and its reading, as TForm13 shows them. The
// range job asks the device event buffer for the first and last pointers and
// reads the dates of the range's ends one record half at a time; the reading
// job, shown by TForm15, reads block by block from the block of the range's
// first event, on around the end of the ring.
#include "devices/event_memory/tform13.h"
#include "devices/event_memory/tform15.h"

#include "devices/event_memory/event_format.h"
#include "devices/event_memory/requests.h"
#include "link/link.h"
#include "link/link_claim.h"
#include "core/operator.h"

#include <QLineEdit>
#include <QRadioButton>

using namespace tavob;

namespace {
QString warning() { return QStringLiteral("Upozornění"); }
} // namespace

void TForm13::CteniUdalostiClick()
{
    if (!linkFree(link()))
        return;
    ctx_.selectDevice();
    link().openPort();
    requestRange();
    show();
}

void TForm13::Image1Click() { requestRange(); }

// The first and last pointers of the device event buffer.
void TForm13::requestRange()
{
    if (!rangeJob.refresh())
        tellOperationRunning();
}

void TForm13::Timer2Timer(const std::optional<EventRangeValue> &range)
{
    RangeIdle = false;
    if (!range) {
        closeWithMessage(noAnswerText());
        return;
    }
    DeviceFirst = range->first;
    DeviceLast = range->last;
    if (const std::optional<QString> problem = rangeProblem(*range)) {
        closeWithMessage(*problem);
        return;
    }
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

// The link is free while the message waits.
void TForm13::closeWithMessage(const QString &text)
{
    op().messageBox(warning(), text, MB_OK | MB_ICONEXCLAMATION);
    close();
}

// The date and time half of event n's record.
void TForm13::readDate(qint64 n)
{
    if (!rangeJob.readDate(n, DeviceLast))
        tellOperationRunning();
}

// No answer leaves the date edit as it was.
void TForm13::Timer3Timer(const std::optional<Reply> &date)
{
    if (date) {
        const DateTimeTexts t = renderDateTime(date->data(), summerSetting());
        (DateTarget ? Edit1 : Edit2)->setText(dateTimeText(t));
    }
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
    if (!Timer2.enabled())
        readDate(firstDate);
}

void TForm13::Edit3Change()
{
    if (Edit3->text().isEmpty() || !RangeIdle || itemIndex() == FromTo)
        return;
    const qint64 n = editNumber(Edit3);
    DateTarget = itemIndex() == Newest;
    readDate(itemIndex() == Oldest ? n + DeviceFirst - 1 : DeviceLast - n + 1);
}

void TForm13::Edit4Change()
{
    if (Edit4->text().isEmpty() || !RangeIdle)
        return;
    const qint64 n = editNumber(Edit4);
    DateTarget = true;
    readDate(n);
}

void TForm13::Edit5Change()
{
    if (Edit5->text().isEmpty() || !RangeIdle)
        return;
    const qint64 n = editNumber(Edit5);
    DateTarget = false;
    readDate(n);
}

// The range of the mode; the rows of an earlier reading go, and the reading
// job, shown by TForm15, reads from the block of the range's first event.
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
    if (!linkFree(link()))
        return;
    RangeFirst = r.first;
    RangeLast = r.last;
    EventCount = r.count;
    NextRow = 1;
    UnauthorizedCount = 0;
    LastUnauthorizedRow = 0;
    events.setRowCount(1);
    form15->start(ctx_.deviceName(), EventCount);
    if (!reading.start(RangeFirst, EventCount, DeviceLast, summerSetting()))
        tellOperationRunning();
}

// The rows of a block are appended in one step.
void TForm13::takeRows(const QList<QStringList> &rows)
{
    for (const QStringList &row : rows) {
        if (row[ColPosition] == unauthorizedText()) {
            ++UnauthorizedCount;
            LastUnauthorizedRow = NextRow;
        }
        ++NextRow;
    }
    const int at = events.rowCount();
    events.appendRows(rows);
    for (int row = at; row < events.rowCount(); ++row)
        events.setRowMark(row, rowMark(events, row));
}
