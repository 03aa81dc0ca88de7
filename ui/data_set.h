#pragma once
// What the table grid and the navigator need of the records they show: a
// cursor over records in an order, editing of the current one, and a word on
// every change. The table engine implements it; the widgets know no more.

#include <QString>
#include <QtGlobal>
#include <functional>

class DataSet {
public:
    enum State { Inactive, Browse, Edit, Insert };
    using Bookmark = qint64;  // physical record number; -1 for none
    // Told of every change a view must show: opened, closed, reordered, moved, data changed.
    enum class Change { Structure, Moved, Data };

    virtual ~DataSet() = default;

    virtual bool active() const = 0;
    virtual State state() const = 0;
    virtual int recordCount() const = 0;
    virtual int recNo() const = 0;  // position of the current record, 0-based; -1 when empty
    virtual bool bof() const = 0;
    virtual bool eof() const = 0;
    virtual void first() = 0;
    virtual void last() = 0;
    virtual Bookmark bookmarkAt(int position) const = 0;
    virtual void gotoBookmark(Bookmark b) = 0;

    virtual int fieldCount() const = 0;
    virtual int fieldWidth(int i) const = 0;
    virtual QString displayLabel(int i) const = 0;
    // Field i of the current record, and of the record at position p.
    virtual QString fieldText(int i) const = 0;
    virtual QString textAt(int position, int field) const = 0;

    virtual void edit() = 0;
    virtual void insert() = 0;
    virtual void setFieldText(int i, const QString &text) = 0;
    virtual void post() = 0;
    virtual void cancel() = 0;
    virtual void deleteRecord() = 0;
    virtual void refresh() = 0;

    virtual int subscribe(std::function<void(Change)> f) = 0;
    virtual void unsubscribe(int id) = 0;
};
