// The relay test: one command 131 switches the ticked relays of the current
// device (Q0 the time byte: 0 toggle, 1..254 seconds, 255 hold; Q1 relays 1..8,
// Q2 relays 9..16, relay 1 and 9 in bit 0). The device's answer is not read.
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/tform18.h"
#include "link/link.h"
#include "link/link_claim.h"
#include "core/error.h"
#include "ui/spin_button.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {
constexpr int MinSeconds = 1, MaxSeconds = 254;
constexpr quint8 HoldTime = 255;
} // namespace

// Refused, before the device selection changes the link, while another
// operation holds the link.
void TForm18::Testrel1Click()
{
    if (cm_.prepareDeviceWindow())
        show();
}

void TForm18::RadioGroup1Click()
{
    const int item = itemIndex();
    Edit1->setVisible(item == Seconds);
    CSpinButton1->setVisible(item == Seconds);
    if (item == Toggle)
        timeByte = 0;
    else if (item == Hold)
        timeByte = HoldTime;
    else
        timeByte = quint8(strToInt(Edit1->text()));
}

// Typed or stepped: kept within 1..254 and written back; a text that is not a
// number raises the conversion error and the time byte keeps its value.
void TForm18::Edit1Change()
{
    const int value = qBound(MinSeconds, strToInt(Edit1->text()), MaxSeconds);
    const QString text = QString::number(value);
    if (Edit1->text() != text)
        Edit1->setText(text);
    timeByte = quint8(value);
}

void TForm18::CSpinButton1UpClick() { stepEdit1(+1); }

void TForm18::CSpinButton1DownClick() { stepEdit1(-1); }

void TForm18::stepEdit1(int by) { Edit1->setText(QString::number(strToInt(Edit1->text()) + by)); }

// A one-request operation: it holds the link only while it sends.
void TForm18::Button1Click()
{
    quint8 masks[2] = {0, 0};
    for (int n = 1; n <= 16; ++n)
        if (CheckBox[n]->isChecked())
            masks[(n - 1) / 8] |= quint8(1 << (n - 1) % 8);
    if (!cm_.relayTest.run(timeByte, masks[0], masks[1]))
        tellOperationRunning();
}
