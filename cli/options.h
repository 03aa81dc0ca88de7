#pragma once
// What tavo-cli is asked to do: the command and its options from the command
// line, and the Czech help text that lists them.

#include <QString>
#include <QStringList>
#include <optional>

namespace cli {

// Exit codes a script can rely on: 0 only when everything asked was done
// (and verified); otherwise the kind of the run's first failure.
enum ExitCode {
    ExitOk = 0,
    ExitFailure = 1,    // anything else: a file, the device list, a damaged reply
    ExitUsage = 2,      // bad arguments
    ExitNoAnswer = 3,   // a device did not answer
    ExitPort = 4,       // the port would not open, or failed during the run
    ExitDiffers = 5,    // write-set --verify found slots that differ
};

struct Options {
    QString command;  // scan, clock, set-clock, read-set, write-set, events, help
    QString folder;   // the program folder; empty: the executable's folder
    QString port;     // overrides the port of TAVO-port.ini when set
    QString trace;    // the byte trace's file when set
    QString device;   // a name of the device list
    bool all = false; // every device of the device list
    QString out;      // read-set: the file written instead of the working-set file; events: the folder
    QString file;     // write-set: the file written instead of the working-set file
    bool verify = false;
    bool moveStart = false;  // events: the reader's start moves past what was saved
};

// The options of the arguments after the program name; nothing, with the
// reason in *error, when they do not make a whole command.
std::optional<Options> parseArguments(const QStringList &args, QString *error);

QString helpText();

} // namespace cli
