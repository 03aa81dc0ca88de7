#include "records/table.h"
#include "records/dbf_file.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/operator.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <exception>
#include <map>
#include <vector>

namespace {
// The fields the program orders or looks up by; names sort the Czech way,
// codes and numbers by their bytes. Other fields get an index when asked for.
struct IndexedField {
    const char *name;
    bool czech;
};
constexpr IndexedField IndexedFields[] = {
    {"SE0", false}, {"OS1", false}, {"OS2", true}, {"ZA1", true}, {"ZA2", false},
};

bool isCzechField(const QString &name)
{
    for (const IndexedField &f : IndexedFields)
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
            return f.czech;
    return false;
}

// One record order: physical record numbers of the live records sorted by
// the key, equal keys in file order. Field -1 is the file order itself.
struct Order {
    int field = -1;
    bool czech = false;
    std::vector<qint32> rows;
    std::vector<QCollatorSortKey> keys;  // by physical number, for Czech orders
};

QString baseName(const QString &name)
{
    return name.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive) ? name.chopped(4) : name;
}

// The table's file: name + ".DBF", or a file of that name in another letter case.
QString tablePath(const QString &folder, const QString &name)
{
    const QString file = baseName(name) + QStringLiteral(".DBF");
    const QDir dir(folder);
    if (dir.exists(file))
        return dir.filePath(file);
    for (const QString &entry : dir.entryList(QDir::Files))
        if (entry.compare(file, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return dir.filePath(file);
}
} // namespace

struct Table::Impl {
    Impl() : collator(QLocale(QLocale::Czech)) {}

    QString folder;
    QString name;
    bool exclusive = false;
    DbfFile file;
    QCollator collator;
    std::vector<Order> orders;  // [0] is the file order
    size_t active = 0;
    QString indexName;
    int pos = -1;
    bool bof = true;
    bool eof = true;
    State state = Inactive;
    QByteArray buffer;  // the record under edit or insert
    bool typedInto = false;  // a field of the inserted record was set
    QStringList labels;
    std::map<int, std::function<void(Change)>> subscribers;
    int nextId = 1;

    [[noreturn]] void fail(const QString &text) const
    {
        throw Error(text.arg(QDir::toNativeSeparators(tablePath(folder, name))));
    }
    void requireActive() const
    {
        if (state == Inactive)
            fail(QStringLiteral("Tabulka %1 není otevřena"));
    }
    void requireClosed() const
    {
        if (state != Inactive)
            fail(QStringLiteral("Tabulka %1 je otevřena"));
    }
    void requireField(int i) const
    {
        if (i < 0 || i >= file.fields().size())
            fail(QStringLiteral("Tabulka %1 nemá pole číslo ") + QString::number(i));
    }
    void notify(Change c) const
    {
        std::vector<std::function<void(Change)>> fs;
        for (const auto &s : subscribers)
            fs.push_back(s.second);
        for (const auto &f : fs)
            f(c);
    }

    const std::vector<qint32> &rows() const { return orders[active].rows; }
    int count() const { return int(rows().size()); }
    qint32 current() const { return pos >= 0 ? rows()[size_t(pos)] : -1; }

    // --- orders

    int compareKeys(const Order &o, qint32 a, qint32 b) const
    {
        if (o.field < 0)
            return 0;
        if (o.czech)
            return o.keys[size_t(a)].compare(o.keys[size_t(b)]);
        const DbfField &f = file.fields()[o.field];
        return memcmp(file.record(a) + f.offset, file.record(b) + f.offset, size_t(f.width));
    }
    bool less(const Order &o, qint32 a, qint32 b) const
    {
        const int c = compareKeys(o, a, b);
        return c < 0 || (c == 0 && a < b);
    }
    size_t positionIn(const Order &o, qint32 n) const
    {
        auto it = std::lower_bound(o.rows.begin(), o.rows.end(), n,
                                   [&](qint32 a, qint32 b) { return less(o, a, b); });
        return size_t(it - o.rows.begin());
    }
    void insertRow(Order &o, qint32 n)
    {
        auto it = std::upper_bound(o.rows.begin(), o.rows.end(), n,
                                   [&](qint32 a, qint32 b) { return less(o, a, b); });
        o.rows.insert(it, n);
    }
    QCollatorSortKey sortKey(const Order &o, qint32 n) const
    {
        return collator.sortKey(dbfFieldText(file.fields()[o.field], file.record(n), file.codePage()));
    }
    // Names repeat: each distinct one is keyed once and its key shared.
    std::vector<QCollatorSortKey> sortKeys(int field) const
    {
        const DbfField &f = file.fields()[field];
        QHash<QString, QCollatorSortKey> known;
        std::vector<QCollatorSortKey> keys;
        keys.reserve(size_t(file.recordCount()));
        for (qint32 n = 0; n < file.recordCount(); ++n) {
            const QString text = dbfFieldText(f, file.record(n), file.codePage());
            auto it = known.constFind(text);
            if (it == known.constEnd())
                it = known.insert(text, collator.sortKey(text));
            keys.push_back(*it);
        }
        return keys;
    }
    Order buildOrder(int field)
    {
        Order o;
        o.field = field;
        o.czech = field >= 0 && file.fields()[field].type == 'C' && isCzechField(file.fields()[field].name);
        if (o.czech)
            o.keys = sortKeys(field);
        o.rows = field < 0 ? liveRecords() : orders[0].rows;
        if (field >= 0)
            std::sort(o.rows.begin(), o.rows.end(), [&](qint32 a, qint32 b) { return less(o, a, b); });
        return o;
    }
    std::vector<qint32> liveRecords() const
    {
        std::vector<qint32> live;
        live.reserve(size_t(file.recordCount()));
        for (qint32 n = 0; n < file.recordCount(); ++n)
            if (!file.deleted(n))
                live.push_back(n);
        return live;
    }
    size_t orderOf(int field)
    {
        for (size_t i = 0; i < orders.size(); ++i)
            if (orders[i].field == field)
                return i;
        orders.push_back(buildOrder(field));
        return orders.size() - 1;
    }
    int indexField(const QString &field) const
    {
        const int i = fieldIndex(field);
        if (i < 0)
            fail(QStringLiteral("Tabulka %1 nemá pole ") + field);
        return i;
    }
    void buildOrders()
    {
        const int activeField = indexName.isEmpty() ? -1 : indexField(indexName);
        orders.clear();
        orders.push_back(buildOrder(-1));
        for (const IndexedField &f : IndexedFields)
            if (fieldIndex(QLatin1String(f.name)) >= 0)
                orderOf(fieldIndex(QLatin1String(f.name)));
        active = orderOf(activeField);
    }
    void shut()
    {
        file.close();
        orders.clear();
        active = 0;
        state = Inactive;
        pos = -1;
        bof = eof = true;
        notify(Change::Structure);
    }
    int fieldIndex(const QString &field) const
    {
        const QList<DbfField> &fs = file.fields();
        for (int i = 0; i < fs.size(); ++i)
            if (fs[i].name.compare(field, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    // --- records into and out of the orders

    void addRecord(qint32 n)
    {
        for (Order &o : orders) {
            if (o.czech)
                o.keys.push_back(sortKey(o, n));
            if (!file.deleted(n))
                insertRow(o, n);
        }
    }
    // The current record stays current, though records sorting before it came.
    void readAppended()
    {
        const qint32 kept = current();
        const qint32 before = file.recordCount();
        file.readAppended();
        for (qint32 n = before; n < file.recordCount(); ++n)
            addRecord(n);
        if (kept >= 0)
            pos = int(positionIn(orders[active], kept));
    }
    std::vector<size_t> positionsOf(qint32 n) const
    {
        std::vector<size_t> at;
        for (const Order &o : orders)
            at.push_back(positionIn(o, n));
        return at;
    }
    bool keyChanged(const Order &o, qint32 n, const QByteArray &record) const
    {
        if (o.field < 0)
            return false;
        const DbfField &f = file.fields()[o.field];
        return memcmp(file.record(n) + f.offset, record.constData() + f.offset, size_t(f.width)) != 0;
    }
    void postEdit() { replaceRecord(current(), buffer, true); }
    // Record n becomes these bytes, moving in every order its key moved in.
    // Written to the file first: when that fails, nothing in memory has changed.
    void replaceRecord(qint32 n, const QByteArray &record, bool write)
    {
        const std::vector<size_t> at = positionsOf(n);
        std::vector<bool> moved;
        for (const Order &o : orders)
            moved.push_back(keyChanged(o, n, record));
        if (write)
            file.writeRecord(n, record);
        else
            file.keepRecord(n, record);
        for (size_t i = 0; i < orders.size(); ++i) {
            if (!moved[i])
                continue;
            Order &o = orders[i];
            o.rows.erase(o.rows.begin() + qint64(at[i]));
            if (o.czech)
                o.keys[size_t(n)] = sortKey(o, n);
            insertRow(o, n);
        }
        pos = int(positionIn(orders[active], n));
    }
    // The count is read again and the record appended under the append lock,
    // so two programs appending at once each get a record of their own.
    void postInsert()
    {
        file.beginAppend();
        try {
            readAppended();
            const qint32 n = file.appendRecord(buffer);
            file.endAppend();
            addRecord(n);
            pos = int(positionIn(orders[active], n));
        } catch (...) {
            file.endAppend();
            throw;
        }
    }
    // The bytes of a record holding these texts, checked as setFieldText checks them.
    QByteArray recordBytes(const QStringList &values) const
    {
        QByteArray record = file.blankRecord();
        for (int i = 0; i < values.size(); ++i) {
            requireField(i);
            const DbfField &f = file.fields()[i];
            if (f.type == 'M')
                fail(QStringLiteral("Pole ") + f.name + QStringLiteral(" tabulky %1 je poznámka, kterou lze jen číst"));
            if (!file.codePage().fits(values[i]))
                fail(QStringLiteral("Text \"") + values[i] +
                     QStringLiteral("\" nelze uložit do tabulky %1 v její kódové stránce ") +
                     QString::fromLatin1(file.codePage().name()));
            record.replace(f.offset, f.width, dbfFieldBytes(f, values[i], file.codePage()));
        }
        return record;
    }
    // New records n and on join every order: their keys sorted among themselves, then merged.
    void addRecords(qint32 from)
    {
        for (Order &o : orders) {
            if (o.czech)
                appendKeys(o, from);
            const size_t old = o.rows.size();
            for (qint32 n = from; n < file.recordCount(); ++n)
                if (!file.deleted(n))
                    o.rows.push_back(n);
            const auto lessIn = [&](qint32 a, qint32 b) { return less(o, a, b); };
            if (o.field >= 0) {
                std::sort(o.rows.begin() + qint64(old), o.rows.end(), lessIn);
                std::inplace_merge(o.rows.begin(), o.rows.begin() + qint64(old), o.rows.end(), lessIn);
            }
        }
    }
    void appendKeys(Order &o, qint32 from)
    {
        const DbfField &f = file.fields()[o.field];
        QHash<QString, QCollatorSortKey> known;
        o.keys.reserve(size_t(file.recordCount()));
        for (qint32 n = from; n < file.recordCount(); ++n) {
            const QString text = dbfFieldText(f, file.record(n), file.codePage());
            auto it = known.constFind(text);
            if (it == known.constEnd())
                it = known.insert(text, collator.sortKey(text));
            o.keys.push_back(*it);
        }
    }
    // Under the append lock as postInsert; the records stored before a failure join the orders.
    void appendAll(const QByteArray &records, std::exception_ptr failure)
    {
        file.beginAppend();
        try {
            readAppended();
            const qint32 mine = file.recordCount();
            try {
                file.appendRecords(records);
            } catch (...) {
                failure = std::current_exception();
            }
            file.endAppend();
            addRecords(mine);
            if (file.recordCount() > mine) {
                pos = int(positionIn(orders[active], file.recordCount() - 1));
                bof = eof = false;
            }
        } catch (...) {
            file.endAppend();
            throw;
        }
        notify(Change::Data);
        if (failure)
            std::rethrow_exception(failure);
    }
    void dropPending()
    {
        state = Browse;
        buffer.clear();
        notify(Change::Data);
    }
    void postPending()
    {
        // An inserted record nothing was typed into is not stored.
        if (state == Insert && !typedInto) {
            dropPending();
            bof = count() == 0;
            eof = count() == 0;
            return;
        }
        if (state == Edit)
            postEdit();
        else if (state == Insert)
            postInsert();
        else
            return;
        state = Browse;
        buffer.clear();
        bof = eof = false;
        notify(Change::Data);
    }
    // The record as the file holds it now, which another program may have changed or deleted.
    void rereadCurrent()
    {
        const qint32 n = current();
        QByteArray fresh;
        if (!file.rereadRecord(n, &fresh) || fresh == QByteArray(file.record(n), file.recordLength()))
            return;
        if (fresh[0] != '*') {
            replaceRecord(n, fresh, false);
            notify(Change::Data);
            return;
        }
        removeFromOrders(n);
        file.keepRecord(n, fresh);
        notify(Change::Data);
        fail(QStringLiteral("Záznam tabulky %1 mezitím smazal jiný program"));
    }
    void removeFromOrders(qint32 n)
    {
        const std::vector<size_t> at = positionsOf(n);
        for (size_t i = 0; i < orders.size(); ++i)
            orders[i].rows.erase(orders[i].rows.begin() + qint64(at[i]));
        pos = std::min(pos, count() - 1);
        bof = eof = count() == 0;
    }
    QString text(const DbfField &f, const char *record) const
    {
        return f.type == 'M' ? file.memoText(f, record) : dbfFieldText(f, record, file.codePage());
    }
    // The values of the record under edit, for the operator to see what was not stored.
    QString pendingValues() const
    {
        QStringList values;
        for (const DbfField &f : file.fields())
            values << text(f, buffer.constData());
        return values.join(QStringLiteral(", "));
    }
    void warnIfDamaged() const
    {
        static QSet<QString> told;
        if (!file.damaged() || told.contains(file.path()))
            return;
        told.insert(file.path());
        op().messageBox(QStringLiteral("Upozornění"),
                        QStringLiteral("Tabulka ") + QDir::toNativeSeparators(file.path()) +
                            QStringLiteral(" je poškozená: hlavička udává ") + QString::number(file.claimedCount()) +
                            QStringLiteral(" záznamů, soubor jich obsahuje ") + QString::number(file.recordCount()) +
                            QStringLiteral(". Otevírají se záznamy, které soubor obsahuje."),
                        MB_OK | MB_ICONEXCLAMATION);
    }
    void removeCurrent()
    {
        const qint32 n = current();
        file.markDeleted(n);
        removeFromOrders(n);
    }

    // --- cursor

    void moved(int p, bool atBof, bool atEof)
    {
        pos = p;
        bof = atBof;
        eof = atEof;
        notify(Change::Moved);
    }
    void rest()
    {
        pos = count() > 0 ? 0 : -1;
        bof = true;
        eof = count() == 0;
    }
    const char *currentRecord() const
    {
        if (state == Edit || state == Insert)
            return buffer.constData();
        return pos >= 0 ? file.record(current()) : nullptr;
    }

    // --- lookup

    bool matches(const DbfField &f, qint32 n, const QByteArray &key) const
    {
        return memcmp(file.record(n) + f.offset, key.constData(), size_t(f.width)) == 0;
    }
    int findBytes(const Order &o, const QByteArray &key) const
    {
        const DbfField &f = file.fields()[o.field];
        auto it = std::lower_bound(o.rows.begin(), o.rows.end(), key, [&](qint32 n, const QByteArray &k) {
            return memcmp(file.record(n) + f.offset, k.constData(), size_t(f.width)) < 0;
        });
        return it != o.rows.end() && matches(f, *it, key) ? int(it - o.rows.begin()) : -1;
    }
    // Collation may call different texts equal: the first of them that is the key itself counts.
    int findCzech(const Order &o, const QString &text, const QByteArray &key) const
    {
        const DbfField &f = file.fields()[o.field];
        const QCollatorSortKey k = collator.sortKey(text);
        auto it = std::lower_bound(o.rows.begin(), o.rows.end(), k, [&](qint32 n, const QCollatorSortKey &s) {
            return o.keys[size_t(n)].compare(s) < 0;
        });
        for (; it != o.rows.end() && o.keys[size_t(*it)].compare(k) == 0; ++it)
            if (matches(f, *it, key))
                return int(it - o.rows.begin());
        return -1;
    }
    int find(const QString &text) const
    {
        const Order &o = orders[active];
        if (o.field < 0)
            fail(QStringLiteral("Tabulka %1 nemá aktivní index"));
        const DbfField &f = file.fields()[o.field];
        if (!file.codePage().fits(text) || text.size() > f.width)
            return -1;
        const QByteArray key = dbfFieldBytes(f, text, file.codePage());
        if (!o.czech)
            return findBytes(o, key);
        DbfField alone = f;
        alone.offset = 0;
        return findCzech(o, dbfFieldText(alone, key.constData(), file.codePage()), key);
    }
};

Table::Table() : d(std::make_unique<Impl>()) {}

// A record under edit is kept when it can be; a destructor cannot report.
Table::~Table()
{
    try {
        close();
    } catch (...) {
        d->file.close();
    }
}

void Table::setDatabaseFolder(const QString &folder)
{
    d->requireClosed();
    d->folder = folder;
}

QString Table::databaseFolder() const { return d->folder; }

void Table::setTableName(const QString &name)
{
    d->requireClosed();
    d->name = name;
}

QString Table::tableName() const { return d->name; }
QString Table::filePath() const { return tablePath(d->folder, d->name); }
bool Table::exists() const { return exists(d->folder, d->name); }
bool Table::exists(const QString &folder, const QString &name) { return QFileInfo(tablePath(folder, name)).isFile(); }

void Table::create(const QString &folder, const QString &name, const QList<FieldDef> &fields)
{
    QList<DbfField> fs;
    for (const FieldDef &f : fields)
        fs.append(DbfField{f.name, f.type, f.width, f.decimals, 0});
    DbfFile::create(tablePath(folder, name), fs);
}

void Table::copyTable(const QString &folder, const QString &source, const QString &target)
{
    DbfFile::copy(tablePath(folder, source), tablePath(folder, target));
}

void Table::open()
{
    if (d->state != Inactive)
        return;
    d->file.open(filePath(), d->exclusive);
    try {
        d->buildOrders();
    } catch (...) {
        d->orders.clear();
        d->file.close();
        throw;
    }
    d->labels.clear();
    for (const DbfField &f : d->file.fields())
        d->labels.append(f.name);
    d->state = Browse;
    d->rest();
    d->notify(Change::Structure);
    d->warnIfDamaged();
}

// A record that cannot be stored does not keep the table from closing: the
// operator is told once what was not stored, and the change is dropped.
void Table::close()
{
    if (d->state == Inactive)
        return;
    try {
        d->postPending();
    } catch (const std::exception &e) {
        const QString lost = d->pendingValues();
        d->dropPending();
        d->shut();
        reportError(QString::fromUtf8(e.what()) + QStringLiteral(". Záznam nebyl uložen: ") + lost);
        return;
    }
    d->shut();
}

bool Table::active() const { return d->state != Inactive; }

void Table::setExclusive(bool on)
{
    d->requireClosed();
    d->exclusive = on;
}

bool Table::exclusive() const { return d->exclusive; }

void Table::emptyTable()
{
    d->requireActive();
    if (!d->exclusive)
        d->fail(QStringLiteral("Tabulku %1 lze vyprázdnit jen při výhradním použití"));
    d->state = Browse;
    d->buffer.clear();
    d->file.removeAll();
    for (Order &o : d->orders) {
        o.rows.clear();
        o.keys.clear();
    }
    d->rest();
    d->notify(Change::Data);
}

void Table::refresh()
{
    d->requireActive();
    d->postPending();
    const qint32 kept = d->current();
    d->file.reload();  // a file that cannot be read leaves the table as it was
    try {
        d->buildOrders();
    } catch (...) {
        d->shut();  // the orders no longer fit the records
        throw;
    }
    d->rest();
    if (kept >= 0 && kept < d->file.recordCount() && !d->file.deleted(kept))
        d->pos = int(d->positionIn(d->orders[d->active], kept));
    d->notify(Change::Structure);
}

void Table::setIndexFieldNames(const QString &field)
{
    if (d->state == Inactive) {
        d->indexName = field;
        return;
    }
    d->postPending();
    const size_t order = field.isEmpty() ? 0 : d->orderOf(d->indexField(field));
    const qint32 kept = d->current();
    d->indexName = field;
    d->active = order;
    if (kept >= 0)
        d->pos = int(d->positionIn(d->orders[order], kept));
    d->notify(Change::Structure);
}

QString Table::indexFieldNames() const { return d->indexName; }

void Table::first()
{
    d->requireActive();
    d->postPending();
    d->moved(d->count() > 0 ? 0 : -1, true, d->count() == 0);
}

void Table::last()
{
    d->requireActive();
    d->postPending();
    d->moved(d->count() - 1, d->count() == 0, true);
}

void Table::next()
{
    d->requireActive();
    d->postPending();
    if (d->pos + 1 < d->count())
        d->moved(d->pos + 1, false, false);
    else
        d->moved(d->pos, d->count() == 0, true);
}

void Table::prior()
{
    d->requireActive();
    d->postPending();
    if (d->pos > 0)
        d->moved(d->pos - 1, false, false);
    else
        d->moved(d->pos, true, d->count() == 0);
}

bool Table::eof() const { return d->eof; }
bool Table::bof() const { return d->bof; }
int Table::recordCount() const { return d->state == Inactive ? 0 : d->count(); }
int Table::recNo() const { return d->state == Inactive ? -1 : d->pos; }

void Table::moveTo(int position)
{
    d->requireActive();
    d->postPending();
    if (d->count() > 0)
        d->moved(std::clamp(position, 0, d->count() - 1), false, false);
}

Table::Bookmark Table::bookmark() const { return d->state == Browse || d->state == Edit ? d->current() : -1; }

void Table::gotoBookmark(Bookmark b)
{
    d->requireActive();
    d->postPending();
    if (b < 0 || b >= d->file.recordCount() || d->file.deleted(qint32(b)))
        d->fail(QStringLiteral("Záznam tabulky %1 nebyl nalezen"));
    d->moved(int(d->positionIn(d->orders[d->active], qint32(b))), false, false);
}

Table::Bookmark Table::bookmarkAt(int position) const
{
    if (d->state == Inactive || position < 0 || position >= d->count())
        return -1;
    return d->rows()[size_t(position)];
}

Table::State Table::state() const { return d->state; }

void Table::edit()
{
    d->requireActive();
    if (d->state != Browse)
        return;
    if (d->count() == 0) {
        insert();
        return;
    }
    d->rereadCurrent();
    const char *r = d->file.record(d->current());
    d->buffer = QByteArray(r, d->file.recordLength());
    d->state = Edit;
    d->notify(Change::Data);
}

void Table::insert()
{
    d->requireActive();
    d->postPending();
    d->buffer = d->file.blankRecord();
    d->typedInto = false;
    d->state = Insert;
    d->notify(Change::Data);
}

void Table::append() { insert(); }

void Table::appendRecords(const QList<QStringList> &records)
{
    d->requireActive();
    d->postPending();
    QByteArray bytes;
    std::exception_ptr failure;
    try {
        bytes.reserve(qsizetype(records.size()) * d->file.recordLength());
        for (const QStringList &values : records)
            bytes += d->recordBytes(values);
    } catch (...) {
        failure = std::current_exception();
    }
    d->appendAll(bytes, failure);
}

void Table::post()
{
    d->requireActive();
    if (d->state == Browse)
        d->fail(QStringLiteral("Tabulka %1 není v režimu úprav"));
    d->postPending();
}

void Table::cancel()
{
    if (d->state != Edit && d->state != Insert)
        return;
    d->state = Browse;
    d->buffer.clear();
    d->notify(Change::Data);
}

void Table::deleteRecord()
{
    d->requireActive();
    const bool inserting = d->state == Insert;
    cancel();
    if (inserting)
        return;
    if (d->count() == 0)
        d->fail(QStringLiteral("Tabulka %1 je prázdná"));
    d->removeCurrent();
    d->notify(Change::Data);
}

int Table::fieldCount() const { return int(d->file.fields().size()); }

QString Table::fieldName(int i) const
{
    d->requireField(i);
    return d->file.fields()[i].name;
}

int Table::fieldIndex(const QString &name) const { return d->fieldIndex(name); }

int Table::fieldWidth(int i) const
{
    d->requireField(i);
    return d->file.fields()[i].width;
}

QString Table::fieldText(int i) const
{
    d->requireActive();
    d->requireField(i);
    const char *r = d->currentRecord();
    return r ? d->text(d->file.fields()[i], r) : QString();
}

void Table::setFieldText(int i, const QString &text)
{
    d->requireField(i);
    if (d->state != Edit && d->state != Insert)
        d->fail(QStringLiteral("Tabulka %1 není v režimu úprav"));
    const DbfField &f = d->file.fields()[i];
    if (f.type == 'M')
        d->fail(QStringLiteral("Pole ") + f.name + QStringLiteral(" tabulky %1 je poznámka, kterou lze jen číst"));
    if (!d->file.codePage().fits(text))
        d->fail(QStringLiteral("Text \"") + text + QStringLiteral("\" nelze uložit do tabulky %1 v její kódové stránce ") +
                QString::fromLatin1(d->file.codePage().name()));
    d->buffer.replace(f.offset, f.width, dbfFieldBytes(f, text, d->file.codePage()));
    d->typedInto = true;
    d->notify(Change::Data);
}

QString Table::displayLabel(int i) const
{
    d->requireField(i);
    return d->labels[i];
}

void Table::setDisplayLabel(int i, const QString &label)
{
    d->requireField(i);
    d->labels[i] = label;
    d->notify(Change::Structure);
}

bool Table::findKey(const QString &key)
{
    d->requireActive();
    d->postPending();
    const int at = d->find(key);
    if (at < 0)
        return false;
    d->moved(at, false, false);
    return true;
}

QString Table::textAt(int position, int field) const
{
    d->requireField(field);
    if (d->state == Inactive || position < 0 || position >= d->count())
        return QString();
    return d->text(d->file.fields()[field], d->file.record(d->rows()[size_t(position)]));
}

QString Table::textOf(Bookmark b, int field) const
{
    d->requireField(field);
    if (d->state == Inactive || b < 0 || b >= d->file.recordCount())
        return QString();
    return d->text(d->file.fields()[field], d->file.record(qint32(b)));
}

int Table::subscribe(std::function<void(Change)> f)
{
    const int id = d->nextId++;
    d->subscribers[id] = std::move(f);
    return id;
}

void Table::unsubscribe(int id) { d->subscribers.erase(id); }
