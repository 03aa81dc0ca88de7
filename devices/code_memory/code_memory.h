#pragma once
// What the TAVO-M operations share, owned by the main window: the link, the
// records, the selected device, and the main window's Timer1 that handles the
// reply to a configuration read or write.

#include "records/table.h"
#include "core/clock.h"

#include <QString>
#include <functional>
#include <utility>

class Database;
class Link;
class TForm3;
class TForm4;
class TForm17;
class TForm18;

class CodeMemory {
public:
    enum class ConfigMode { Read, Write };

    CodeMemory(Link &link, Database &db) : link(link), db(db) { Timer1.setOnTimer([this] { Timer1Then(); }); }
    ~CodeMemory();

    Link &link;
    Database &db;
    QString deviceName;
    QString archiveName;
    int detectedCount = 0;
    ConfigMode configMode = ConfigMode::Read;
    Timer Timer1{100};  // the main window's Timer1
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
    // The reply to a configuration read or write, one read 100 ms after the request.
    void Timer1Timer();
    // Timer1 takes the reply to the request just sent (a configuration read
    // or write, or the working-set write's last request); the link is held
    // until it has.
    void awaitReply();
    // What the operation that sent the request still has to do once Timer1
    // has taken the reply (the working-set write's verification or its
    // report); run once, and dropped when the tick meets an error.
    std::function<void()> afterReply;

    // Relay test and last presented codes: select the device, open the port,
    // and show their window (modeless); nothing is sent yet.
    void Testrel1Click();
    void V1Click();

private:
    void Timer1Then()
    {
        try {
            Timer1Timer();
        } catch (...) {
            afterReply = nullptr;
            throw;
        }
        if (afterReply)
            std::exchange(afterReply, nullptr)();
    }
    bool claimForReply();
    bool writeConfirmed();
    void finishWrite();
    void storeConfiguration();
    void showRead();
};

// A device-list number field: up to 3 digits ("7", "007" and "0071" are 7);
// -1 when empty or not digits.
int deviceField(const QString &text);
