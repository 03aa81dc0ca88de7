#include "core/field_lines.h"
#include "core/cp1250.h"

#include <QSaveFile>

namespace {
QStringList splitFields(QStringView line)
{
    QStringList fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == u';') {
            fields.append(line.mid(start, i - start).toString());
            start = i + 1;
        }
    }
    return fields;
}
} // namespace

void forEachFieldLine(QStringView all, int maxLines, const std::function<void(int n, const QStringList &fields)> &line)
{
    int n = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size() && n < maxLines; ++i) {
        const QChar c = all[i];
        if (c != u'\r' && c != u'\n')
            continue;
        line(n++, splitFields(all.mid(start, i - start)));
        if (c == u'\r' && i + 1 < all.size() && all[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (n < maxLines && start < all.size())
        line(n, splitFields(all.mid(start)));
}

void readFieldLines(const QByteArray &bytes, int maxRows,
                    const std::function<void(int row, int col, const QString &text)> &store)
{
    const QString text = fromCp1250(bytes);
    forEachFieldLine(text, maxRows, [&store](int row, const QStringList &fields) {
        for (int col = 0; col < fields.size(); ++col)
            store(row, col, fields[col]);
    });
}

void appendFieldLine(QByteArray &out, const QStringList &fields)
{
    for (int c = 0; c < fields.size(); ++c) {
        if (c > 0)
            out.append(';');
        out.append(toCp1250(fields[c]).replace(';', QByteArray()));
    }
    out.append("\r\n");
}

bool writeWholeFile(const QString &fileName, const QByteArray &bytes, QString *reason)
{
    QSaveFile file(fileName);
    // commit() does not see a buffered write that failed (a full disk): flush first.
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit())
        return true;
    if (reason)
        *reason = file.errorString();
    return false;
}
