#pragma once
// "Čtení událostí z paměti TAVO-B": the operator picks a range of a TAVO-B's
// events (the oldest N, the newest N, or from..to), sees the date and time of
// its ends, reads it into the event list under the progress window TForm15,
// fills in the surnames, looks for unauthorized attempts and saves the list,
// after which the device's start can be moved past the events saved.
//
// The range refresh (Timer2) and the date reads (Timer3) hold the link until
// their reply has been taken; the reading holds it in TForm15, the start move
// until its last request has gone out. The window is modeless, created once
// and only hidden when closed: its list and state stay between openings.

#include "core/clock.h"
#include "core/text_table.h"
#include "devices/event_memory/event_list.h"
#include "devices/event_memory/jobs.h"

#include <QHash>
#include <QWidget>
#include <functional>
#include <optional>

class CSpinButton;
class QFontMetrics;
class Database;
class Link;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;
class TextGrid;
class TForm15;
class TForm16;

// What the reading window takes from the main window.
struct EventReadingContext {
    Link &link;
    Database &db;
    // Makes the device list's current row the target of the next device operation.
    std::function<void()> selectDevice;
    // The selected device's name.
    std::function<QString()> deviceName;
};

class TForm13 : public QWidget {
public:
    explicit TForm13(EventReadingContext context, QWidget *parent = nullptr);
    ~TForm13() override;

    // RadioGroup1's items.
    enum Mode { Oldest = 0, Newest = 1, FromTo = 2 };

    TForm15 *form15 = nullptr;  // the reading's progress
    TForm16 *form16 = nullptr;  // the save of a part of a long list
    // The program-wide summer-time setting the dates are rendered by.
    std::function<bool()> summerSetting = [] { return true; };

    QGroupBox *RadioGroup1;
    QRadioButton *RadioItem[3];
    QButtonGroup *radioItems;
    QLineEdit *Edit1, *Edit2;  // the dates of the range's ends (disabled)
    QLineEdit *Edit3;          // N of modes 0 and 1
    QLineEdit *Edit4, *Edit5;  // from..to of mode 2
    CSpinButton *CSpinButton1, *CSpinButton2, *CSpinButton3;
    QLabel *Label1, *Label2;
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3, *SpeedButton4, *SpeedButton5;
    QCheckBox *CheckBox1;  // "Počátek v zař. po uložení posunout"
    TextTable events{tavob::EventColumns, 1};
    TextGrid *StringGrid1;
    // The range refresh, the dates of its ends and the start move; the
    // reading, which TForm15 shows.
    EventRange rangeJob;
    EventReading reading;
    Timer &Timer2 = rangeJob.rangeReply.timer;  // the range reply
    Timer &Timer3 = rangeJob.dateReply.timer;   // the date reply
    Timer &Timer4 = rangeJob.moveReply.timer;   // the range read again right before the start moves

    // The device's range from the last refresh and the reading's state.
    qint32 DeviceFirst = 1, DeviceLast = 0;
    qint32 RangeFirst = 1, RangeLast = 0;
    qint32 EventCount = 0;
    qint32 NextRow = 1;
    qint32 UnauthorizedCount = 0;
    qint32 LastUnauthorizedRow = 0;
    qint32 SecondEvent = 0;
    bool DateTarget = true;  // true: Edit1, false: Edit2
    bool SecondDatePending = false;
    bool RangeIdle = false;
    // The first event after the rows saved last, until the start has moved there.
    qint32 pendingStart = 0;

    int itemIndex() const;
    Link &link() const { return ctx_.link; }

    // The main window's "Čtení &Událostí".
    void CteniUdalostiClick();
    void Image1Click();  // range refresh
    void Image4Click();  // read the range
    void Image2Click();  // fill surnames
    void Image5Click();  // unauthorized attempts
    void Image3Click();  // save
    void RadioGroup1Click();
    void Edit3Change();
    void Edit4Change();
    void Edit5Change();
    void CSpinButton1UpClick() { step(Edit3, 1); }
    void CSpinButton1DownClick() { step(Edit3, -1); }
    void CSpinButton2UpClick() { step(Edit4, 1); }
    void CSpinButton2DownClick() { step(Edit4, -1); }
    void CSpinButton3UpClick() { step(Edit5, 1); }
    void CSpinButton3DownClick() { step(Edit5, -1); }
    // The range's reply, a date's and the start move's.
    void Timer2Timer(const std::optional<EventRangeValue> &range);
    void Timer3Timer(const std::optional<Reply> &date);
    void Timer4Timer(EventRange::MoveOutcome outcome);

    // The rows of a block of the reading.
    void takeRows(const QList<QStringList> &rows);
    // Asks for a file name and writes rows first..last into it; after a
    // write with CheckBox1 checked the device's start moves past them.
    void writeRows(int firstRow, int lastRow);
    // A range refresh, date read or start move is under way.
    bool operationRunning() const { return rangeJob.running(); }

protected:
    // The tool keys win over the list's cell editor (whose line edit takes
    // Ctrl+U and others for itself).
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void createRangeControls();
    void createToolButtons();
    void createEventList();
    static QList<int> fittedWidths(const QFontMetrics &fm);
    QToolButton *addToolButton(int x, const QString &hint, int icon, const QKeySequence &key);
    void showModeControls();
    void step(QLineEdit *edit, int by);
    void requestRange();
    bool rangeRejected();
    void readDate(qint64 n);
    qint32 editNumber(QLineEdit *edit) const;
    qint32 readingCount() const { return NextRow - 1; }
    void moveStart(qint32 newFirst);
    void closeWithMessage(const QString &text);

    EventReadingContext ctx_;
};
