#pragma once
// A dBase table: the program's own small engine. The whole table is held in
// memory; every post writes its record through to the file at once.
//
// Reads dBase III/IV (version 0x03, 0x83, 0x8B) and level-7 (0x04, 0x8C)
// tables, writes each back in the format it was read in, and creates new
// tables as dBase III with language driver 0xC8 (Windows-1250).
// Every failure raises Error with a text for the operator.

#include "ui/data_set.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

struct FieldDef {
    QString name;
    char type = 'C';
    int width = 10;
    int decimals = 0;
};

class Table : public DataSet {
public:

    Table();
    ~Table() override;
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    // The database folder ("TAVODB"); only while closed.
    void setDatabaseFolder(const QString &folder);
    QString databaseFolder() const;
    // With or without ".DBF" (any letter case); only while closed.
    void setTableName(const QString &name);
    QString tableName() const;  // as it was set
    QString filePath() const;
    bool exists() const;

    static bool exists(const QString &folder, const QString &name);
    // Creates (replacing) an empty dBase III table with driver 0xC8.
    static void create(const QString &folder, const QString &name, const QList<FieldDef> &fields);
    // Copies structure and records to target, replacing a table of that name.
    static void copyTable(const QString &folder, const QString &source, const QString &target);

    // Shared use; the file stays locked for shared use while open.
    void open();
    // Posts a record under edit, then closes.
    void close();
    bool active() const override;
    // Exclusive use may be chosen only while closed; open() then fails when
    // anyone (this or another program) holds the table open.
    void setExclusive(bool on);
    bool exclusive() const;
    // Deletes all records; only while open exclusively.
    void emptyTable();
    // Reads the file again (records other programs wrote); keeps the current record when it is still there.
    void refresh() override;

    // Orders the records by this field ("" = file order); stays open.
    void setIndexFieldNames(const QString &field);
    QString indexFieldNames() const;

    void first() override;
    void last() override;
    void next();
    void prior();
    bool eof() const override;
    bool bof() const override;
    int recordCount() const override;
    int recNo() const override;  // position of the current record in the order, 0-based; -1 when empty
    void moveTo(int position);
    Bookmark bookmark() const;
    void gotoBookmark(Bookmark b) override;
    // The record at position p of the order; -1 when there is none.
    Bookmark bookmarkAt(int position) const override;

    State state() const override;
    void edit() override;          // on an empty table this inserts
    void insert() override;        // a new empty record, current afterwards
    void append();
    // Appends one record per list, its texts into the fields from the first on
    // as setFieldText puts them, in one write under the append lock; the last
    // of them becomes current. The file ends as after append and post record
    // by record, and so does a failure: the records before the one that could
    // not be stored are kept, the error is raised.
    void appendRecords(const QList<QStringList> &records);
    void post() override;
    void cancel() override;
    void deleteRecord() override;  // marks the current record deleted

    int fieldCount() const override;
    QString fieldName(int i) const;
    int fieldIndex(const QString &name) const;  // -1 when absent
    int fieldWidth(int i) const override;
    // Text of field i of the current record (trailing blanks dropped).
    QString fieldText(int i) const override;
    // Only in Edit or Insert state; cut to the field's width.
    void setFieldText(int i, const QString &text) override;
    QString displayLabel(int i) const override;
    void setDisplayLabel(int i, const QString &label);

    // Exact match of the whole key on the active index; the first match in
    // index order becomes current. Not found leaves the current record.
    bool findKey(const QString &key);

    // For views: field i of the record at position p of the order.
    QString textAt(int position, int field) const override;
    // Field i of the record a bookmark names, deleted or not; "" when the table holds no such record.
    QString textOf(Bookmark b, int field) const;

    int subscribe(std::function<void(Change)> f) override;
    void unsubscribe(int id) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
