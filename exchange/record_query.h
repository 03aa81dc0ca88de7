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

#include <QAbstractTableModel>

#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>
#include <vector>

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
// column per field, titled by setTitles. It holds the records' bookmarks in
// the query's order and reads a field when a view asks for it, from the table
// the query ran on (the result keeps a table it opened itself open).
class QueryResult : public QAbstractTableModel {
    Q_OBJECT
public:
    QueryResult(const Table &table, std::vector<qint64> records, std::unique_ptr<Table> own = nullptr);
    ~QueryResult() override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QString cell(int col, int row) const;
    void setTitles(const QStringList &titles);
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    std::unique_ptr<Table> own_;
    const Table &table_;
    std::vector<qint64> records_;
    int fields_;  // as the query found them: the columns stay while the table closes or changes
    QStringList titles_;
};

// Runs the query on the table. Raises the engine's Error (a missing table or field).
std::unique_ptr<QueryResult> runQuery(const RecordQuery &q, Table &table, std::unique_ptr<Table> own = nullptr);

// Runs the query on the main window's table of that name (it stays where it
// was, in its own order), or on the table file itself when none of them has
// that name. Returns the result; raises the engine's Error.
std::unique_ptr<QueryResult> runQuery(const QString &sql, Database &db);
