#include "sim/pty_server.h"

#include "core/clock.h"
#include "core/error.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {
Error systemError(const char *what)
{
    return Error(QStringLiteral("%1 failed: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno))));
}

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 0;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}
}  // namespace

PtyServer::PtyServer(SimBus &bus, LineTrace *trace) : bus_(bus), trace_(trace)
{
    bus_.setOnReplyQueued([this] { schedulePump(); });
}

PtyServer::~PtyServer()
{
    bus_.setOnReplyQueued({});
    if (pump_)
        theClock().cancel(pump_);
    if (!link_.isEmpty())
        ::unlink(QFile::encodeName(link_).constData());
    if (master_ >= 0)
        ::close(master_);
    // The server keeps the terminal's own end open too, so that the master does
    // not fail while no program has the terminal open.
    if (slave_ >= 0)
        ::close(slave_);
}

QString PtyServer::open()
{
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) < 0)
        throw systemError("openpty");
    termios t{};
    if (::tcgetattr(slave_, &t) < 0)
        throw systemError("tcgetattr");
    ::cfmakeraw(&t);
    if (::tcsetattr(slave_, TCSANOW, &t) < 0)
        throw systemError("tcsetattr");
    if (::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) < 0)
        throw systemError("fcntl");
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readRequests(); });
    path_ = QString::fromLocal8Bit(name);
    return path_;
}

void PtyServer::makeLink(const QString &path)
{
    const QByteArray target = QFile::encodeName(path_);
    const QByteArray at = QFile::encodeName(path);
    if (QFileInfo(path).isSymLink())
        ::unlink(at.constData());
    if (::symlink(target.constData(), at.constData()) < 0)
        throw systemError("symlink");
    link_ = path;
}

void PtyServer::quitOnSignals()
{
    if (::pipe(signalPipe) < 0)
        throw systemError("pipe");
    auto *n = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(n, &QSocketNotifier::activated, QCoreApplication::instance(), &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

void PtyServer::readRequests()
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0)
            return;
        if (trace_)
            trace_->add(theClock().nowUs(), LineTrace::ToDevices, QByteArray(buf, int(n)));
        bus_.write(buf, int(n));
    }
}

// Hands over the reply bytes that have arrived on the simulated line, then
// waits for the next one.
void PtyServer::pumpReplies()
{
    pump_ = 0;
    char buf[4096];
    const int n = bus_.read(buf, sizeof buf);
    if (n > 0) {
        if (trace_)
            trace_->add(theClock().nowUs(), LineTrace::ToPc, QByteArray(buf, n));
        // A terminal whose input nobody reads may refuse bytes: they are lost, as on a line.
        [[maybe_unused]] const ssize_t written = ::write(master_, buf, size_t(n));
    }
    schedulePump();
}

void PtyServer::schedulePump()
{
    if (pump_ || bus_.nextByteUs() < 0)
        return;
    pump_ = theClock().callAt(bus_.nextByteUs(), [this] { pumpReplies(); });
}

} // namespace sim
