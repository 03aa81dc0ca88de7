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
// count and the date of last update are ever changed in them.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

struct DbfField {
    QString name;
    char type = 'C';
    int width = 10;
    int decimals = 0;
    int offset = 0;  // from the start of the record, past the flag byte
};

// Field values as the program sees them: C without trailing blanks, N and F
// trimmed, every other type as its bytes.
QString dbfFieldText(const DbfField &f, const char *record);
// The bytes a text is stored as: cut to the width, N and F right-aligned,
// every other type filled with blanks on the right.
QByteArray dbfFieldBytes(const DbfField &f, const QString &text);

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
    bool deleted(qint32 n) const { return *record(n) == '*'; }
    QByteArray blankRecord() const;

    void writeRecord(qint32 n, const QByteArray &record);  // in place
    qint32 appendRecord(const QByteArray &record);         // its physical number
    void markDeleted(qint32 n);
    void removeAll();

    // Writes a new empty dBase III table (driver 0xC8) over path, through a
    // temporary file in the same folder.
    static void create(const QString &path, const QList<DbfField> &fields);
    // Copies the table at source over target the same way; a copy onto itself does nothing.
    static void copy(const QString &source, const QString &target);

private:
    void parse(const QByteArray &bytes);
    void parseFields(const QByteArray &bytes, int start, int size);
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
    QByteArray data_;
};
