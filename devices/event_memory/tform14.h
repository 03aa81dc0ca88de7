#pragma once
// "Nastavení času TAVO-B": the PC's time, a time typed by hand and the
// device's clock, read once a second while the window is open; either of the
// first two is written into the device. CheckBox1 is the program-wide
// summer-time setting: on, the device's standard time is shown as local
// summer time and a summer time written goes back to standard time. Beside
// the device's time the window shows how many seconds it is off the PC's.
// The window is modeless, created once and only hidden when closed.

#include "core/clock.h"
#include "link/protocol.h"

#include <QDateTime>
#include "devices/event_memory/jobs.h"

#include <QWidget>
#include <functional>

class Link;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm14 : public QWidget {
public:
    // selectDevice makes the device list's current row the target of the
    // next device operation.
    TForm14(Link &link, std::function<void()> selectDevice, QWidget *parent = nullptr);

    QLabel *Label1, *Label2, *Label3;
    QLabel *Label4;  // the device clock's drift against the PC
    QLineEdit *Edit1, *Edit2, *Edit3;
    QPushButton *Button1, *Button2;
    QCheckBox *CheckBox1;
    Timer Timer1{1000};  // the clock tick

    // The summer-time setting: on at every start, not stored. The event
    // reading renders its dates by it too.
    bool summerSetting() const;

    // The main window's "&Nastavení času": asks the selected device for its
    // clock, starts the tick and shows the window.
    void NastaveniCasuClick();
    void Timer1Timer();
    void Button1Click();
    void Button2Click();
    void FormShow();
    void FormClose();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void createControls();
    bool claim();
    void showDeviceTime(const Reply &answer);
    void write(const QString &text);

    Link &link_;
    DeviceClock clock_;
    std::function<void()> selectDevice_;
};
