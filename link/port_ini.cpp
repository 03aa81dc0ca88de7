#include "link/port_ini.h"
#include "core/cp1250.h"
#include "core/error.h"

#include <QFile>
#include <QList>
#include <QSaveFile>
#include <optional>
#include <utility>

namespace {
const QByteArray SectionName = "ComPort1";

// The file's lines without their line ends, and the one section this program reads and writes.
struct IniText {
    QList<QByteArray> lines;
    int header = -1;  // line of "[ComPort1]", -1 when there is none

    explicit IniText(const QByteArray &data);
    int sectionEnd() const;
    int keyLine(const QByteArray &key) const;
    std::optional<QString> value(const QByteArray &key) const;
    void set(const QByteArray &key, const QByteArray &value);
    QByteArray bytes() const;
};

bool sameName(const QByteArray &a, const QByteArray &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool isSectionHeader(const QByteArray &line) { return line.trimmed().startsWith('['); }

QByteArray sectionName(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    const int close = t.indexOf(']');
    return close < 0 ? QByteArray() : t.mid(1, close - 1).trimmed();
}

// The key of a "key=value" line; empty for comments and other lines.
QByteArray keyOf(const QByteArray &line)
{
    const int eq = line.indexOf('=');
    if (eq < 0 || line.trimmed().startsWith(';'))
        return QByteArray();
    return line.left(eq).trimmed();
}

IniText::IniText(const QByteArray &data)
{
    lines = data.split('\n');
    if (data.isEmpty() || data.endsWith('\n'))
        lines.removeLast();
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    for (int i = 0; i < lines.size() && header < 0; ++i)
        if (isSectionHeader(lines[i]) && sameName(sectionName(lines[i]), SectionName))
            header = i;
}

int IniText::sectionEnd() const
{
    int i = header + 1;
    while (i < lines.size() && !isSectionHeader(lines[i]))
        ++i;
    return i;
}

int IniText::keyLine(const QByteArray &key) const
{
    if (header < 0)
        return -1;
    const int end = sectionEnd();
    for (int i = header + 1; i < end; ++i)
        if (sameName(keyOf(lines[i]), key))
            return i;
    return -1;
}

std::optional<QString> IniText::value(const QByteArray &key) const
{
    const int i = keyLine(key);
    if (i < 0)
        return std::nullopt;
    const QByteArray &line = lines[i];
    return fromCp1250(line.mid(line.indexOf('=') + 1).trimmed());
}

// Replaces the key's value in place, or adds the key after the section's last line.
void IniText::set(const QByteArray &key, const QByteArray &value)
{
    const int i = keyLine(key);
    if (i >= 0) {
        lines[i] = keyOf(lines[i]) + '=' + value;
        return;
    }
    if (header < 0) {
        header = lines.size();
        lines.append('[' + SectionName + ']');
    }
    int at = sectionEnd();
    while (at > header + 1 && lines[at - 1].trimmed().isEmpty())
        --at;
    lines.insert(at, key + '=' + value);
}

QByteArray IniText::bytes() const
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

// The whole file; empty when there is none. Raises failure when it exists but cannot be read.
QByteArray readWhole(const QString &fileName, const QString &failure)
{
    QFile file(fileName);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        throw Error(failure);
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(failure);
    return data;
}

QString listValue(const IniText &ini, const QByteArray &key, const QStringList &list, const QString &inForce,
                  const QString &outsideList)
{
    const std::optional<QString> v = ini.value(key);
    if (!v)
        return inForce;
    const QString match = matchText(list, *v);
    return match.isEmpty() ? outsideList : match;
}

int intValue(const IniText &ini, const QByteArray &key, int inForce)
{
    bool ok = false;
    const int v = ini.value(key).value_or(QString()).toInt(&ok);
    return ok ? v : inForce;
}
}  // namespace

void loadPortSettings(const QString &fileName, PortSettings &s)
{
    const QString failure = QStringLiteral("Failed to load settings");
    const IniText ini(readWhole(fileName, failure));
    s.port = ini.value("Port").value_or(s.port);
    s.baudRate = listValue(ini, "BaudRate", baudRateTexts(), s.baudRate, QStringLiteral("9600"));
    if (s.baudRate == QLatin1String("Custom"))
        s.customBaudRate = intValue(ini, "CustomBaudRate", s.customBaudRate);
    s.stopBits = listValue(ini, "StopBits", stopBitsTexts(), s.stopBits, QStringLiteral("1"));
    s.dataBits = listValue(ini, "DataBits", dataBitsTexts(), s.dataBits, QStringLiteral("8"));
    s.parity = listValue(ini, "Parity", parityTexts(), s.parity, QStringLiteral("None"));
    applyFlowKind(s.flow, listValue(ini, "FlowControl", flowControlTexts(), flowKind(s.flow),
                                    QStringLiteral("Custom")));
    // Only the operator writes this key; storing leaves its line as it is.
    s.traceFile = ini.value("TraceFile").value_or(s.traceFile);
}

void storePortSettings(const QString &fileName, const PortSettings &s)
{
    const QString failure = QStringLiteral("Failed to store settings");
    IniText ini(readWhole(fileName, failure));
    ini.set("Port", toCp1250(s.port));
    ini.set("BaudRate", s.baudRate.toLatin1());
    if (s.baudRate == QLatin1String("Custom"))
        ini.set("CustomBaudRate", QByteArray::number(s.customBaudRate));
    ini.set("StopBits", s.stopBits.toLatin1());
    ini.set("DataBits", s.dataBits.toLatin1());
    ini.set("Parity", s.parity.toLatin1());
    ini.set("FlowControl", flowKind(s.flow).toLatin1());

    QSaveFile file(fileName);
    const QByteArray data = ini.bytes();
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw Error(failure);
}
