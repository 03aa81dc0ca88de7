#pragma once
// "Naposledy přiložené kódy": "&Načti" asks the current device for the codes
// presented to it last (command 143) and Timer1 lists them, one row each, 200 ms
// later; a list of at least one code is then released (command 142). The
// window is created once and keeps its grid between showings.

#include "core/clock.h"

#include <QByteArray>
#include <QWidget>

class CodeMemory;
class QPushButton;
class TextGrid;

class TForm17 : public QWidget {
public:
    explicit TForm17(CodeMemory &cm, QWidget *parent = nullptr);

    QPushButton *Button1;
    TextGrid *StringGrid1;
    Timer Timer1{200};  // the reply's first read
    // Reads again in short steps while frames the device announced are still
    // on their way (a list longer than 200 ms of line time).
    Timer Timer2{20};

    void Button1Click();
    void Timer1Timer();
    void Timer2Timer();

private:
    void cutGrid();
    void readMore();
    bool waitForMore() const;
    void fillRows();
    void finish();

    CodeMemory &cm_;
    QByteArray arrived_;    // every byte read since the request
    int announced_ = 0;     // N of the count frame
    qint64 deadlineUs_ = 0; // when the announced frames must have arrived
};
