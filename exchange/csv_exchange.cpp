#include "exchange/csv_exchange.h"
#include "core/cp1250.h"
#include "core/field_lines.h"
#include "core/text_table.h"
#include "records/table.h"

#include <QStringView>
#include <limits>

namespace {
const QByteArray Utf8Mark("\xEF\xBB\xBF");
} // namespace

QString exchangeText(const QByteArray &bytes)
{
    if (bytes.startsWith(Utf8Mark))
        return QString::fromUtf8(bytes.constData() + Utf8Mark.size(), bytes.size() - Utf8Mark.size());
    return fromCp1250(bytes);
}

void forEachExchangeLine(const QByteArray &bytes, const std::function<void(int n, const QStringList &fields)> &line)
{
    const QString text = exchangeText(bytes);
    forEachFieldLine(text, std::numeric_limits<int>::max(), line);
}

QStringList recordValues(const QStringList &fields, int fieldCount)
{
    if (fields.size() < 2)
        return {};
    QStringList values = fields.mid(0, fieldCount - 1);
    if (fields.size() >= fieldCount)
        values.append(fields.last());
    return values;
}

QByteArray tableExportBytes(const QStringList &headings, const Table &table, int rows,
                            const std::function<QStringList(int n)> &blank)
{
    QByteArray out;
    appendFieldLine(out, headings);
    const int fields = table.fieldCount();
    const int records = table.recordCount();
    const int lines = rows < 0 ? records : rows;
    QStringList values;
    for (int p = 0; p < lines; ++p) {
        values.clear();
        if (p < records) {
            for (int i = 0; i < fields; ++i)
                values << table.textAt(p, i);
        } else if (blank) {
            values = blank(p + 1);
        }
        appendFieldLine(out, values);
    }
    return out;
}

int appendImport(Table &table, const QByteArray &bytes)
{
    const int fieldCount = table.fieldCount();
    QList<QStringList> records;
    forEachExchangeLine(bytes, [&](int n, const QStringList &fields) {
        QStringList values = n > 0 ? recordValues(fields, fieldCount) : QStringList();
        if (!values.isEmpty())
            records.append(std::move(values));
    });
    table.last();
    table.appendRecords(records);
    return int(records.size());
}

int archiveImport(Table &table, const QByteArray &bytes)
{
    int written = 0;
    const int records = qMin(table.recordCount(), 510);
    forEachExchangeLine(bytes, [&](int n, const QStringList &fields) {
        if (n == 0 || n > records || fields.size() < 3)
            return;
        table.gotoBookmark(table.bookmarkAt(n - 1));
        table.edit();
        try {
            table.setFieldText(1, fields[1]);
            table.setFieldText(2, fields[2]);
            table.post();
        } catch (...) {
            table.cancel();
            throw;
        }
        ++written;
    });
    return written;
}

void workingSetImport(TextTable &set, const QByteArray &bytes)
{
    forEachExchangeLine(bytes, [&set](int r, const QStringList &fields) {
        if (r >= set.rowCount())
            return;
        for (int c = 0; c < fields.size() && c < set.colCount(); ++c)
            set.setCell(c, r, fields[c]);
    });
}
