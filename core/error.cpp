#include "core/error.h"

#include <QtDebug>

namespace {
void logError(const QString &message) { qWarning("%s", qUtf8Printable(errorBoxText(message))); }
ErrorReporter reporter = &logError;
} // namespace

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.at(message.size() - 1).unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

void setErrorReporter(ErrorReporter r) { reporter = r ? r : &logError; }

void reportError(const QString &message) { reporter(message); }

int strToInt(const QString &text)
{
    bool ok = false;
    const QString t = text.trimmed();
    int v = 0;
    if (t.startsWith(QLatin1Char('$')) || t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(t.startsWith(QLatin1Char('$')) ? 1 : 2).toInt(&ok, 16);
    else
        v = t.toInt(&ok, 10);
    if (!ok || t.size() != text.size())
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return v;
}
