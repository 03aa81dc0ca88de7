#pragma once
// "Naposledy přiložené kódy": "&Načti" asks the current device for the codes
// presented to it last (command 143) and Timer1 lists them, one row each, 200 ms
// later; a list of at least one code is then released (command 142). The
// window is created once and keeps its grid between showings.

#include "core/clock.h"
#include "devices/code_memory/jobs.h"

#include <QWidget>

class CodeMemory;
class QPushButton;
class TextGrid;

class TForm17 : public QWidget {
public:
    explicit TForm17(CodeMemory &cm, QWidget *parent = nullptr);

    QPushButton *Button1;
    TextGrid *StringGrid1;
    LastCodes job;
    Timer &Timer1 = job.Timer1;  // the reply's first read (200 ms)
    Timer &Timer2 = job.Timer2;  // the reads while announced frames are on their way

    // The main window's menu item: refused while another operation holds the
    // link; otherwise the device is selected, the port opened, and the window
    // shown (nothing is sent yet).
    void V1Click();
    void Button1Click();

private:
    void cutGrid();
    void takeCodes(const LastCodes::Result &r);

    CodeMemory &cm_;
};
