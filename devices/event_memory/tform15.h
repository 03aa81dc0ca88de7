#pragma once
// "Načítání událostí z paměti TAVO-B": the progress of an event reading, shown
// modal while the reading goes on in the block transfer's timers (Timer2 polls
// for the answer to a transfer start, Timer1 takes a block). "&Storno" and the
// close box let the block under way finish; the transfer end follows.

#include "core/clock.h"
#include "devices/event_memory/jobs.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

class TForm15 : public QWidget {
public:
    // The window shows the reading job's progress; the job's rows go to the
    // event list of the reading window.
    explicit TForm15(EventReading &reading, QWidget *parent = nullptr);

    EventReading &reading;
    BlockTransfer &transfer = reading.transfer;
    QLabel *Label1, *Label2, *Label3, *Label4;
    QProgressBar *ProgressBar1;
    QPushButton *Button1;  // "&Storno"
    Timer &Timer1 = transfer.blockTimer;  // the block (1600 ms)
    Timer &Timer2 = transfer.pollTimer;   // the answer to a transfer start (100 ms, 20 polls)

    // "Storno" or the close box was used during this reading.
    bool CancelRequested() const { return transfer.stopRequested(); }

    // Shows the labels of a reading of `count` events from the named device.
    void start(const QString &deviceName, qint32 count);
    // The labels after a block: rows read of the count, and the time left.
    void showProgress(qint32 read, qint32 count);

    void Button1Click() { reading.stop(); }
    void FormClose() { reading.stop(); }

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void readingEnded(const EventReading::Result &result);
};

// "H:M:S" of the time left at 20 events a second, without leading zeros.
QString readingTimeText(qint32 eventsLeft);
