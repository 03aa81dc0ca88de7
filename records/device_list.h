#pragma once
// The fields of the person list and the device list by name, and a device
// list row as the device selection and tavo-cli take it.

#include <QHash>
#include <QString>

class Table;

// Person list OS0..OS8, by name: a list from elsewhere may hold them in another order.
namespace PersonField {
inline constexpr char Code[] = "OS1";     // the key code
inline constexpr char Surname[] = "OS2";
} // namespace PersonField

// Device list ZA0..ZA5.
namespace DeviceField {
inline constexpr int Name = 1;       // ZA1
inline constexpr int Archive = 2;    // ZA2, the archive table of the device
inline constexpr int Address = 3;    // ZA3
inline constexpr int RelayTime = 4;  // ZA4
inline constexpr int CodeCount = 5;  // ZA5
} // namespace DeviceField

// A device list row with the defaults the device selection puts into empty
// or unusable fields: name "Nepojmenováno", archive "arch1", address 255
// (0..255), relay time 5 (0..255), code count 510 (0..510).
struct DeviceRow {
    QString name;
    QString archive;
    int address = 255;
    int relayTime = 5;
    int codeCount = 510;
};

// A device-list number field: up to 3 digits ("7", "007" and "0071" are 7);
// -1 when empty or not digits.
int deviceField(const QString &text);
// The current record of the device list.
DeviceRow deviceRow(const Table &devices);
// The row's values into the current record of the device list (edit, post).
void storeDeviceRow(Table &devices, const DeviceRow &row);
// The device's address, relay time and code count into the current record.
void storeDeviceConfig(Table &devices, int address, int relayTime, int codeCount);

// Each code's surname, from the person list's first record that holds it
// (the file's order, whatever index is in use). The list's current record
// and order stay; an inactive list gives none.
QHash<QString, QString> surnamesByCode(const Table &persons);
