#pragma once
// The serial port's settings, with their built-in values.

#include <QString>

struct FlowSettings {
    enum Rts { RtsDisable, RtsEnable, RtsHandshake, RtsToggle };
    enum Dtr { DtrDisable, DtrEnable, DtrHandshake };
    Rts rts = RtsDisable;
    Dtr dtr = DtrDisable;
    bool ctsFlow = false;
    bool dsrFlow = false;
    bool dsrSensitivity = false;
    bool xonXoffIn = false;
    bool xonXoffOut = false;
};

struct PortSettings {
    QString port = QStringLiteral("COM1");
    QString baudRate = QStringLiteral("9600");  // one of the baud-rate texts, "Custom" included
    int customBaudRate = 9600;
    QString dataBits = QStringLiteral("8");
    QString stopBits = QStringLiteral("1");
    QString parity = QStringLiteral("None");
    FlowSettings flow;

    // The rate in bits per second that the line runs at.
    int baud() const { return baudRate == QLatin1String("Custom") ? customBaudRate : baudRate.toInt(); }
};
