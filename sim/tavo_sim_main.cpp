// tavo-sim: the simulated TAVO devices of a bus configuration, served on a
// pseudo-terminal that the program (or any serial terminal) opens as its port.
//
//   tavo-sim [--link PATH] [--trace FILE] CONFIG
//
// Prints the terminal's path on the first line of its output and serves until
// it is ended (SIGINT, SIGTERM).

#include "sim/bus_config.h"
#include "sim/line_trace.h"
#include "sim/pty_server.h"
#include "core/clock.h"
#include "core/error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTimeZone>
#include <cstdio>
#include <memory>

using namespace sim;

namespace {
// The PC's clock without summer time: what a TAVO-B keeps.
QDateTime standardTimeNow()
{
    const QDateTime utc = wallNow().toUTC();
    const QDateTime t = utc.addSecs(QTimeZone::systemTimeZone().standardTimeOffset(utc));
    return QDateTime(t.date(), t.time(), Qt::UTC);
}

QString readConfig(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Error(QStringLiteral("Cannot read %1").arg(fileName));
    return QString::fromUtf8(f.readAll());
}

int serve(QCoreApplication &app, const QCommandLineParser &args)
{
    SimBus bus;
    const BusConfig config = loadBusConfig(readConfig(args.positionalArguments().at(0)), bus, standardTimeNow());
    PortSettings line;
    line.baudRate = QStringLiteral("Custom");
    line.customBaudRate = config.baud;
    bus.open(line);

    std::unique_ptr<LineTrace> trace;
    if (args.isSet(QStringLiteral("trace")))
        trace = std::make_unique<LineTrace>(args.value(QStringLiteral("trace")));
    PtyServer server(bus, trace.get());
    const QString path = server.open();
    if (args.isSet(QStringLiteral("link")))
        server.makeLink(args.value(QStringLiteral("link")));
    PtyServer::quitOnSignals();
    std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);
    return app.exec();
}
}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavo-sim"));
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral("Simulated TAVO-M and TAVO-B devices on a pseudo-terminal."));
    args.addHelpOption();
    args.addOption({QStringLiteral("link"), QStringLiteral("Make a symbolic link PATH to the terminal."), QStringLiteral("PATH")});
    args.addOption({QStringLiteral("trace"), QStringLiteral("Write a byte trace to FILE."), QStringLiteral("FILE")});
    args.addPositionalArgument(QStringLiteral("config"), QStringLiteral("The bus configuration (see sim/README.md)."));
    args.process(app);
    if (args.positionalArguments().size() != 1)
        args.showHelp(2);
    try {
        return serve(app, args);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tavo-sim: %s\n", e.what());
        return 1;
    }
}
