#pragma once
// What the TAVO-M operations share, owned by the main window: the link, the
// records, the selected device, and the configuration jobs whose reply the
// main window's Timer1Timer shows.

#include "devices/code_memory/jobs.h"
#include "records/table.h"

#include <QString>
#include <optional>

class Database;
class Link;
class TForm3;
class TForm4;
class TForm17;
class TForm18;

class CodeMemory {
public:
    enum class ConfigMode { Read, Write };

    CodeMemory(Link &link, Database &db);

    Link &link;
    Database &db;
    QString deviceName;
    QString archiveName;
    int detectedCount = 0;
    ConfigMode configMode = ConfigMode::Read;
    ConfigurationRead configRead;
    ConfigurationWrite configWrite;
    RelayTest relayTest;
    Table::Bookmark deviceRow = -1;  // the selected device's device-list row
    TForm3 *form3 = nullptr;         // the configuration window, set once it is created
    TForm4 *form4 = nullptr;         // the devices a network scan found
    TForm17 *form17 = nullptr;       // the last presented codes
    TForm18 *form18 = nullptr;       // the relay test

    // Device selection: the device list's current row becomes the target of
    // the next device operation (defaults written back into the row), and the
    // archive set shown is switched to the device's archive table.
    void selectDevice();

    // Configuration read: selects the device and asks for its entry 0; Timer1
    // shows the answer in TForm3.
    void configurationRead();
    // Configuration write of the three texts (whole numbers, out-of-range
    // values replaced by their defaults): command 145 to the device's present
    // address, which the device answers from its new one; Timer1 checks it.
    void configurationWrite(const QString &addressText, const QString &relayText, const QString &countText);
    // The reply to a configuration read or write (or to the working-set
    // write's configuration), read once 100 ms after the request: as
    // configMode says, the write's result, or the values in TForm3.
    void Timer1Timer(const std::optional<Reply> &reply);
    // TForm3 with a heading, the device's values and the link's.
    void showConfiguration(const QString &heading, const std::optional<DeviceConfig> &device);

    // Relay test and last presented codes: select the device, open the port,
    // and show their window (modeless); nothing is sent yet.
    void Testrel1Click();
    void V1Click();

private:
    void finishWrite(const std::optional<Reply> &reply);
    void storeConfiguration();
};

// A device-list number field: up to 3 digits ("7", "007" and "0071" are 7);
// -1 when empty or not digits.
int deviceField(const QString &text);
