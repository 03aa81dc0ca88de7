#pragma once
// Errors raised by the table engine, the port or a number conversion end the
// running handler; the guard reports them (in the program: the default error
// box) and the program goes on.

#include <QString>
#include <stdexcept>

class Error : public std::runtime_error {
public:
    explicit Error(const QString &text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromUtf8(what()); }
};

// An error of the serial port (it will not open, its settings are refused,
// the device behind it has gone): the same text and box as any error, but a
// caller that must tell it apart, as the command line's exit code does, can.
class PortError : public Error {
public:
    using Error::Error;
};

// The default error box text: "." is added when the last character's code is above that of ".".
QString errorBoxText(const QString &message);

// Where the guard sends an error. The widget layer installs the error box;
// without it (the simulator) the error goes to the log.
using ErrorReporter = void (*)(const QString &message);
void setErrorReporter(ErrorReporter reporter);
void reportError(const QString &message);

// Runs a handler; an exception it raises is reported and goes no further.
template <class F> void guarded(F &&handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        reportError(QString::fromUtf8(e.what()));
    } catch (...) {
        reportError(QStringLiteral("Neznámá chyba"));
    }
}

// Number conversion as the operator's fields need it: a whole decimal number
// or the error "'%s' is not a valid integer value".
int strToInt(const QString &text);
