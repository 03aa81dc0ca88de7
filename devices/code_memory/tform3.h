#pragma once
// "Konfigurace zařízení": the configuration read from the device (Edit1..Edit3,
// editable) beside the values of the device list (Edit4..Edit6, read only);
// either column can be written into the device. Closing only hides the window,
// so its fields keep their contents for the next showing.

#include "devices/code_memory/jobs.h"

#include <QWidget>
#include <optional>

class CodeMemory;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm3 : public QWidget {
public:
    explicit TForm3(CodeMemory &cm, QWidget *parent = nullptr);

    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    QLineEdit *Edit1, *Edit2, *Edit3;  // new address, relay time, code count
    QLineEdit *Edit4, *Edit5, *Edit6;  // the device list's values
    QPushButton *Button1, *Button2, *Button3;

    // Write the new values, or the device list's values, into the device.
    void Button1Click();
    void Button2Click();
    // Hides; nothing is sent.
    void Button3Click();
    // The heading, the device's configuration (none: the edits keep theirs)
    // and the link's values, then shown.
    void showValues(const QString &heading, const std::optional<DeviceConfig> &device);

private:
    void createLabels();
    void createEdits();
    void createButtons();

    CodeMemory &cm_;
};
