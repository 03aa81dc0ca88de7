#include "exchange/record_query.h"
#include "core/error.h"
#include "records/database.h"
#include "records/table.h"

#include <QRegularExpression>

namespace {
QString withoutExt(const QString &name)
{
    return name.endsWith(QLatin1String(".DBF"), Qt::CaseInsensitive) ? name.chopped(4) : name;
}

bool sameTable(const QString &a, const QString &b)
{
    return withoutExt(a).compare(withoutExt(b), Qt::CaseInsensitive) == 0;
}

[[noreturn]] void refuse(const QString &what, const QString &sql)
{
    throw Error(QStringLiteral("Chybný dotaz: ") + what + QStringLiteral(" (") + QString(sql).simplified() +
                QStringLiteral(")"));
}

// The order is the engine's index on the field; the table's own order comes back afterwards.
class IndexFor {
public:
    IndexFor(Table &t, const QString &field) : t_(t), kept_(t.indexFieldNames()) { t_.setIndexFieldNames(field); }
    ~IndexFor()
    {
        try {
            t_.setIndexFieldNames(kept_);
        } catch (...) {
            // The order existed before the query: setting it back cannot fail.
        }
    }
    IndexFor(const IndexFor &) = delete;
    IndexFor &operator=(const IndexFor &) = delete;

private:
    Table &t_;
    QString kept_;
};
} // namespace

RecordQuery parseQuery(const QString &sql)
{
    static const QRegularExpression select(
        QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+(\\S+)\\s+WHERE\\s+(\\w+)\\s+LIKE\\s+\"((?:[^\"]|\"\")*)\"\\s+"
                       "ORDER\\s+BY\\s+(\\w+)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = select.match(sql);
    if (!m.hasMatch()) {
        if (!sql.contains(QLatin1String("LIKE"), Qt::CaseInsensitive))
            refuse(QStringLiteral("chybí podmínka LIKE"), sql);
        refuse(QStringLiteral("očekáváno SELECT * FROM tabulka WHERE pole LIKE \"vzor\" ORDER BY pole"), sql);
    }
    return {m.captured(1), m.captured(2), m.captured(3).replace(QStringLiteral("\"\""), QStringLiteral("\"")),
            m.captured(4)};
}

QString sqlString(const QString &text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// Both already case-folded. Backtracks only to the last "%".
static bool matchFolded(QStringView t, QStringView p)
{
    qsizetype ti = 0, pi = 0, starP = -1, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == u'_' || p[pi] == t[ti])) {
            ++ti;
            ++pi;
        } else if (pi < p.size() && p[pi] == u'%') {
            starP = pi++;
            starT = ti;
        } else if (starP >= 0) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == u'%')
        ++pi;
    return pi == p.size();
}

bool likeMatches(QStringView text, QStringView pattern)
{
    return matchFolded(text.toString().toCaseFolded(), pattern.toString().toCaseFolded());
}

QueryResult::QueryResult(const Table &table, std::vector<qint64> records, std::unique_ptr<Table> own)
    : own_(std::move(own)), table_(table), records_(std::move(records)), fields_(table.fieldCount())
{
}

QueryResult::~QueryResult() = default;

int QueryResult::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(records_.size());
}

int QueryResult::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : fields_; }

QVariant QueryResult::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    return cell(index.column(), index.row());
}

QString QueryResult::cell(int col, int row) const
{
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount() || col >= table_.fieldCount())
        return QString();
    return table_.textOf(records_[size_t(row)], col);
}

void QueryResult::setTitles(const QStringList &titles)
{
    titles_ = titles;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

QVariant QueryResult::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal && role == Qt::DisplayRole)
        return titles_.value(section);
    return QAbstractTableModel::headerData(section, o, role);
}

Qt::ItemFlags QueryResult::flags(const QModelIndex &) const { return Qt::ItemIsEnabled | Qt::ItemIsSelectable; }

// A pattern of "%" alone matches every text: no field is read for it.
static bool matchesAll(QStringView pattern)
{
    for (QChar c : pattern)
        if (c != u'%')
            return false;
    return true;
}

std::unique_ptr<QueryResult> runQuery(const RecordQuery &q, Table &table, std::unique_ptr<Table> own)
{
    const int field = table.fieldIndex(q.field);
    if (field < 0)
        throw Error(QStringLiteral("Tabulka ") + q.table + QStringLiteral(" nemá pole ") + q.field);
    const IndexFor order(table, q.order);
    const QString pattern = q.pattern.toCaseFolded();
    const bool all = matchesAll(pattern);
    std::vector<qint64> records;
    records.reserve(size_t(table.recordCount()));
    for (int p = 0; p < table.recordCount(); ++p)
        if (all || matchFolded(table.textAt(p, field).toCaseFolded(), pattern))
            records.push_back(table.bookmarkAt(p));
    return std::make_unique<QueryResult>(table, std::move(records), std::move(own));
}

std::unique_ptr<QueryResult> runQuery(const QString &sql, Database &db)
{
    const RecordQuery q = parseQuery(sql);
    for (Table *t : {&db.Table1, &db.Table2, &db.Table3})
        if (t->active() && sameTable(t->tableName(), q.table))
            return runQuery(q, *t);
    auto t = std::make_unique<Table>();
    t->setDatabaseFolder(db.databaseFolder);
    t->setTableName(q.table);
    if (!t->exists())
        throw Error(QStringLiteral("Tabulka ") + q.table + QStringLiteral(" neexistuje"));
    t->open();
    Table &table = *t;
    return runQuery(q, table, std::move(t));
}
