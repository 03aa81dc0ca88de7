// The dBase reader: a table of any bytes is opened, every field of every
// record read, a record edited and one appended; a refusal is an Error.
#include "records/table.h"
#include "core/error.h"
#include "core/operator.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

namespace {
// Messages are answered without a window.
class SilentOperator : public Operator {
public:
    int messageBox(const QString &, const QString &, int) override { return IDOK; }
    QString openFileName(const FileDialogRequest &) override { return {}; }
    QString saveFileName(const FileDialogRequest &) override { return {}; }
    bool printSetup(QPrinter &) override { return false; }
};

void exercise(Table &t)
{
    t.open();
    for (int p = 0; p < t.recordCount() && p < 2000; ++p)
        for (int f = 0; f < t.fieldCount(); ++f)
            (void)t.textAt(p, f);
    if (t.recordCount() > 0) {
        t.edit();
        for (int f = 0; f < t.fieldCount(); ++f) {
            try {
                t.setFieldText(f, QStringLiteral("Žluť 12"));
            } catch (const Error &) {
            }
        }
        t.post();
    }
    t.insert();
    t.setFieldText(0, QStringLiteral("1"));
    t.post();
    t.refresh();
    t.close();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static SilentOperator silent;
    setOperator(&silent);
    static QTemporaryDir dir;
    // The first bytes choose a memo file and a .cpg beside the table.
    const QByteArray all(reinterpret_cast<const char *>(data), qsizetype(size));
    const int split = all.isEmpty() ? 0 : uchar(all[0]) % 4;
    QFile::remove(dir.filePath("t.DBT"));
    QFile::remove(dir.filePath("t.cpg"));
    QByteArray table = all.mid(1);
    if (split == 1 || split == 3) {
        const qsizetype half = table.size() / 2;
        QFile memo(dir.filePath("t.DBT"));
        memo.open(QIODevice::WriteOnly);
        memo.write(table.mid(half));
        table.truncate(half);
    }
    if (split >= 2) {
        QFile cpg(dir.filePath("t.cpg"));
        cpg.open(QIODevice::WriteOnly);
        cpg.write(table.left(8));
        table.remove(0, 8);
    }
    {
        QFile f(dir.filePath("t.DBF"));
        f.open(QIODevice::WriteOnly);
        f.write(table);
    }
    Table t;
    t.setDatabaseFolder(dir.path());
    t.setTableName(QStringLiteral("t"));
    try {
        exercise(t);
    } catch (const Error &) {
    }
    try {
        Table::copyTable(dir.path(), QStringLiteral("t"), QStringLiteral("c"));
    } catch (const Error &) {
    }
    return 0;
}
