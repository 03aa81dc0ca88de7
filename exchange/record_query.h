#pragma once
// The record search's query: one SQL text of three lines,
//   SELECT * FROM <table>
//   WHERE <field> LIKE "<pattern>"
//   ORDER BY <field>
// run by the table engine on a table of the database folder (named with or
// without ".DBF"). LIKE takes "%" for any run of characters and "_" for one,
// and compares letters without regard to case (Č = č, č ≠ c). The result is
// ordered by the engine's index on the ORDER BY field, so names follow the
// engine's Czech order. A double quote inside the pattern is written twice.

#include "core/text_table.h"

#include <QString>
#include <QStringList>
#include <QStringView>

class Database;
class Table;

struct RecordQuery {
    QString table;
    QString field;
    QString pattern;  // without its quotes, a doubled quote made single
    QString order;
};

// Parses the three-line SELECT; raises Error naming what it could not read.
RecordQuery parseQuery(const QString &sql);

// The text as a string literal of the query: in double quotes, a double quote inside written twice.
QString sqlString(const QString &text);

// LIKE: "%" any run of characters, "_" one character, letters without regard to case.
bool likeMatches(QStringView text, QStringView pattern);

// The result of a query, browsed read-only: one row per matching record, one
// column per field, titled by setTitles.
class QueryResult : public TextTable {
    Q_OBJECT
public:
    explicit QueryResult(int fields) : TextTable(fields) {}
    void setTitles(const QStringList &titles);
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &, const QVariant &, int = Qt::EditRole) override { return false; }

private:
    QStringList titles_;
};

// Runs the query on the table. Raises the engine's Error (a missing table or field).
void runQuery(const RecordQuery &q, Table &table, QueryResult &result);

// Runs the query on the main window's table of that name (it stays where it
// was, in its own order), or on the table file itself when none of them has
// that name. Returns the result; raises the engine's Error.
std::unique_ptr<QueryResult> runQuery(const QString &sql, Database &db);
