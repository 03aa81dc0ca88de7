#pragma once
// What the TAVO-M operations share, owned by the main window: the link, the
// records, the selected device, and the main window's Timer1 that handles the
// reply to a configuration read or write.

#include "ui/clock.h"

#include <QString>

class Database;
class Link;

class CodeMemory {
public:
    enum class ConfigMode { Read, Write };

    CodeMemory(Link &link, Database &db) : link(link), db(db) {}

    Link &link;
    Database &db;
    QString deviceName;
    QString archiveName;
    int detectedCount = 0;
    ConfigMode configMode = ConfigMode::Read;
    Timer Timer1{100};  // the main window's Timer1

    // Device selection: the device list's current row becomes the target of
    // the next device operation (defaults written back into the row), and the
    // archive set shown is switched to the device's archive table.
    void selectDevice();
};

// A device-list number field: up to 3 digits ("7", "007" and "0071" are 7);
// -1 when empty or not digits.
int deviceField(const QString &text);
