#pragma once
// "Aktivace paměti událostí v TAVO-B": the identification number and the first
// and last event numbers as the memory card holds them ("v MMC") and as the
// device event buffer holds them ("v TAVO-B"), read in five steps of Timer1;
// and the writes of a new identification number (typed or generated) and of
// new first and last event numbers into the device event buffer, after which
// the values are read again. The window is modeless, created once and only
// hidden when closed; a read under way then runs to its end.

#include "core/clock.h"
#include "devices/event_memory/jobs.h"

#include <QWidget>
#include <functional>

class Link;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm12 : public QWidget {
public:
    // selectDevice makes the device list's current row the target of the
    // next device operation.
    TForm12(Link &link, std::function<void()> selectDevice, QWidget *parent = nullptr);

    QLabel *Label1, *Label2, *Label3, *Label4, *Label5;
    QLineEdit *Edit1, *Edit2, *Edit3;         // first, last, identification to write
    QLineEdit *Edit4, *Edit5, *Edit6;         // first, last, identification in the card
    QLineEdit *Edit7, *Edit8, *Edit9;         // the same in the device event buffer
    QPushButton *Button1, *Button2, *Button3, *Button4;
    MemorySetup job;
    Timer &Timer1 = job.Timer1;  // the read sequence

    // The main window's "&Aktivace TAVO-B": selects the device, shows the
    // window and starts the read sequence.
    void AktivaceTAVOBClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

private:
    void createControls();
    void showStep(int step, const MemorySetup::HeaderTexts &texts);

    Link &link_;
    std::function<void()> selectDevice_;
};
