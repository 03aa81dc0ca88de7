#include "records/dbf_file.h"
#include "records/file_lock.h"
#include "core/cp1250.h"
#include "core/clock.h"
#include "core/error.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace {
constexpr char Terminator = 0x0D;
constexpr char EndOfFile = 0x1A;
constexpr uchar DriverCp1250 = 0xC8;

bool isLevel7(uchar version) { return version == 0x04 || version == 0x8C; }
bool isDbase3(uchar version) { return version == 0x03 || version == 0x83 || version == 0x8B; }

quint32 u32At(const QByteArray &b, int pos) { return qFromLittleEndian<quint32>(b.constData() + pos); }
quint16 u16At(const QByteArray &b, int pos) { return qFromLittleEndian<quint16>(b.constData() + pos); }

QByteArray le32(quint32 v)
{
    QByteArray b(4, Qt::Uninitialized);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray dateBytes(QDate d)
{
    const char b[3] = {char(d.year() - 1900), char(d.month()), char(d.day())};
    return QByteArray(b, 3);
}

bool isNumeric(const DbfField &f) { return f.type == 'N' || f.type == 'F'; }

QString fieldName(const char *p, int size)
{
    return fromCp1250(p, int(qstrnlen(p, size))).trimmed();
}

[[noreturn]] void failOn(const QString &path, const QString &text)
{
    throw Error(text.arg(QDir::toNativeSeparators(path)));
}

void checkNewField(const QString &path, const DbfField &f)
{
    const bool nameOk = !f.name.isEmpty() && f.name.size() <= 10 && fitsCp1250(f.name);
    if (!nameOk || f.width < 1 || f.width > 254 || f.decimals < 0 || f.decimals > 15)
        failOn(path, QStringLiteral("Pole ") + f.name + QStringLiteral(" tabulky %1 je neplatné"));
}

QByteArray descriptor(const DbfField &f)
{
    QByteArray d(32, '\0');
    const QByteArray name = toCp1250(f.name.toUpper());
    memcpy(d.data(), name.constData(), size_t(name.size()));
    d[11] = f.type;
    d[16] = char(f.width);
    d[17] = char(f.decimals);
    return d;
}

void writeWhole(const QString &path, const QByteArray &bytes)
{
    if (fileInUse(path))
        failOn(path, QStringLiteral("Tabulka %1 je používána jiným programem"));
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        failOn(path, QStringLiteral("Tabulku %1 nelze zapsat"));
}
} // namespace

QString dbfFieldText(const DbfField &f, const char *record)
{
    const char *p = record + f.offset;
    int end = f.width;
    if (f.type == 'C') {
        while (end > 0 && (p[end - 1] == ' ' || p[end - 1] == '\0'))
            --end;
        return fromCp1250(p, end);
    }
    if (isNumeric(f))
        return fromCp1250(p, end).trimmed();
    return fromCp1250(p, end);
}

QByteArray dbfFieldBytes(const DbfField &f, const QString &text)
{
    QByteArray b = toCp1250(isNumeric(f) ? text.trimmed() : text).left(f.width);
    const QByteArray fill(f.width - b.size(), ' ');
    return isNumeric(f) ? fill + b : b + fill;
}

void DbfFile::open(const QString &path, bool exclusive)
{
    path_ = path;
    if (!QFileInfo::exists(path))
        fail(QStringLiteral("Tabulka %1 neexistuje"));
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered) &&
        !file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        fail(QStringLiteral("Tabulku %1 nelze otevřít"));
    const LockResult lock = lockFile(file_, exclusive);
    try {
        if (lock == LockResult::InUse)
            fail(QStringLiteral("Tabulka %1 je používána jiným programem"));
        if (lock == LockResult::Failed)
            fail(QStringLiteral("Tabulku %1 nelze uzamknout"));
        reload();
    } catch (...) {
        close();
        throw;
    }
}

void DbfFile::close()
{
    file_.close();
    data_.clear();
    fields_.clear();
    header_.clear();
    count_ = 0;
}

void DbfFile::reload()
{
    if (!file_.seek(0))
        fail(QStringLiteral("Tabulku %1 nelze přečíst"));
    QByteArray bytes = file_.readAll();
    // Parsed aside first: a file that fails to parse leaves the table as it was.
    DbfFile read;
    read.path_ = path_;
    read.parse(bytes);
    header_ = read.header_;
    fields_ = read.fields_;
    headerLength_ = read.headerLength_;
    recordLength_ = read.recordLength_;
    count_ = read.count_;
    bytes.truncate(headerLength_ + qint64(count_) * recordLength_);
    bytes.remove(0, headerLength_);
    data_ = std::move(bytes);
}

void DbfFile::parse(const QByteArray &bytes)
{
    const uchar version = bytes.isEmpty() ? 0 : uchar(bytes[0]);
    if (bytes.size() < 32 || !(isDbase3(version) || isLevel7(version)))
        fail(QStringLiteral("Soubor %1 není tabulka dBase"));
    headerLength_ = u16At(bytes, 8);
    recordLength_ = u16At(bytes, 10);
    const int start = isLevel7(version) ? 68 : 32;
    if (headerLength_ > bytes.size() || headerLength_ <= start || recordLength_ < 1)
        fail(QStringLiteral("Soubor %1 není úplná tabulka dBase"));
    parseFields(bytes, start, isLevel7(version) ? 48 : 32);
    header_ = bytes.left(headerLength_);
    const qint64 complete = (bytes.size() - headerLength_) / recordLength_;
    count_ = qint32(qMin<qint64>(u32At(bytes, 4), complete));
}

void DbfFile::parseFields(const QByteArray &bytes, int start, int size)
{
    const bool level7 = size == 48;
    fields_.clear();
    int offset = 1;
    for (int pos = start; pos + size <= headerLength_ && bytes[pos] != Terminator; pos += size) {
        const char *d = bytes.constData() + pos;
        DbfField f;
        f.name = fieldName(d, level7 ? 32 : 11);
        f.type = d[level7 ? 32 : 11];
        f.width = uchar(d[level7 ? 33 : 16]);
        f.decimals = uchar(d[level7 ? 34 : 17]);
        f.offset = offset;
        offset += f.width;
        fields_.append(f);
    }
    if (fields_.isEmpty() || offset > recordLength_)
        fail(QStringLiteral("Soubor %1 má neplatný popis polí"));
}

void DbfFile::readAppended()
{
    const qint32 inFile = countInFile();
    if (inFile <= count_)
        return;
    const qint64 pos = headerLength_ + qint64(count_) * recordLength_;
    if (!file_.seek(pos))
        fail(QStringLiteral("Tabulku %1 nelze přečíst"));
    const QByteArray more = file_.read(qint64(inFile - count_) * recordLength_);
    const qint32 complete = qint32(more.size() / recordLength_);
    data_.append(more.constData(), qint64(complete) * recordLength_);
    count_ += complete;
}

qint32 DbfFile::countInFile()
{
    if (!file_.seek(4))
        fail(QStringLiteral("Tabulku %1 nelze přečíst"));
    const QByteArray b = file_.read(4);
    if (b.size() != 4)
        fail(QStringLiteral("Tabulku %1 nelze přečíst"));
    return qint32(qMin<quint32>(u32At(b, 0), quint32(INT32_MAX)));
}

QByteArray DbfFile::blankRecord() const { return QByteArray(recordLength_, ' '); }

void DbfFile::writeAt(qint64 pos, const QByteArray &bytes)
{
    if (!file_.seek(pos) || file_.write(bytes) != bytes.size())
        fail(QStringLiteral("Do tabulky %1 nelze zapisovat"));
}

// The record count and, when the day has changed, the date of last update.
void DbfFile::writeCount(qint32 count)
{
    QByteArray head = dateBytes(wallNow().date()) + le32(quint32(count));
    writeAt(1, head);
    header_.replace(1, head.size(), head);
}

// The date of last update, when the day has changed. It goes before the
// record, so that a failing write leaves no record on disk unlike in memory.
void DbfFile::writeDate()
{
    const QByteArray date = dateBytes(wallNow().date());
    if (header_.mid(1, 3) == date)
        return;
    writeAt(1, date);
    header_.replace(1, 3, date);
}

void DbfFile::writeRecord(qint32 n, const QByteArray &record)
{
    writeDate();
    writeAt(headerLength_ + qint64(n) * recordLength_, record);
    memcpy(data_.data() + qint64(n) * recordLength_, record.constData(), size_t(recordLength_));
}

qint32 DbfFile::appendRecord(const QByteArray &record)
{
    writeAt(headerLength_ + qint64(count_) * recordLength_, record + EndOfFile);
    writeCount(count_ + 1);
    data_.append(record);
    return count_++;
}

void DbfFile::markDeleted(qint32 n)
{
    writeDate();
    writeAt(headerLength_ + qint64(n) * recordLength_, QByteArray(1, '*'));
    data_[qint64(n) * recordLength_] = '*';
}

// The count goes first, so that a table cut short by a crash reads as empty.
void DbfFile::removeAll()
{
    writeCount(0);
    writeAt(headerLength_, QByteArray(1, EndOfFile));
    if (!file_.resize(headerLength_ + 1))
        fail(QStringLiteral("Do tabulky %1 nelze zapisovat"));
    data_.clear();
    count_ = 0;
}

void DbfFile::create(const QString &path, const QList<DbfField> &fields)
{
    QByteArray descriptors;
    int recordLength = 1;
    for (const DbfField &f : fields) {
        checkNewField(path, f);
        descriptors += descriptor(f);
        recordLength += f.width;
    }
    if (fields.isEmpty() || recordLength > 0xFFFF || fields.size() > 2000)
        failOn(path, QStringLiteral("Tabulka %1 má neplatný popis polí"));
    QByteArray header(32, '\0');
    header[0] = 0x03;
    header.replace(1, 3, dateBytes(wallNow().date()));
    qToLittleEndian(quint16(32 + descriptors.size() + 1), header.data() + 8);
    qToLittleEndian(quint16(recordLength), header.data() + 10);
    header[29] = char(DriverCp1250);
    writeWhole(path, header + descriptors + Terminator + EndOfFile);
}

void DbfFile::copy(const QString &source, const QString &target)
{
    const QString from = QFileInfo(source).canonicalFilePath();
    if (!from.isEmpty() && from == QFileInfo(target).canonicalFilePath())
        return;
    QFile in(source);
    if (!in.exists())
        failOn(source, QStringLiteral("Tabulka %1 neexistuje"));
    if (!in.open(QIODevice::ReadOnly))
        failOn(source, QStringLiteral("Tabulku %1 nelze přečíst"));
    DbfFile table;
    table.path_ = source;
    QByteArray bytes = in.readAll();
    table.parse(bytes);
    bytes.truncate(table.headerLength_ + qint64(table.count_) * table.recordLength_);
    bytes.replace(4, 4, le32(quint32(table.count_)));
    writeWhole(target, bytes + EndOfFile);
}

void DbfFile::fail(const QString &text) const { failOn(path_, text); }
