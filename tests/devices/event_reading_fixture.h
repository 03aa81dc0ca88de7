#pragma once
// The program with a simulated TAVO-B at address 255 whose card holds events
// made to order, and the steps of a reading: the menu item with its range
// refresh and date reads, the mode and range typed, the read run to its end.

#include "tests/support/program_fixture.h"
#include "devices/event_memory/event_format.h"
#include "devices/event_memory/event_list.h"
#include "devices/event_memory/tform13.h"
#include "devices/event_memory/tform15.h"
#include "devices/event_memory/tform16.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QToolButton>

// Event n's key code; every event's position is n mod 97 + 1 unless told.
inline quint64 codeOf(qint64 n) { return 0x0100000000000000ull | quint64(n); }
inline QString codeText(qint64 n) { return QString::number(codeOf(n), 16).toUpper().rightJustified(16, QLatin1Char('0')); }
// 15.01.2024 10:00:00 standard time plus n seconds (winter: no summer hour).
inline QDateTime timeOf(qint64 n) { return QDateTime(QDate(2024, 1, 15), QTime(10, 0)).addSecs(n % 3000); }

struct EventReadingFixture : ProgramFixture {
    TavoBDevice *device = nullptr;

    TForm13 *form13() const { return program->window<TForm13>(); }
    TForm15 *form15() const { return program->window<TForm15>(); }
    TForm16 *form16() const { return program->window<TForm16>(); }
    TextTable &list() const { return form13()->events; }

    void startWithDevice(TavoBDevice *d = nullptr)
    {
        setUp();
        op.fileNames.clear();
        op.fileRequests.clear();
        if (d)
            bus->add(std::unique_ptr<SimDevice>(d));
        device = d ? d : &bus->addTavoB(255);
        start();
    }

    // Events `first` .. `last` on the ring written to the card (position 0 for
    // the events in `unauthorized`), the device's range set to them.
    void fill(qint64 first, qint64 last, const QList<qint64> &unauthorized = {})
    {
        device->setRange(1, 2000000);  // the newest block away from the events written
        for (qint64 i = 0, count = tavob::ringCount(qint32(first), qint32(last)); i < count; ++i) {
            const qint64 n = tavob::ringEvent(first + i);
            const int position = unauthorized.contains(n) ? 0 : int(n % 97 + 1);
            const TavoBDevice::Record r = TavoBDevice::makeRecord(codeOf(n), position, timeOf(n));
            device->writeCard(tavob::recordAddress(n), QByteArray(reinterpret_cast<const char *>(r.data()), 16));
        }
        device->setRange(first, last);
    }

    // The menu item, and the time for the range and both dates.
    void open()
    {
        trigger("CteniUdalosti");
        vc.advanceMs(400);
    }
    // Mode 2 with the range typed while no date read is under way.
    void setRange(qint64 from, qint64 to)
    {
        form13()->Edit4->setText(QString::number(from));
        vc.advanceMs(150);
        form13()->Edit5->setText(QString::number(to));
        vc.advanceMs(150);
    }
    void setMode(int mode, qint64 n)
    {
        form13()->RadioItem[mode]->click();
        vc.advanceMs(250);
        form13()->Edit3->setText(QString::number(n));
        vc.advanceMs(150);
    }
    // Reads and lets the transfer run to its end.
    void read()
    {
        bus->clearLog();
        form13()->SpeedButton2->click();
        finish();
    }
    // The transfer over and its last request on the line.
    void finish()
    {
        QVERIFY(runUntil([this] { return !form15()->transfer.running(); }, 10 * 3600 * 1000));
        vc.advanceMs(50);
    }
    QStringList column(int col) const
    {
        QStringList out;
        for (int row = 1; row < list().rowCount(); ++row)
            out << list().cell(col, row);
        return out;
    }
    QList<int> eventsListed() const
    {
        QList<int> out;
        for (const QString &s : column(tavob::ColEvent))
            out << s.toInt();
        return out;
    }
};

inline QList<int> eventRun(qint64 first, int count)
{
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out << tavob::ringEvent(first + i);
    return out;
}
