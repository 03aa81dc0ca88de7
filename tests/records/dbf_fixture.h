#pragma once
// dBase files built byte by byte, so tests can state exactly what lies on disk.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>

struct FixtureField {
    QByteArray name;
    char type;
    int width;
};

struct Fixture {
    uchar version = 0x03;
    uchar driver = 0xC8;
    QList<FixtureField> fields;
    QList<QByteArray> records;  // flag byte included
    int claimedCount = -1;      // the count the header gives; -1: the real one
    bool level7 = false;
    QByteArray properties;      // level 7: the block after the terminator
    bool endByte = true;

    // A record of the given flag with the values filled to their widths.
    QByteArray record(char flag, const QList<QByteArray> &values) const
    {
        QByteArray r(1, flag);
        for (int i = 0; i < fields.size(); ++i)
            r += values.value(i).leftJustified(fields[i].width, ' ', true);
        return r;
    }

    int recordLength() const
    {
        int n = 1;
        for (const FixtureField &f : fields)
            n += f.width;
        return n;
    }

    QByteArray descriptor(const FixtureField &f, int index) const
    {
        QByteArray d(level7 ? 48 : 32, '\0');
        d.replace(0, f.name.size(), f.name);
        const int t = level7 ? 32 : 11;
        d[t] = f.type;
        d[level7 ? 33 : 16] = char(f.width);
        // Bytes the engine does not interpret, set so that losing them shows.
        d[level7 ? 37 : 20] = char(0x40 + index);
        d[level7 ? 44 : 30] = char(0x5A);
        return d;
    }

    QByteArray header() const
    {
        QByteArray h(level7 ? 68 : 32, '\0');
        h[0] = char(version);
        h[1] = char(99);
        h[2] = 12;
        h[3] = 31;
        for (int i = 12; i < 28; ++i)
            h[i] = char(0xA0 + i);  // reserved bytes, to be kept as they are
        h[29] = char(driver);
        if (level7)
            h.replace(32, 8, "DBWINUS0");
        for (int i = 0; i < fields.size(); ++i)
            h += descriptor(fields[i], i);
        h += char(0x0D);
        h += properties;
        const quint32 count = quint32(claimedCount >= 0 ? claimedCount : records.size());
        qToLittleEndian(count, h.data() + 4);
        qToLittleEndian(quint16(h.size()), h.data() + 8);
        qToLittleEndian(quint16(recordLength()), h.data() + 10);
        return h;
    }

    QByteArray bytes() const { return header() + records.join() + (endByte ? QByteArray(1, 0x1A) : QByteArray()); }

    void write(const QString &path) const
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes());
    }
};

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
