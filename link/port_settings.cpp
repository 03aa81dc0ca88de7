#include "link/port_settings.h"

bool FlowSettings::operator==(const FlowSettings &o) const
{
    return rts == o.rts && dtr == o.dtr && ctsFlow == o.ctsFlow && dsrFlow == o.dsrFlow
        && dsrSensitivity == o.dsrSensitivity && xonXoffIn == o.xonXoffIn && xonXoffOut == o.xonXoffOut;
}

bool PortSettings::sameLine(const PortSettings &o) const
{
    return baudRate == o.baudRate && (baudRate != QLatin1String("Custom") || customBaudRate == o.customBaudRate)
        && dataBits == o.dataBits && stopBits == o.stopBits && parity == o.parity && flow == o.flow;
}

const QStringList &baudRateTexts()
{
    static const QStringList list{"Custom", "110",   "300",   "600",   "1200",   "2400",   "4800",   "9600",
                                  "14400",  "19200", "38400", "56000", "57600", "115200", "128000", "256000"};
    return list;
}

const QStringList &stopBitsTexts()
{
    static const QStringList list{"1", "1.5", "2"};
    return list;
}

const QStringList &dataBitsTexts()
{
    static const QStringList list{"5", "6", "7", "8"};
    return list;
}

const QStringList &parityTexts()
{
    static const QStringList list{"None", "Odd", "Even", "Mark", "Space"};
    return list;
}

const QStringList &flowControlTexts()
{
    static const QStringList list{"Hardware", "Software", "None", "Custom"};
    return list;
}

QString matchText(const QStringList &list, const QString &text)
{
    for (const QString &entry : list)
        if (entry.compare(text, Qt::CaseInsensitive) == 0)
            return entry;
    return QString();
}

QString flowKind(const FlowSettings &f)
{
    const bool xonBoth = f.xonXoffIn && f.xonXoffOut;
    const bool xonNone = !f.xonXoffIn && !f.xonXoffOut;
    if (f.rts == FlowSettings::RtsHandshake && f.ctsFlow && xonNone)
        return QStringLiteral("Hardware");
    if (f.rts == FlowSettings::RtsDisable && !f.ctsFlow && xonBoth)
        return QStringLiteral("Software");
    if (f.rts == FlowSettings::RtsDisable && !f.ctsFlow && xonNone)
        return QStringLiteral("None");
    return QStringLiteral("Custom");
}

void applyFlowKind(FlowSettings &f, const QString &kind)
{
    const bool hardware = kind == QLatin1String("Hardware");
    const bool software = kind == QLatin1String("Software");
    if (!hardware && !software && kind != QLatin1String("None"))
        return;  // "Custom"
    f.rts = hardware ? FlowSettings::RtsHandshake : FlowSettings::RtsDisable;
    f.ctsFlow = hardware;
    f.xonXoffIn = software;
    f.xonXoffOut = software;
}
