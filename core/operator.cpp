#include "core/operator.h"
#include "core/error.h"

#include <cstdio>

namespace {
Operator *installed = nullptr;
} // namespace

int ConsoleOperator::messageBox(const QString &title, const QString &text, int flags)
{
    const QByteArray line = (title + QLatin1String(": ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    return (flags & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

QString ConsoleOperator::openFileName(const FileDialogRequest &) { return QString(); }

QString ConsoleOperator::saveFileName(const FileDialogRequest &) { return QString(); }

bool ConsoleOperator::printSetup(QPrinter &) { return false; }

Operator &op()
{
    // The console service stands in without touching the error reporter: a
    // caller that installed its own (tavo-cli's run) keeps it.
    if (!installed) {
        static ConsoleOperator console;
        installed = &console;
    }
    return *installed;
}

void setOperator(Operator *o)
{
    installed = o;
    setErrorReporter(&showErrorBox);
}

void showErrorBox(const QString &message)
{
    op().messageBox(QStringLiteral("TAVO"), errorBoxText(message), MB_OK | MB_ICONSTOP);
}

namespace {
// Every program that uses the service reports errors in the box from the start.
const bool errorBoxInstalled = (setErrorReporter(&showErrorBox), true);
} // namespace
