#include "link/qt_serial_port.h"
#include "core/error.h"

#include <QRegularExpression>
#include <QSerialPortInfo>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
const char OpenFailed[] = "Unable to open com port";
const char StateFailed[] = "SetCommState function failed";
const char PurgeFailed[] = "PurgeComm function failed";
const char ReadFailed[] = "ReadFile function failed";
const char WriteFailed[] = "WriteFile function failed";

void clearSystemError()
{
#ifdef Q_OS_WIN
    SetLastError(0);
#endif
    errno = 0;
}

int systemError()
{
#ifdef Q_OS_WIN
    return int(GetLastError());
#else
    return errno;
#endif
}

// The system error for a port error that Qt raised without one.
int codeFor(QSerialPort::SerialPortError e)
{
    switch (e) {
    case QSerialPort::DeviceNotFoundError: return ENOENT;
    case QSerialPort::PermissionError: return EACCES;
    case QSerialPort::OpenError: return EBUSY;
    case QSerialPort::UnsupportedOperationError: return EINVAL;
    case QSerialPort::NotOpenError: return EBADF;
    default: return EIO;
    }
}

// The errors Qt repeats until the port is closed: the device has gone.
bool isLoss(QSerialPort::SerialPortError e) { return e == QSerialPort::ReadError || e == QSerialPort::ResourceError; }

[[noreturn]] void fail(const char *text, int code)
{
    throw PortError(QStringLiteral("%1 (win error code: %2)").arg(QLatin1String(text)).arg(code));
}

QSerialPort::Parity parityOf(const QString &text)
{
    static const QSerialPort::Parity kinds[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                QSerialPort::SpaceParity};
    return kinds[std::max(0, int(parityTexts().indexOf(text)))];
}

QSerialPort::StopBits stopBitsOf(const QString &text)
{
    if (text == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    return text == QLatin1String("2") ? QSerialPort::TwoStop : QSerialPort::OneStop;
}

QSerialPort::DataBits dataBitsOf(const QString &text) { return QSerialPort::DataBits(std::clamp(text.toInt(), 5, 8)); }

// QSerialPort knows RTS/CTS and XON/XOFF; DSR flow and RTS toggling have no counterpart.
QSerialPort::FlowControl flowOf(const FlowSettings &f)
{
    if (f.rts == FlowSettings::RtsHandshake && f.ctsFlow)
        return QSerialPort::HardwareControl;
    return f.xonXoffIn || f.xonXoffOut ? QSerialPort::SoftwareControl : QSerialPort::NoFlowControl;
}

QString settingsName(const QSerialPortInfo &info)
{
#ifdef Q_OS_LINUX
    static const QRegularExpression legacy(QStringLiteral("^ttyS([0-9]+)$"));
    const QRegularExpressionMatch m = legacy.match(info.portName());
    if (m.hasMatch())
        return QStringLiteral("COM%1").arg(m.captured(1).toInt() + 1);
    return info.systemLocation();
#else
    return info.portName();
#endif
}
}  // namespace

QtSerialPort::QtSerialPort()
{
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError e) { noteLoss(e); });
}

QString QtSerialPort::systemLocation(const QString &name)
{
#ifdef Q_OS_LINUX
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]{0,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(name);
    if (m.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
#endif
    return name;
}

QStringList QtSerialPort::availablePortNames()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << settingsName(info);
    names.removeDuplicates();
    return names;
}

// A device that goes away makes Qt report the error again and again from the
// event loop until the port is closed; close it as soon as control is back there.
// The error is reported as EIO: a terminal that has hung up reads as end of
// file, which leaves no system error behind.
void QtSerialPort::noteLoss(QSerialPort::SerialPortError e)
{
    if (!isLoss(e) || !port_.isOpen())
        return;
    lostError_ = codeFor(e);
    QMetaObject::invokeMethod(&port_, [this] { dropLost(); }, Qt::QueuedConnection);
}

void QtSerialPort::dropLost()
{
    if (port_.isOpen() && isLoss(port_.error()))
        port_.close();
}

int QtSerialPort::errorCode() const
{
    const int code = systemError();
    return code ? code : codeFor(port_.error());
}

void QtSerialPort::requireOpen(const char *failure) const
{
    if (!port_.isOpen())
        fail(failure, lostError_ ? lostError_ : EBADF);
}

// Ends the running operation with the port error when the device has gone.
void QtSerialPort::checkLoss(const char *failure)
{
    if (!isLoss(port_.error()))
        return;
    lostError_ = codeFor(port_.error());
    port_.close();
    fail(failure, lostError_);
}

void QtSerialPort::open(const PortSettings &s)
{
    port_.setPortName(systemLocation(s.port));
    clearSystemError();
    if (!port_.open(QIODevice::ReadWrite))
        fail(OpenFailed, errorCode());
    lostError_ = 0;
    port_.setReadBufferSize(PortLimits::InputBuffer);
    try {
        applyLine(s);
    } catch (...) {
        port_.close();
        throw;
    }
}

void QtSerialPort::close()
{
    port_.close();
    lostError_ = 0;
}

void QtSerialPort::apply(const PortSettings &s)
{
    requireOpen(StateFailed);
    applyLine(s);
}

void QtSerialPort::applyLine(const PortSettings &s)
{
#ifdef Q_OS_UNIX
    // Terminals know one or two stop bits; Qt would quietly run 1.5 as 1.
    if (stopBitsOf(s.stopBits) == QSerialPort::OneAndHalfStop)
        fail(StateFailed, EINVAL);
#endif
    clearSystemError();
    const bool ok = port_.setBaudRate(s.baud()) && port_.setDataBits(dataBitsOf(s.dataBits))
        && port_.setParity(parityOf(s.parity)) && port_.setStopBits(stopBitsOf(s.stopBits))
        && port_.setFlowControl(flowOf(s.flow));
    if (!ok)
        fail(StateFailed, errorCode());
    setModemLines(s);
    baud_ = s.baud();
}

// DTR and RTS as the settings hold them (RTS is Qt's own under hardware flow).
// A pseudo-terminal has no modem lines, which is no fault.
void QtSerialPort::setModemLines(const PortSettings &s)
{
    clearSystemError();
    bool ok = port_.setDataTerminalReady(s.flow.dtr != FlowSettings::DtrDisable);
    if (ok && flowOf(s.flow) != QSerialPort::HardwareControl)
        ok = port_.setRequestToSend(s.flow.rts == FlowSettings::RtsEnable);
    if (!ok && port_.error() != QSerialPort::UnsupportedOperationError)
        fail(StateFailed, errorCode());
    port_.clearError();
}

int QtSerialPort::read(char *buffer, int maxCount)
{
    requireOpen(ReadFailed);
    clearSystemError();
    port_.waitForReadyRead(0);  // takes in what the system holds, without waiting
    checkLoss(ReadFailed);
    port_.clearError();
    clearSystemError();
    const qint64 n = port_.read(buffer, maxCount);
    if (n < 0)
        fail(ReadFailed, errorCode());
    return int(n);
}

// Blocks until the bytes have gone out on the line, at most count x 1000 ms + 100 ms.
// Returns the bytes written; on time-out the rest is discarded.
int QtSerialPort::write(const char *buffer, int count)
{
    requireOpen(WriteFailed);
    QElapsedTimer clock;
    clock.start();
    const qint64 limitMs = qint64(count) * PortLimits::WriteMsPerByte + PortLimits::WriteConstantMs;
    clearSystemError();
    if (port_.write(buffer, count) != count) {
        checkLoss(WriteFailed);
        fail(WriteFailed, errorCode());
    }
    qint64 unsent = handOver(clock, limitMs);
    if (unsent == 0)
        unsent = drainLine(clock, limitMs);
    if (unsent == 0)
        waitLineTime(count, clock, limitMs);
    return int(count - std::min<qint64>(unsent, count));
}

// Passes Qt's write buffer to the system; returns what is still left in it.
qint64 QtSerialPort::handOver(const QElapsedTimer &clock, qint64 limitMs)
{
    while (port_.bytesToWrite() > 0 && clock.elapsed() < limitMs) {
        clearSystemError();
        if (port_.waitForBytesWritten(int(limitMs - clock.elapsed())))
            continue;
        checkLoss(WriteFailed);
        if (port_.error() != QSerialPort::TimeoutError && port_.error() != QSerialPort::NoError)
            fail(WriteFailed, errorCode());
    }
    port_.clearError();
    const qint64 unsent = port_.bytesToWrite();
    if (unsent > 0)
        port_.clear(QSerialPort::Output);
    return unsent;
}

// Waits until the driver has sent its queue; returns what it still holds at the time-out.
qint64 QtSerialPort::drainLine(const QElapsedTimer &clock, qint64 limitMs)
{
#ifdef Q_OS_UNIX
    const int fd = int(port_.handle());
    int queued = 0;
#ifdef TIOCOUTQ
    // tcdrain would wait for ever while flow control holds the line back.
    while (ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && clock.elapsed() < limitMs)
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    if (queued > 0) {
        tcflush(fd, TCOFLUSH);
        return queued;
    }
#endif
    while (tcdrain(fd) != 0) {
        if (errno != EINTR)
            fail(WriteFailed, errno);
    }
    return 0;
#else
    Q_UNUSED(clock);
    Q_UNUSED(limitMs);
    return 0;
#endif
}

// A pseudo-terminal (or an adapter that reports bytes sent once it holds them)
// has no line rate: wait out the bytes' time on the line at the baud rate.
void QtSerialPort::waitLineTime(int count, const QElapsedTimer &clock, qint64 limitMs) const
{
    const qint64 lineUs = qint64(count) * PortLimits::BitsPerByte * 1000000 / std::max(1, baud_);
    const qint64 leftUs = std::min(lineUs, limitMs * 1000) - clock.nsecsElapsed() / 1000;
    if (leftUs > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(leftUs));
}

void QtSerialPort::purge()
{
    requireOpen(PurgeFailed);
    clearSystemError();
    if (!port_.clear(QSerialPort::AllDirections))
        fail(PurgeFailed, errorCode());
}
