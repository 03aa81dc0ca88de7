#pragma once
// Frames as the tests build and take them apart, written out here on their own
// so that they check the simulator's framing rather than repeat it.

#include <QByteArray>
#include <QList>

inline QByteArray hex(const char *text) { return QByteArray::fromHex(QByteArray(text)); }

// 0x7B, the escaped body and XOR check, 0x7D.
inline QByteArray frame(const QByteArray &body)
{
    char check = 0;
    for (char c : body)
        check = char(check ^ c);
    QByteArray out("\x7B");
    for (char c : body + check) {
        if (c == '\x7B' || c == '\x7C' || c == '\x7D')
            out.append('\x7C').append(char(c + 0x20));
        else
            out.append(c);
    }
    return out.append('\x7D');
}

inline QByteArray frame(int address, int command, const QByteArray &data = {})
{
    return frame(QByteArray(1, char(address)) + char(command) + data);
}

inline QByteArray be32(quint32 v)
{
    return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v);
}

// The data bytes of each frame in a run of reply frames from the address, with
// the status byte given; a frame that breaks a rule comes out as "BAD".
inline QList<QByteArray> replyData(const QByteArray &bytes, int address, int status)
{
    QList<QByteArray> frames;
    for (int at = 0; at < bytes.size();) {
        const int end = bytes.indexOf('\x7D', at);
        if (bytes[at] != '\x7B' || end < 0)
            return frames << "BAD";
        QByteArray body;
        for (int i = at + 1; i < end; ++i)
            body.append(bytes[i] == '\x7C' ? char(bytes[++i] - 0x20) : bytes[i]);
        char check = 0;
        for (char c : body)
            check = char(check ^ c);
        const bool ok = body.size() >= 3 && check == 0 && quint8(body[0]) == address && quint8(body[1]) == status;
        frames << (ok ? body.mid(2, body.size() - 3) : QByteArray("BAD"));
        at = end + 1;
    }
    return frames;
}
