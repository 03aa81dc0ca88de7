#pragma once
// The serial port's settings, with their built-in values.

#include <QString>
#include <QStringList>

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

    bool operator==(const FlowSettings &o) const;
    bool operator!=(const FlowSettings &o) const { return !(*this == o); }
};

struct PortSettings {
    QString port = QStringLiteral("COM1");
    QString baudRate = QStringLiteral("9600");  // one of the baud-rate texts, "Custom" included
    int customBaudRate = 9600;
    QString dataBits = QStringLiteral("8");
    QString stopBits = QStringLiteral("1");
    QString parity = QStringLiteral("None");
    FlowSettings flow;
    QString traceFile;  // the byte trace's file; empty: no trace

    // The rate in bits per second that the line runs at.
    int baud() const { return baudRate == QLatin1String("Custom") ? customBaudRate : baudRate.toInt(); }

    // Everything but the port name: what can change on an open port.
    bool sameLine(const PortSettings &o) const;
    bool operator==(const PortSettings &o) const { return port == o.port && sameLine(o); }
    bool operator!=(const PortSettings &o) const { return !(*this == o); }
};

// Fixed parts of the port set-up, not persisted. XON/XOFF are the usual 17/19.
namespace PortLimits {
constexpr int InputBuffer = 2048;
// A write may take count x WriteMsPerByte + WriteConstantMs before it gives up.
constexpr int WriteMsPerByte = 1000;
constexpr int WriteConstantMs = 100;
// A byte's time on the line, in bit times.
constexpr int BitsPerByte = 10;
}

// The value texts of the settings file and the Setup dialog, in their order.
const QStringList &baudRateTexts();
const QStringList &stopBitsTexts();
const QStringList &dataBitsTexts();
const QStringList &parityTexts();
const QStringList &flowControlTexts();

// The list entry that text names, ignoring letter case; empty when none does.
QString matchText(const QStringList &list, const QString &text);

// "Hardware", "Software", "None", or "Custom" for any other combination.
QString flowKind(const FlowSettings &flow);
// Sets the individual settings of a kind; "Custom" (or any other text) leaves them as they are.
void applyFlowKind(FlowSettings &flow, const QString &kind);
