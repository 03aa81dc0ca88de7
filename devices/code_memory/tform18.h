#pragma once
// "Test relé": the operator ticks relays of the two relay modules, picks how
// they are to switch (toggle, on for 1..254 s, hold) and sends one command
// with "&Test". No reply is read. The window is created once and only hidden
// when closed, so its controls and the time byte keep their state.

#include <QWidget>

class CodeMemory;
class CSpinButton;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TForm18 : public QWidget {
public:
    explicit TForm18(CodeMemory &cm, QWidget *parent = nullptr);

    // RadioGroup1's items; their index is the item index.
    enum Mode { Toggle = 0, Seconds = 1, Hold = 2 };

    QGroupBox *RadioGroup1;
    QRadioButton *RadioItem[3];
    QButtonGroup *radioItems;
    QLineEdit *Edit1;
    CSpinButton *CSpinButton1;
    QLabel *Label1, *Label2;
    QCheckBox *CheckBox[17];  // CheckBox[1] .. CheckBox[16]; index 0 unused
    QPushButton *Button1;

    // 0 toggle, 1..254 seconds, 255 hold: Q0 of the next test.
    quint8 timeByte = 1;

    int itemIndex() const;
    void RadioGroup1Click();
    void Edit1Change();
    void CSpinButton1UpClick();
    void CSpinButton1DownClick();
    // The main window's menu item: refused while another operation holds the
    // link; otherwise the device is selected, the port opened, and the window
    // shown (nothing is sent yet).
    void Testrel1Click();
    void Button1Click();

private:
    void createModeControls();
    void createRelayColumns();
    void stepEdit1(int by);

    CodeMemory &cm_;
};
