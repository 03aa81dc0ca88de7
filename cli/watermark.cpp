#include "cli/watermark.h"

#include "core/error.h"
#include "core/field_lines.h"
#include "devices/event_memory/event_format.h"

#include <QFile>

namespace cli {

using namespace tavob;

QString watermarkFile(const QString &programFolder) { return programFolder + QStringLiteral("TAVO-cli-udalosti.txt"); }

namespace {
QString pendingText(const Watermark &m)
{
    QStringList parts;
    for (const auto &[file, size] : m.pending)
        parts << file << QString::number(size);
    return parts.join(QLatin1Char('|'));
}

QList<QPair<QString, qint64>> pendingOf(const QString &text)
{
    QList<QPair<QString, qint64>> pending;
    const QStringList parts = text.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    for (int i = 0; i + 1 < parts.size(); i += 2)
        pending.append({parts[i], parts[i + 1].toLongLong()});
    return pending;
}
} // namespace

Watermarks readWatermarks(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> lines;
    readFieldLines(f.readAll(), 100000, [&lines](int row, int col, const QString &text) {
        while (lines.size() <= row)
            lines.append(QStringList());
        while (lines[row].size() <= col)
            lines[row].append(QString());
        lines[row][col] = text;
    });
    Watermarks marks;
    for (QStringList l : lines) {
        if (l.isEmpty() || l[0].isEmpty())
            continue;
        while (l.size() < 4)
            l.append(QString());
        marks.insert(l[0], Watermark{l[1].toInt(), l[2], pendingOf(l[3])});
    }
    return marks;
}

void writeWatermarks(const QString &fileName, const Watermarks &marks)
{
    QByteArray bytes;
    for (auto it = marks.cbegin(); it != marks.cend(); ++it)
        appendFieldLine(bytes, {it.key(), QString::number(it->lastEvent), it->dateTime, pendingText(*it)});
    QString reason;
    if (!writeWholeFile(fileName, bytes, &reason))
        throw Error(QStringLiteral("Soubor ") + fileName + QStringLiteral(" nelze zapsat: ") + reason);
}

void rollBack(Watermark &mark)
{
    for (const auto &[file, size] : mark.pending) {
        QFile f(file);
        if (!f.exists() || f.size() <= size)
            continue;
        if (!f.resize(size))
            throw Error(QStringLiteral("Soubor ") + file + QStringLiteral(" nelze vrátit: ") + f.errorString());
    }
    mark.pending.clear();
}

DownloadPlan planDownload(std::optional<qint32> lastRead, qint32 first, qint32 last)
{
    // An empty memory looks like a whole ring (last = first - 1).
    const qint32 total = last == first - 1 ? 0 : ringCount(first, last);
    if (!lastRead || total == 0)
        return {first, total, 0};
    const qint32 w = ringEvent(*lastRead);
    const qint32 offset = ringCount(first, w);  // w's place in the range, 1 = first
    if (offset <= total)
        return {nextEvent(w), total - offset, 0};
    const qint32 after = nextEvent(w);
    return {first, total, after == first ? 0 : ringCount(after, ringEvent(qint64(first) - 1))};
}

} // namespace cli
