#pragma once
// Small helpers the tests share: whole files in and out, and the text of the
// error a call raises.

#include "core/error.h"

#include <QFile>
#include <QtTest>

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The text of the Error that f raises; empty when it raises none.
template <class F> QString errorOf(F &&f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.text();
    }
    return QString();
}
