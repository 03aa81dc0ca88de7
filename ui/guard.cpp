#include "ui/guard.h"
#include "ui/operator.h"

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.at(message.size() - 1).unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

void showErrorBox(const QString &message)
{
    op().messageBox(QStringLiteral("TAVO"), errorBoxText(message), MB_OK | MB_ICONSTOP);
}

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
