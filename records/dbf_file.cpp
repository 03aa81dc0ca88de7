#include "records/dbf_file.h"
#include "records/file_lock.h"
#include "core/codepage.h"
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
constexpr int IndexFlag = 28;
// More than any table of this program holds; a header claiming more is not believed.
constexpr qint64 MaxRecordBytes = qint64(1) << 30;
constexpr qint64 MaxMemo = 1 << 20;

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

QString fieldName(const char *p, int size, const CodePage &page)
{
    return page.decode(p, int(qstrnlen(p, size))).trimmed();
}

// The documented code pages of the dBase language drivers; 0x57, the older
// engine's "current ANSI code page", is Windows-1250 on a Czech Windows.
const char *driverPage(uchar driver)
{
    switch (driver) {
    case 0x00: case 0x57: case 0xC8: return "windows-1250";
    case 0x1F: case 0x22: case 0x23: case 0x40: case 0x64: case 0x87: return "IBM852";
    case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11: case 0x15: case 0x18:
    case 0x19: case 0x1B: return "IBM437";
    case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14: case 0x16: case 0x1A:
    case 0x1D: case 0x25: case 0x37: return "IBM850";
    case 0x08: case 0x17: case 0x66: return "IBM865";
    case 0x1C: return "IBM863";
    case 0x24: return "IBM860";
    case 0x26: case 0x65: return "IBM866";
    case 0x67: return "IBM861";
    case 0x6A: case 0x86: return "IBM737";
    case 0x6B: case 0x88: return "IBM857";
    case 0x03: case 0x58: case 0x59: return "windows-1252";
    case 0x7C: case 0x50: return "windows-874";
    case 0x7D: return "windows-1255";
    case 0x7E: return "windows-1256";
    case 0xC9: return "windows-1251";
    case 0xCA: return "windows-1254";
    case 0xCB: return "windows-1253";
    case 0xCC: return "windows-1257";
    case 0x96: return "x-mac-cyrillic";
    case 0x97: return "x-mac-centraleurroman";
    case 0x98: return "x-mac-greek";
    case 0x13: case 0x7B: return "Shift_JIS";
    case 0x4D: case 0x7A: return "GBK";
    case 0x4E: case 0x79: return "windows-949";
    case 0x4F: case 0x78: return "Big5";
    default: return "windows-1250";
    }
}

// "1250", "cp852", "ANSI 1250", "windows-1250", "IBM852", "UTF-8", …
QByteArray cpgPage(const QByteArray &text)
{
    const QByteArray t = text.trimmed().toLower();
    QByteArray digits;
    for (char c : t)
        if (c >= '0' && c <= '9')
            digits += c;
    const bool numbered = t == digits || t.startsWith("cp") || t.startsWith("ansi") || t.startsWith("oem") ||
                          t.startsWith("windows-") || t.startsWith("ibm");
    if (!numbered || digits.isEmpty())
        return t;
    return digits.startsWith("12") || digits == "874" ? "windows-" + digits : "IBM" + digits;
}

// Level-7 drivers: "DB852CZ0" and the like name their DOS page; the ANSI ones
// ("DBWINUS0", "DBWINWE0") the Windows page, Windows-1250 on a Czech Windows.
const char *level7Page(const QByteArray &name)
{
    static QByteArray page;
    if (name.size() >= 5 && name.startsWith("DB") && isdigit(uchar(name[2])) && isdigit(uchar(name[3])) &&
        isdigit(uchar(name[4]))) {
        page = "IBM" + name.mid(2, 3);
        return page.constData();
    }
    return nullptr;
}

[[noreturn]] void failOn(const QString &path, const QString &text)
{
    throw Error(text.arg(QDir::toNativeSeparators(path)));
}

void checkNewField(const QString &path, const DbfField &f)
{
    const bool nameOk = !f.name.isEmpty() && f.name.size() <= 10 && CodePage::windows1250().fits(f.name);
    if (!nameOk || f.width < 1 || f.width > 254 || f.decimals < 0 || f.decimals > 15)
        failOn(path, QStringLiteral("Pole ") + f.name + QStringLiteral(" tabulky %1 je neplatné"));
}

QByteArray descriptor(const DbfField &f)
{
    QByteArray d(32, '\0');
    const QByteArray name = CodePage::windows1250().encode(f.name.toUpper());
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
    // A failing flush is not seen by commit(), which would then put a cut
    // file in place: a full disk leaves a short file behind otherwise.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush() || !out.commit())
        failOn(path, QStringLiteral("Tabulku %1 nelze zapsat"));
}
} // namespace

QString dbfFieldText(const DbfField &f, const char *record, const CodePage &page)
{
    const char *p = record + f.offset;
    int end = f.width;
    if (f.type == 'C') {
        while (end > 0 && (p[end - 1] == ' ' || p[end - 1] == '\0'))
            --end;
        return page.decode(p, end);
    }
    if (isNumeric(f))
        return page.decode(p, end).trimmed();
    return page.decode(p, end);
}

QByteArray dbfFieldBytes(const DbfField &f, const QString &text, const CodePage &page)
{
    QByteArray b = page.encode(isNumeric(f) ? text.trimmed() : text).left(f.width);
    const QByteArray fill(f.width - b.size(), ' ');
    return isNumeric(f) ? fill + b : b + fill;
}

const CodePage *dbfCodePage(uchar driver, const QByteArray &level7Driver, const QByteArray &cpg, bool hasCpg)
{
    if (hasCpg)
        return CodePage::byName(cpgPage(cpg));
    if (const char *page = level7Page(level7Driver))
        return CodePage::byName(page);
    return CodePage::byName(driverPage(driver));
}

QString DbfFile::memoPath(const QString &path)
{
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    for (const QString &entry : info.dir().entryList(QDir::Files))
        if (QFileInfo(entry).completeBaseName() == base && entry.endsWith(QLatin1String(".dbt"), Qt::CaseInsensitive))
            return info.dir().filePath(entry);
    return QString();
}

namespace {
QString cpgPath(const QString &path)
{
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    for (const QString &entry : info.dir().entryList(QDir::Files))
        if (QFileInfo(entry).completeBaseName() == base && entry.endsWith(QLatin1String(".cpg"), Qt::CaseInsensitive))
            return info.dir().filePath(entry);
    return QString();
}
} // namespace

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
    memo_.close();
    appending_ = false;
    data_.clear();
    fields_.clear();
    header_.clear();
    count_ = 0;
    claimed_ = 0;
}

void DbfFile::reload()
{
    // Read aside first: a file that fails to parse leaves the table as it was.
    DbfFile read;
    read.path_ = path_;
    read.readFrom(file_);
    header_ = read.header_;
    fields_ = read.fields_;
    headerLength_ = read.headerLength_;
    recordLength_ = read.recordLength_;
    count_ = read.count_;
    claimed_ = read.claimed_;
    codePage_ = read.codePage_;
    data_ = std::move(read.data_);
    memoBlock_ = read.memoBlock_;
    memoBlockHeaders_ = read.memoBlockHeaders_;
    memo_.close();
    const QString memo = memoPath(path_);
    if (!memo.isEmpty()) {
        memo_.setFileName(memo);
        memo_.open(QIODevice::ReadOnly);
    }
    if (memo_.isOpen() && memoBlockHeaders_) {
        const QByteArray head = memo_.read(22);
        const int block = head.size() == 22 ? u16At(head, 20) : 0;
        memoBlock_ = block >= 32 ? block : 512;
    }
}

// Reads no more than the file holds and allocates nothing a header merely claims.
// The size is taken after the header: another program appends a record before
// it counts it, so a count read first never claims more than the file holds.
void DbfFile::readFrom(QFile &in)
{
    if (!in.seek(0))
        fail(QStringLiteral("Tabulku %1 nelze přečíst"));
    parseHeader(in);
    const qint64 size = in.size();
    const qint64 complete = (size - headerLength_) / recordLength_;
    count_ = qint32(qMin<qint64>(claimed_, complete));
    if (qint64(count_) * recordLength_ > MaxRecordBytes)
        fail(QStringLiteral("Tabulka %1 je větší, než program dokáže načíst"));
    data_ = in.read(qint64(count_) * recordLength_);
    if (data_.size() != qint64(count_) * recordLength_)
        fail(QStringLiteral("Tabulku %1 nelze přečíst"));
}

void DbfFile::parseHeader(QFile &in)
{
    const QByteArray first = in.read(32);
    const qint64 size = in.size();
    const uchar version = first.isEmpty() ? 0 : uchar(first[0]);
    if (first.size() < 32 || !(isDbase3(version) || isLevel7(version)))
        fail(QStringLiteral("Soubor %1 není tabulka dBase"));
    headerLength_ = u16At(first, 8);
    recordLength_ = u16At(first, 10);
    claimed_ = u32At(first, 4);
    const int start = isLevel7(version) ? 68 : 32;
    if (headerLength_ > size || headerLength_ <= start || recordLength_ < 1)
        fail(QStringLiteral("Soubor %1 není úplná tabulka dBase"));
    header_ = first + in.read(headerLength_ - 32);
    if (header_.size() != headerLength_)
        fail(QStringLiteral("Tabulku %1 nelze přečíst"));
    findCodePage(version);
    parseFields(header_, start, isLevel7(version) ? 48 : 32);
    memoBlockHeaders_ = version == 0x8B || version == 0x8C;
}

void DbfFile::findCodePage(uchar version)
{
    const QString cpg = cpgPath(path_);
    QByteArray cpgText;
    if (!cpg.isEmpty()) {
        QFile f(cpg);
        if (!f.open(QIODevice::ReadOnly))
            fail(QStringLiteral("Kódovou stránku tabulky %1 nelze přečíst"));
        cpgText = f.read(64);
    }
    const QByteArray level7 = isLevel7(version) ? QByteArray(header_.constData() + 32, int(qstrnlen(header_.constData() + 32, 32))) : QByteArray();
    codePage_ = dbfCodePage(uchar(header_[29]), level7, cpgText, !cpg.isEmpty());
    if (!codePage_)
        fail(QStringLiteral("Kódovou stránku tabulky %1 program nepodporuje"));
}

void DbfFile::parseFields(const QByteArray &bytes, int start, int size)
{
    const bool level7 = size == 48;
    fields_.clear();
    int offset = 1;
    int pos = start;
    for (; pos < headerLength_ && bytes[pos] != Terminator; pos += size) {
        if (pos + size > headerLength_)
            fail(QStringLiteral("Hlavička tabulky %1 je kratší než popis jejích polí"));
        const char *d = bytes.constData() + pos;
        DbfField f;
        f.name = fieldName(d, level7 ? 32 : 11, *codePage_);
        f.type = d[level7 ? 32 : 11];
        f.width = uchar(d[level7 ? 33 : 16]);
        f.decimals = uchar(d[level7 ? 34 : 17]);
        f.offset = offset;
        offset += f.width;
        fields_.append(f);
    }
    if (pos >= headerLength_)
        fail(QStringLiteral("Hlavička tabulky %1 je kratší než popis jejích polí"));
    if (fields_.isEmpty() || offset != recordLength_)
        fail(QStringLiteral("Soubor %1 má neplatný popis polí"));
}

QString DbfFile::memoText(const DbfField &f, const char *record) const
{
    bool ok = false;
    const qint64 block = QByteArray(record + f.offset, f.width).trimmed().toLongLong(&ok);
    if (!ok || block <= 0 || !memo_.isOpen())
        return QString();
    QFile &memo = const_cast<QFile &>(memo_);
    const qint64 at = block * memoBlock_;
    if (at >= memo.size() || !memo.seek(at))
        return QString();
    QByteArray text;
    if (memoBlockHeaders_) {
        const QByteArray head = memo.read(8);
        if (head.size() != 8 || quint8(head[0]) != 0xFF || quint8(head[1]) != 0xFF)
            return QString();
        const qint64 length = qint64(u32At(head, 4)) - 8;
        text = memo.read(qBound<qint64>(0, length, MaxMemo));
    } else {
        text = memo.read(MaxMemo);
        const qsizetype end = text.indexOf(EndOfFile);
        if (end >= 0)
            text.truncate(end);
    }
    return codePage_->decode(text);
}

bool DbfFile::rereadRecord(qint32 n, QByteArray *record)
{
    *record = QByteArray();
    if (!file_.seek(headerLength_ + qint64(n) * recordLength_))
        return false;
    *record = file_.read(recordLength_);
    return record->size() == recordLength_;
}

void DbfFile::beginAppend()
{
    if (appending_)
        return;
    if (!lockAppend(file_, true))
        fail(QStringLiteral("Tabulku %1 nelze uzamknout pro přidání záznamu"));
    appending_ = true;
}

void DbfFile::endAppend()
{
    if (!appending_)
        return;
    appending_ = false;
    lockAppend(file_, false);
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
    // A count past what the file holds reads as what it holds.
    const qint64 complete = (file_.size() - headerLength_) / recordLength_;
    if (!file_.seek(4))
        fail(QStringLiteral("Tabulku %1 nelze přečíst"));
    const QByteArray b = file_.read(4);
    if (b.size() != 4)
        fail(QStringLiteral("Tabulku %1 nelze přečíst"));
    return qint32(qMin<qint64>(u32At(b, 0), qMin<qint64>(complete, MaxRecordBytes / recordLength_)));
}

QByteArray DbfFile::blankRecord() const { return QByteArray(recordLength_, ' '); }

// The flag tells other dBase programs a production index (.MDX) is kept up
// to date with the records; this program does not keep it.
void DbfFile::clearIndexFlag()
{
    if (header_.size() <= IndexFlag || header_[IndexFlag] == '\0')
        return;
    const QByteArray zero(1, '\0');
    if (!file_.seek(IndexFlag) || file_.write(zero) != 1)
        fail(QStringLiteral("Do tabulky %1 nelze zapisovat"));
    header_[IndexFlag] = '\0';
}

void DbfFile::writeAt(qint64 pos, const QByteArray &bytes)
{
    clearIndexFlag();
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

void DbfFile::keepRecord(qint32 n, const QByteArray &record)
{
    memcpy(data_.data() + qint64(n) * recordLength_, record.constData(), size_t(recordLength_));
}

qint32 DbfFile::appendRecord(const QByteArray &record)
{
    writeAt(headerLength_ + qint64(count_) * recordLength_, record + EndOfFile);
    writeCount(count_ + 1);
    data_.append(record);
    return count_++;
}

void DbfFile::appendRecords(const QByteArray &records)
{
    const qint32 n = qint32(records.size() / recordLength_);
    if (n == 0)
        return;
    const qint64 start = headerLength_ + qint64(count_) * recordLength_;
    clearIndexFlag();
    const bool written = file_.seek(start) && file_.write(records + EndOfFile) == records.size() + 1;
    // A write cut short (a full disk) still holds the records that reached the
    // file whole, each counted, as when appended alone, once the byte after it got there too.
    const qint32 whole = written ? n : qint32(qBound<qint64>(0, (file_.size() - start - 1) / recordLength_, qint64(n)));
    if (whole > 0) {
        writeCount(count_ + whole);
        data_.append(records.constData(), qint64(whole) * recordLength_);
        count_ += whole;
    }
    if (!written)
        fail(QStringLiteral("Do tabulky %1 nelze zapisovat"));
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

namespace {
// The file beside target named like it with source's suffix (".DBT", ".cpg").
QString besideTarget(const QString &target, const QString &source)
{
    const QFileInfo t(target);
    return t.dir().filePath(t.completeBaseName() + QLatin1Char('.') + QFileInfo(source).suffix());
}

QByteArray readWhole(const QString &path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        failOn(path, QStringLiteral("Soubor %1 nelze přečíst"));
    return in.readAll();
}
} // namespace

// The memo file goes first: a table is never left pointing into a memo file
// that is not there. A memo or .cpg file of the target that the source has
// no counterpart of is removed, since it would be read with the new table.
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
    table.readFrom(in);
    QByteArray bytes = table.header_ + table.data_;
    bytes.replace(4, 4, le32(quint32(table.count_)));
    const QString sources[] = {memoPath(source), cpgPath(source)};
    const QString targets[] = {memoPath(target), cpgPath(target)};
    for (int i = 0; i < 2; ++i) {
        if (!sources[i].isEmpty())
            writeWhole(besideTarget(target, sources[i]), readWhole(sources[i]));
        else if (!targets[i].isEmpty() && !QFile::remove(targets[i]))
            failOn(targets[i], QStringLiteral("Soubor %1 nelze odstranit"));
    }
    writeWhole(target, bytes + EndOfFile);
}

void DbfFile::fail(const QString &text) const { failOn(path_, text); }
