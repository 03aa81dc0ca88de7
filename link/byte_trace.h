#pragma once
// The link's byte trace: every request written and every read that brought
// bytes, one line each (local time, direction, hex), appended to a file the
// operator names with the key "TraceFile" in TAVO-port.ini. Off when empty.

#include <QFile>
#include <QString>

class ByteTrace {
public:
    // Opens (appending) or, with an empty name, closes the trace file.
    void setFile(const QString &fileName);
    bool on() const { return file_.isOpen(); }
    QString fileName() const { return file_.fileName(); }
    // direction: "PC->" or "<-DEV".
    void log(const char *direction, const char *bytes, int count);

private:
    QFile file_;
};

// One trace line without its time: "PC-> 7B 05 92 ... 7D".
QByteArray traceLine(const char *direction, const char *bytes, int count);
