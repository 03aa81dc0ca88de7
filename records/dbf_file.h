#pragma once
// The dBase file format: header, field descriptors and record bytes.
//
// dBase III/IV tables (version 0x03, 0x83, 0x8B) have a 32-byte header and
// 32-byte field descriptors; level-7 tables (0x04, 0x8C) a 68-byte header
// with the language driver name at 32-63, 48-byte descriptors and a
// properties block after the 0x0D terminator, all counted in the header
// length. Record count at 4-7, header length at 8-9, record length at 10-11.
// Each record starts with its flag: 0x20 live, 0x2A deleted.
//
// A DbfFile holds the whole table in memory and writes every change through
// to the file at once. The header bytes are kept verbatim: only the record
// count, the date of last update and the production-index flag (byte 28,
// cleared on the first write, since no .MDX is kept up to date here) are
// ever changed in them.
//
// Text is read and written in the code page the table declares: a .cpg file
// beside it, else the level-7 driver name, else the language driver at 29.
// Memo fields (M) hold a block number of the .DBT beside the table; their
// text is read from there and never written.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

class CodePage;

struct DbfField {
    QString name;
    char type = 'C';
    int width = 10;
    int decimals = 0;
    int offset = 0;  // from the start of the record, past the flag byte
};

// Field values as the program sees them: C without trailing blanks, N and F
// trimmed, every other type as its bytes.
QString dbfFieldText(const DbfField &f, const char *record, const CodePage &page);
// The bytes a text is stored as: cut to the width, N and F right-aligned,
// every other type filled with blanks on the right. A character the page
// cannot hold raises Error.
QByteArray dbfFieldBytes(const DbfField &f, const QString &text, const CodePage &page);

// The code page a table declares: its .cpg file's text when it has one
// (cpg empty when not), else the level-7 driver name, else the driver byte.
// nullptr for a page this program cannot read (one of several bytes a character).
const CodePage *dbfCodePage(uchar driver, const QByteArray &level7Driver, const QByteArray &cpg, bool hasCpg);

class DbfFile {
public:
    DbfFile() = default;
    DbfFile(const DbfFile &) = delete;
    DbfFile &operator=(const DbfFile &) = delete;

    // Opens, locks and reads the table; every failure raises Error naming the file.
    void open(const QString &path, bool exclusive);
    void close();
    bool isOpen() const { return file_.isOpen(); }
    // Reads the file again, under the lock already held.
    void reload();
    // Reads the records another program appended since the last read.
    void readAppended();

    const QString &path() const { return path_; }
    const QList<DbfField> &fields() const { return fields_; }
    int recordLength() const { return recordLength_; }
    qint32 recordCount() const { return count_; }  // physical records held, deleted ones too
    const char *record(qint32 n) const { return data_.constData() + qint64(n) * recordLength_; }
    const CodePage &codePage() const { return *codePage_; }
    // The header claims more records than the file holds; the ones it holds are read.
    bool damaged() const { return qint64(claimed_) > count_; }
    quint32 claimedCount() const { return claimed_; }
    // The text of memo field f of a record, read from the memo file; "" for no memo.
    QString memoText(const DbfField &f, const char *record) const;
    // Reads record n from the file again (another program may have changed
    // it); false when the file no longer holds it whole.
    bool rereadRecord(qint32 n, QByteArray *record);
    // Holds the lock that makes a read of the count and the append after it
    // one step between programs; released by endAppend() or close().
    void beginAppend();
    void endAppend();
    bool deleted(qint32 n) const { return *record(n) == '*'; }
    QByteArray blankRecord() const;

    void writeRecord(qint32 n, const QByteArray &record);  // in place
    // Takes record n as read from the file by rereadRecord, without writing it.
    void keepRecord(qint32 n, const QByteArray &record);
    qint32 appendRecord(const QByteArray &record);         // its physical number
    // Appends whole records (their bytes one after another) in one write and
    // counts them once, the file ending as after appendRecord one by one.
    // When the write fails, the records written whole are counted and kept
    // before the error is raised.
    void appendRecords(const QByteArray &records);
    void markDeleted(qint32 n);
    void removeAll();

    // Writes a new empty dBase III table (driver 0xC8) over path, through a
    // temporary file in the same folder.
    static void create(const QString &path, const QList<DbfField> &fields);
    // Copies the table at source over target the same way, with its memo and
    // .cpg files; a copy onto itself does nothing.
    static void copy(const QString &source, const QString &target);

    // The memo file of the table at path, "" when it has none.
    static QString memoPath(const QString &path);

private:
    void readFrom(QFile &in);
    void parseHeader(QFile &in);
    void parseFields(const QByteArray &bytes, int start, int size);
    void findCodePage(uchar version);
    void clearIndexFlag();
    void writeAt(qint64 pos, const QByteArray &bytes);
    void writeCount(qint32 count);
    void writeDate();
    qint32 countInFile();
    [[noreturn]] void fail(const QString &text) const;

    QString path_;
    QFile file_;
    QByteArray header_;
    QList<DbfField> fields_;
    int headerLength_ = 0;
    int recordLength_ = 0;
    qint32 count_ = 0;
    quint32 claimed_ = 0;
    const CodePage *codePage_ = nullptr;
    QByteArray data_;
    QFile memo_;
    int memoBlock_ = 512;
    bool memoBlockHeaders_ = false;  // dBase IV memo blocks start with 0xFFFF0800 and a length
    bool appending_ = false;
};
