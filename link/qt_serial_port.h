#pragma once
// The real serial port: serial devices, USB adapters and pseudo-terminals
// through QSerialPort. Port names "COM1", "COM2", ... are the first, second,
// ... serial port of the system; a path names its device as it stands.

#include "link/serial_port.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QStringList>

class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    QtSerialPort(const QtSerialPort &) = delete;
    QtSerialPort &operator=(const QtSerialPort &) = delete;

    void open(const PortSettings &settings) override;
    bool isOpen() const override { return port_.isOpen(); }
    void close() override;
    void apply(const PortSettings &settings) override;
    int read(char *buffer, int maxCount) override;
    int write(const char *buffer, int count) override;
    void purge() override;

    // The device a port name stands for.
    static QString systemLocation(const QString &name);
    // The ports the system reports, by the names the settings use.
    static QStringList availablePortNames();

private:
    void applyLine(const PortSettings &s);
    void setModemLines(const PortSettings &s);
    void noteLoss(QSerialPort::SerialPortError e);
    void dropLost();
    int errorCode() const;
    void requireOpen(const char *failure) const;
    void checkLoss(const char *failure);
    qint64 handOver(const QElapsedTimer &clock, qint64 limitMs);
    qint64 drainLine(const QElapsedTimer &clock, qint64 limitMs);
    void waitLineTime(int count, const QElapsedTimer &clock, qint64 limitMs) const;

    QSerialPort port_;
    int baud_ = 9600;
    int lostError_ = 0;  // system error that closed the port; 0 when none did
};
