#pragma once
// The byte trace of tavo-sim: one line per frame (or run of bytes) in each
// direction, "seconds direction hex", the time that of the run's first byte:
//
//     12.345678 to-devices 7B 05 92 00 00 00 00 A0 37 7D
//     12.358095 to-pc 7B 05 92 05 05 1F F0 00 00 00 00 78 7D
//
// A run ends after an end byte 0x7D or when the direction changes.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace sim {

class LineTrace {
public:
    enum Direction { ToDevices, ToPc };

    // Raises Error when the file cannot be created.
    explicit LineTrace(const QString &fileName);
    ~LineTrace();
    LineTrace(const LineTrace &) = delete;
    LineTrace &operator=(const LineTrace &) = delete;

    void add(qint64 atUs, Direction direction, const QByteArray &bytes);
    void flush();

private:
    QFile file_;
    Direction direction_ = ToDevices;
    qint64 runUs_ = 0;
    QByteArray run_;
};

} // namespace sim
