#pragma once
// What the event download remembers between runs, per reader: the last event
// read, its date and time, and the events files a save was appending to when
// it last ran (rolled back to their old sizes if that save never finished).
// Kept in the program folder as "TAVO-cli-udalosti.txt": one line per reader,
// name;last event;date and time;file|size|file|size..., Windows-1250, CR LF.

#include <QMap>
#include <QPair>
#include <QString>
#include <optional>

namespace cli {

struct Watermark {
    qint32 lastEvent = 0;
    QString dateTime;
    QList<QPair<QString, qint64>> pending;  // events files and their sizes before a save
};
using Watermarks = QMap<QString, Watermark>;

QString watermarkFile(const QString &programFolder);
// A missing file is no reader read yet. A file that cannot be read or does
// not hold what writeWatermarks writes raises an error naming it: guessing
// would read events twice or skip them.
Watermarks readWatermarks(const QString &fileName);
// The file's bytes as readWatermarks takes them; nothing, with the line and
// the reason in *error, for bytes writeWatermarks would not have written.
std::optional<Watermarks> parseWatermarks(const QByteArray &bytes, QString *error);
QByteArray watermarkBytes(const Watermarks &marks);
// The whole file, replaced once complete. Raises the failure with its reason.
void writeWatermarks(const QString &fileName, const Watermarks &marks);
// Cuts every pending file back to its size before the save; raises when one cannot be.
void rollBack(Watermark &mark);

// What a run reads of a ring holding first..last: `count` events from
// `start`, and how many events after the watermark the ring overwrote first.
struct DownloadPlan {
    qint32 start = 1;
    qint32 count = 0;
    qint32 overwritten = 0;
};
DownloadPlan planDownload(std::optional<qint32> lastRead, qint32 first, qint32 last);

} // namespace cli
