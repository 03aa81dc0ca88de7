#include "sim/sim_frame.h"

namespace sim {

namespace {
constexpr quint8 Start = 0x7B;
constexpr quint8 End = 0x7D;
constexpr quint8 Escape = 0x7C;
// Longer bodies are line noise, not requests of this bus.
constexpr int MaxBody = 64;

quint8 unescape(quint8 code)
{
    switch (code) {
    case 0x9B: return Start;
    case 0x9D: return End;
    case 0x9C: return Escape;
    default: return code;
    }
}

void appendEscaped(QByteArray &out, quint8 b)
{
    switch (b) {
    case Start: out.append(char(Escape)).append(char(0x9B)); break;
    case End: out.append(char(Escape)).append(char(0x9D)); break;
    case Escape: out.append(char(Escape)).append(char(0x9C)); break;
    default: out.append(char(b));
    }
}

quint8 xorOf(const QByteArray &bytes)
{
    quint8 x = 0;
    for (char c : bytes)
        x ^= quint8(c);
    return x;
}
}  // namespace

std::optional<SimRequest> RequestParser::feed(quint8 byte)
{
    if (byte == Start) {
        if (inFrame_)
            ++rejected_;
        inFrame_ = true;
        escaped_ = false;
        body_.clear();
        return std::nullopt;
    }
    if (!inFrame_)
        return std::nullopt;
    if (escaped_) {
        escaped_ = false;
        body_.append(char(unescape(byte)));
    } else if (byte == Escape) {
        escaped_ = true;
    } else if (byte == End) {
        inFrame_ = false;
        return finish();
    } else {
        body_.append(char(byte));
    }
    if (body_.size() > MaxBody) {
        inFrame_ = false;
        ++rejected_;
    }
    return std::nullopt;
}

std::optional<SimRequest> RequestParser::finish()
{
    // address, command and the check byte at the least
    if (body_.size() < 3 || xorOf(body_.left(body_.size() - 1)) != quint8(body_.back())) {
        ++rejected_;
        return std::nullopt;
    }
    SimRequest r;
    r.address = quint8(body_[0]);
    r.command = quint8(body_[1]);
    r.data = body_.mid(2, body_.size() - 3);
    return r;
}

QByteArray encodeReplyFrame(quint8 address, quint8 status, const QByteArray &data, bool breakCheck)
{
    QByteArray body;
    body.append(char(address)).append(char(status)).append(data);
    quint8 check = xorOf(body);
    if (breakCheck)
        check = quint8(~check);
    QByteArray out(1, char(Start));
    for (char c : body)
        appendEscaped(out, quint8(c));
    appendEscaped(out, check);
    out.append(char(End));
    return out;
}

} // namespace sim
