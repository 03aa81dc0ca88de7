#include "devices/code_memory/entry_texts.h"
#include "core/cp1250.h"

namespace {
constexpr int TextLength = 16;

// The text's first 16 bytes as a device gets them.
QByteArray deviceText(const QString &text)
{
    QByteArray b = toCp1250(text).left(TextLength);
    for (char &c : b)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return b + QByteArray(TextLength - b.size(), '0');
}

int digitValue(quint8 c) { return c <= '9' ? c - 48 : c - 55; }
} // namespace

std::array<quint8, 8> codeBytes(const QString &text)
{
    const QByteArray t = deviceText(text);
    std::array<quint8, 8> out{};
    for (int k = 0; k < 8; ++k)
        out[size_t(k)] = quint8((16 * digitValue(quint8(t[2 * k])) + digitValue(quint8(t[2 * k + 1]))) & 0xFF);
    return out;
}

std::array<quint8, 2> flagBytes(const QString &text)
{
    const QByteArray t = deviceText(text);
    std::array<quint8, 2> out{};
    for (int k = 0; k < TextLength; ++k) {
        const quint8 c = quint8(t[k]);
        if (c > '0' && c < 128)
            out[size_t(k / 8)] |= quint8(1 << (k % 8));
    }
    return out;
}

QString flagText(quint8 first, quint8 second)
{
    QString t;
    for (quint8 b : {first, second})
        for (int bit = 0; bit < 8; ++bit)
            t += (b >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    return t;
}

int storedCodeCount(quint8 high, quint8 low) { return high * 16 + low / 16 - 1; }

quint8 codeCountHigh(int codeCount) { return quint8((codeCount + 1) / 16); }

quint8 codeCountLow(int codeCount) { return quint8((codeCount + 1) % 16 * 16); }
