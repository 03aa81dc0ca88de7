#include "records/device_list.h"

#include "records/table.h"

namespace {
int inRange(int value, int max, int fallback) { return value >= 0 && value <= max ? value : fallback; }
} // namespace

int deviceField(const QString &text)
{
    if (text.isEmpty())
        return -1;
    const QString t = text.size() < 3 ? QString(3 - text.size(), QLatin1Char('0')) + text : text.left(3);
    int v = 0;
    for (QChar ch : t) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return -1;
        v = v * 10 + (ch.unicode() - u'0');
    }
    return v;
}

DeviceRow deviceRow(const Table &devices)
{
    DeviceRow row;
    row.name = devices.fieldText(DeviceField::Name);
    if (row.name.isEmpty())
        row.name = QStringLiteral("Nepojmenováno");
    row.archive = devices.fieldText(DeviceField::Archive);
    if (row.archive.isEmpty())
        row.archive = QStringLiteral("arch1");
    row.address = inRange(deviceField(devices.fieldText(DeviceField::Address)), 255, 255);
    row.relayTime = inRange(deviceField(devices.fieldText(DeviceField::RelayTime)), 255, 5);
    row.codeCount = inRange(deviceField(devices.fieldText(DeviceField::CodeCount)), 510, 510);
    return row;
}

void storeDeviceRow(Table &devices, const DeviceRow &row)
{
    devices.edit();
    devices.setFieldText(DeviceField::Name, row.name);
    devices.setFieldText(DeviceField::Archive, row.archive);
    devices.setFieldText(DeviceField::Address, QString::number(row.address));
    devices.setFieldText(DeviceField::RelayTime, QString::number(row.relayTime));
    devices.setFieldText(DeviceField::CodeCount, QString::number(row.codeCount));
    devices.post();
}

void storeDeviceConfig(Table &devices, int address, int relayTime, int codeCount)
{
    devices.edit();
    devices.setFieldText(DeviceField::Address, QString::number(address));
    devices.setFieldText(DeviceField::RelayTime, QString::number(relayTime));
    devices.setFieldText(DeviceField::CodeCount, QString::number(codeCount));
    devices.post();
}

QHash<QString, QString> surnamesByCode(const Table &persons)
{
    QHash<QString, QString> surnames;
    if (!persons.active())
        return surnames;
    QHash<QString, Table::Bookmark> from;
    const int code = persons.fieldIndex(QLatin1String(PersonField::Code));
    const int surname = persons.fieldIndex(QLatin1String(PersonField::Surname));
    surnames.reserve(persons.recordCount());
    for (int p = 0; p < persons.recordCount(); ++p) {
        const QString c = persons.textAt(p, code);
        const Table::Bookmark b = persons.bookmarkAt(p);
        const auto it = from.constFind(c);
        if (it != from.cend() && *it < b)
            continue;
        from.insert(c, b);
        surnames.insert(c, persons.textAt(p, surname));
    }
    return surnames;
}
