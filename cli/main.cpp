// tavo-cli: the operator's routine device jobs from a command line.
#include "cli/options.h"
#include "cli/session.h"
#include "core/operator.h"
#include "link/qt_serial_port.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Nobody sits at the command line: a message goes to standard error, a
    // question is answered No.
    ConsoleOperator console;
    setOperator(&console);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString error;
    const std::optional<cli::Options> options = cli::parseArguments(app.arguments().mid(1), &error);
    if (!options) {
        err << error << Qt::endl << QStringLiteral("Nápověda: tavo-cli --help") << Qt::endl;
        return cli::ExitUsage;
    }
    if (options->command == QLatin1String("help")) {
        out << cli::helpText();
        return cli::ExitOk;
    }
    cli::Options o = *options;
    if (o.folder.isEmpty())
        o.folder = QCoreApplication::applicationDirPath();
    Link link(std::make_unique<QtSerialPort>());
    cli::Session session(link, o, out, err);
    session.onFinished = [&app](int code) { QTimer::singleShot(0, &app, [&app, code] { app.exit(code); }); };
    session.start();
    if (session.finished())
        return session.exitCode();
    return app.exec();
}
