#include "core/field_lines.h"
#include "core/cp1250.h"

#include <QSaveFile>

void readFieldLines(const QByteArray &bytes, int maxRows,
                    const std::function<void(int row, int col, const QString &text)> &store)
{
    int row = 0, col = 0;
    QByteArray text;
    auto field = [&] {
        store(row, col, fromCp1250(text));
        text.clear();
    };
    for (qsizetype i = 0; i < bytes.size() && row < maxRows; ++i) {
        const char b = bytes[i];
        if (b == ';') {
            field();
            ++col;
        } else if (b == '\r' || b == '\n') {
            field();
            col = 0;
            ++row;
            if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            text.append(b);
        }
    }
    if (row < maxRows && (!text.isEmpty() || col > 0))
        field();
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
