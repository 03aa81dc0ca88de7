#pragma once
// What the TAVO-M operations share, owned by the main window: the link, the
// records, the selected device, the configuration jobs whose reply the main
// window's Timer1Timer shows, and the devices the last scan found. It knows
// no window: the main window hands it the two it shows.

#include "core/text_table.h"
#include "devices/code_memory/jobs.h"
#include "records/table.h"

#include <QString>
#include <functional>
#include <optional>

class Database;
class Link;

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
    // The devices the last network scan found, one row each in the order found
    // (TForm4 shows it), and how to show that list.
    TextTable detected{5, 1};
    std::function<void()> showDetected;
    // How the configuration window shows a heading, the device's configuration
    // (none: the device did not answer) and the link's values.
    std::function<void(const QString &heading, const std::optional<DeviceConfig> &device)> showConfiguration;

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
    // False when another operation holds the link (the operator is told).
    bool configurationWrite(const QString &addressText, const QString &relayText, const QString &countText);
    // The reply to a configuration read or write (or to the working-set
    // write's configuration), read once 100 ms after the request: as
    // configMode says, the write's result, or the values in TForm3.
    void Timer1Timer(const std::optional<Reply> &reply);

    // The scan's list: only the title row, then shown; a device's row; its version.
    void startDetected();
    void addDetected(const DeviceConfig &config);
    void setDetectedVersion(int order, int version);

    // The relay test's and the last codes' start: refused while another
    // operation holds the link; otherwise the device is selected and the port
    // opened (nothing is sent yet). True when the window may show.
    bool prepareDeviceWindow();

private:
    void finishWrite(const std::optional<Reply> &reply);
    void storeConfiguration();
};
