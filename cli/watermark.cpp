#include "cli/watermark.h"

#include "core/error.h"
#include "core/field_lines.h"
#include "devices/event_memory/event_format.h"

#include <QFile>
#include <QFileInfo>

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

bool isNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 18)
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// The events files of one reader's save and their sizes before it. Only the
// reader's own month files are taken: a rollback cuts what is named here.
std::optional<QList<QPair<QString, qint64>>> pendingOf(const QString &reader, const QString &text)
{
    QList<QPair<QString, qint64>> pending;
    const QStringList parts = text.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    if (parts.size() % 2 != 0)
        return std::nullopt;
    for (int i = 0; i < parts.size(); i += 2) {
        const QString base = QFileInfo(parts[i]).fileName();
        if (!base.startsWith(reader + QLatin1Char('-')) || !base.endsWith(QLatin1String(".csv")) || !isNumber(parts[i + 1]))
            return std::nullopt;
        pending.append({parts[i], parts[i + 1].toLongLong()});
    }
    return pending;
}
} // namespace

std::optional<Watermarks> parseWatermarks(const QByteArray &bytes, QString *error)
{
    constexpr int MaxLines = 100000;
    if (bytes.count('\n') >= MaxLines) {
        *error = QStringLiteral("více než ") + QString::number(MaxLines) + QStringLiteral(" řádků");
        return std::nullopt;
    }
    QList<QStringList> lines;
    readFieldLines(bytes, MaxLines, [&lines](int row, int col, const QString &text) {
        while (lines.size() <= row)
            lines.append(QStringList());
        while (lines[row].size() <= col)
            lines[row].append(QString());
        lines[row][col] = text;
    });
    Watermarks marks;
    for (int n = 0; n < lines.size(); ++n) {
        QStringList l = lines[n];
        if (l.isEmpty() || (l.size() == 1 && l[0].isEmpty()))
            continue;
        while (l.size() < 4)
            l.append(QString());
        const auto fail = [&](const char *why) {
            *error = QStringLiteral("řádek ") + QString::number(n + 1) + QStringLiteral(": ") + QString::fromUtf8(why);
            return std::nullopt;
        };
        if (l.size() > 4 || l[0].isEmpty())
            return fail("nečekaný počet polí");
        if (marks.contains(l[0]))
            return fail("zařízení je uvedeno dvakrát");
        // No event read yet: number 0 and no date; else an event of the ring.
        const bool read = !l[2].isEmpty();
        if (!isNumber(l[1]) || (read ? l[1].toLongLong() < 1 || l[1].toLongLong() > RingSize : l[1].toLongLong() != 0))
            return fail("číslo poslední události není platné");
        const auto pending = pendingOf(l[0], l[3]);
        if (!pending)
            return fail("rozepsané soubory nejsou soubory tohoto zařízení");
        marks.insert(l[0], Watermark{l[1].toInt(), l[2], *pending});
    }
    return marks;
}

Watermarks readWatermarks(const QString &fileName)
{
    QFile f(fileName);
    if (!f.exists())
        return {};
    if (!f.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Soubor ") + fileName + QStringLiteral(" nelze přečíst: ") + f.errorString());
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Soubor ") + fileName + QStringLiteral(" nelze přečíst: ") + f.errorString());
    QString error;
    std::optional<Watermarks> marks = parseWatermarks(bytes, &error);
    if (!marks)
        throw Error(QStringLiteral("Soubor ") + fileName + QStringLiteral(" je poškozený (") + error
                    + QStringLiteral("). Opravte jej, nebo jej smažte: pak se načtou všechny události znovu"));
    return *marks;
}

QByteArray watermarkBytes(const Watermarks &marks)
{
    QByteArray bytes;
    for (auto it = marks.cbegin(); it != marks.cend(); ++it)
        appendFieldLine(bytes, {it.key(), QString::number(it->lastEvent), it->dateTime, pendingText(*it)});
    return bytes;
}

void writeWatermarks(const QString &fileName, const Watermarks &marks)
{
    QString reason;
    if (!writeWholeFile(fileName, watermarkBytes(marks), &reason))
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
