// The bus configuration of tavo-sim: one statement a line, words separated by
// blanks, "#" starts a comment. Lines after a "device" line describe that device.
//
//   baud RATE                  the line rate in bits per second (default 9600)
//   device tavo-m ADDRESS      a TAVO-M reader at ADDRESS (0..255)
//   device tavo-b ADDRESS      a TAVO-B reader at ADDRESS
//
// TAVO-M:
//   relay-time SECONDS         0..255 (default 5)
//   code-count N               0..511 (default 510)
//   version V                  the software version, 0..255 (default 3)
//   code SLOT CODE [FLAGS]     slot 1..510; CODE 16 hexadecimal digits;
//                              FLAGS 16 characters 0/1, flag 1 first (default all 0)
//   last-code CODE             a code presented to the reader; the last line is the newest
//
// TAVO-B:
//   range FIRST LAST           the header's first and last event (default 1 0: empty);
//                              outside 1..4000000 and 0..4000000 an unprepared card
//   identification HEX         16 hexadecimal digits
//   clock YYYY-MM-DDTHH:MM:SS  the clock, standard time (default: the PC's time)
//   events N                   N generated events recorded after the range, the
//                              newest a minute before the clock (taken after
//                              all the device's lines, in whatever order)
//   card absent                no memory card: requests to the card go unanswered
//
// Either kind, faults (see SimFaults):
//   fault no-reply | bad-check | stray N | other-address A | delay MS
//   fault drop-frame K | only-command C

#include "sim/bus_config.h"

#include "core/error.h"

#include <QRegularExpression>
#include <functional>
#include <map>

namespace sim {

namespace {
using Words = QStringList;
// The largest event number whose pointer fits in 32 bits.
constexpr qint64 MaxEvent = 0xFFFFFFFFll / 16 - 31;

qint64 number(const QString &word, qint64 lo, qint64 hi)
{
    bool ok = false;
    const qint64 v = word.toLongLong(&ok);
    if (!ok || v < lo || v > hi)
        throw Error(QStringLiteral("'%1' is not a number from %2 to %3").arg(word).arg(lo).arg(hi));
    return v;
}

QByteArray hexBytes(const QString &word)
{
    static const QRegularExpression hex16(QStringLiteral("^[0-9A-Fa-f]{16}$"));
    if (!hex16.match(word).hasMatch())
        throw Error(QStringLiteral("'%1' is not 16 hexadecimal digits").arg(word));
    return QByteArray::fromHex(word.toLatin1());
}

quint64 code(const QString &word)
{
    quint64 c = 0;
    for (char b : hexBytes(word))
        c = c << 8 | quint8(b);
    return c;
}

quint16 flags(const QString &word)
{
    static const QRegularExpression bits(QStringLiteral("^[01]{16}$"));
    if (!bits.match(word).hasMatch())
        throw Error(QStringLiteral("'%1' is not 16 flags of 0 and 1").arg(word));
    quint16 f = 0;
    for (int k = 0; k < 16; ++k)
        if (word[k] == QLatin1Char('1'))
            f |= quint16(1u << k);
    return f;
}

void need(const Words &w, int min, int max)
{
    if (w.size() < min || w.size() > max)
        throw Error(QStringLiteral("wrong number of words for '%1'").arg(w[0]));
}

// Events of a demonstration: 40 keys at positions 1..40, every 23rd
// presentation a key the reader does not know; one every 137 seconds.
void recordDemoEvents(TavoBDevice &b, qint64 count)
{
    const QDateTime newest = b.clock().addSecs(-60);
    for (qint64 i = 0; i < count; ++i) {
        const int key = int(i * 7919 % 40);
        const bool unknown = i % 23 == 22;
        const quint64 c = unknown ? 0xDEAD000000000000ull + quint64(i) : 0x0000000100000000ull + quint64(key);
        b.record(TavoBDevice::makeRecord(c, unknown ? 0 : key + 1, newest.addSecs(-137 * (count - 1 - i))));
    }
}

class Reader {
public:
    Reader(SimBus &bus, const QDateTime &defaultClock) : bus_(bus), defaultClock_(defaultClock) {}

    void statement(const Words &w)
    {
        if (w[0] == QLatin1String("baud")) {
            need(w, 2, 2);
            config.baud = int(number(w[1], 1, 4000000));
        } else if (w[0] == QLatin1String("device")) {
            device(w);
        } else if (w[0] == QLatin1String("fault")) {
            fault(w);
        } else if (m_) {
            tavoM(w);
        } else if (b_) {
            tavoB(w);
        } else {
            throw Error(QStringLiteral("'%1' outside a device").arg(w[0]));
        }
    }

    void endDevice()
    {
        if (b_ && events_ > 0)
            recordDemoEvents(*b_, events_);
        m_ = nullptr;
        b_ = nullptr;
        events_ = 0;
    }

    BusConfig config;

private:
    void device(const Words &w)
    {
        need(w, 3, 3);
        endDevice();
        const quint8 address = quint8(number(w[2], 0, 255));
        if (w[1] == QLatin1String("tavo-m")) {
            m_ = &bus_.addTavoM(address);
        } else if (w[1] == QLatin1String("tavo-b")) {
            b_ = &bus_.addTavoB(address);
            if (defaultClock_.isValid())
                b_->setClock(defaultClock_);
        } else {
            throw Error(QStringLiteral("'%1' is not tavo-m or tavo-b").arg(w[1]));
        }
    }

    void tavoM(const Words &w)
    {
        const QString &k = w[0];
        if (k == QLatin1String("relay-time")) {
            need(w, 2, 2);
            m_->setConfiguration(m_->address(), quint8(number(w[1], 0, 255)), m_->codeCount());
        } else if (k == QLatin1String("code-count")) {
            need(w, 2, 2);
            m_->setConfiguration(m_->address(), m_->relayTime(), int(number(w[1], 0, 511)));
        } else if (k == QLatin1String("version")) {
            need(w, 2, 2);
            m_->setVersion(quint8(number(w[1], 0, 255)));
        } else if (k == QLatin1String("code")) {
            need(w, 3, 4);
            const int slot = int(number(w[1], 1, 510));
            m_->setCode(slot, code(w[2]));
            m_->setFlags(slot, w.size() == 4 ? flags(w[3]) : 0);
        } else if (k == QLatin1String("last-code")) {
            need(w, 2, 2);
            m_->presentKey(code(w[1]));
        } else {
            throw Error(QStringLiteral("'%1' is not a statement of a TAVO-M").arg(k));
        }
    }

    void tavoB(const Words &w)
    {
        const QString &k = w[0];
        if (k == QLatin1String("range")) {
            need(w, 3, 3);
            b_->setRange(number(w[1], 0, MaxEvent), number(w[2], 0, MaxEvent));
        } else if (k == QLatin1String("identification")) {
            need(w, 2, 2);
            b_->setIdentification(hexBytes(w[1]));
        } else if (k == QLatin1String("clock")) {
            need(w, 2, 2);
            b_->setClock(clock(w[1]));
        } else if (k == QLatin1String("events")) {
            need(w, 2, 2);
            events_ = number(w[1], 0, TavoBDevice::RingSize);
        } else if (k == QLatin1String("card")) {
            need(w, 2, 2);
            if (w[1] != QLatin1String("absent"))
                throw Error(QStringLiteral("'card %1': only 'card absent' is known").arg(w[1]));
            b_->setCardPresent(false);
        } else {
            throw Error(QStringLiteral("'%1' is not a statement of a TAVO-B").arg(k));
        }
    }

    static QDateTime clock(const QString &word)
    {
        const QDateTime t = QDateTime::fromString(word, Qt::ISODate);
        if (!t.isValid())
            throw Error(QStringLiteral("'%1' is not a date and time YYYY-MM-DDTHH:MM:SS").arg(word));
        return t;
    }

    void fault(const Words &w)
    {
        SimDevice *d = m_ ? static_cast<SimDevice *>(m_) : b_;
        if (!d)
            throw Error(QStringLiteral("'fault' outside a device"));
        SimFaults &f = d->faults();
        const std::map<QString, std::function<void()>> set = {
            {QStringLiteral("no-reply"), [&] { need(w, 2, 2); f.noReply = true; }},
            {QStringLiteral("bad-check"), [&] { need(w, 2, 2); f.badCheck = true; }},
            {QStringLiteral("stray"), [&] { need(w, 3, 3); f.strayBytes = int(number(w[2], 0, 1000)); }},
            {QStringLiteral("other-address"), [&] { need(w, 3, 3); f.otherAddress = int(number(w[2], 0, 255)); }},
            {QStringLiteral("delay"), [&] { need(w, 3, 3); f.delayMs = int(number(w[2], 0, 60000)); }},
            {QStringLiteral("drop-frame"), [&] { need(w, 3, 3); f.dropFrame = int(number(w[2], 0, 1000)); }},
            {QStringLiteral("only-command"), [&] { need(w, 3, 3); f.onlyCommand = int(number(w[2], 0, 255)); }},
        };
        need(w, 2, 3);
        const auto it = set.find(w[1]);
        if (it == set.end())
            throw Error(QStringLiteral("'%1' is not a fault").arg(w[1]));
        it->second();
    }

    SimBus &bus_;
    QDateTime defaultClock_;
    TavoMDevice *m_ = nullptr;
    TavoBDevice *b_ = nullptr;
    qint64 events_ = 0;
};

Words words(const QString &line)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return line.section(QLatin1Char('#'), 0, 0).split(blanks, Qt::SkipEmptyParts);
}
}  // namespace

BusConfig loadBusConfig(const QString &text, SimBus &bus, const QDateTime &defaultClock)
{
    Reader reader(bus, defaultClock);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const Words w = words(lines[i]);
        if (w.isEmpty())
            continue;
        try {
            reader.statement(w);
        } catch (const Error &e) {
            throw Error(QStringLiteral("line %1: %2").arg(i + 1).arg(e.text()));
        }
    }
    reader.endDevice();
    return reader.config;
}

} // namespace sim
