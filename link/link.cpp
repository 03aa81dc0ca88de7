#include "link/link.h"

#include <stdexcept>
#include <string>

namespace {
constexpr quint8 Start = 0x7B;
constexpr quint8 Escape = 0x7C;
constexpr quint8 End = 0x7D;
constexpr int MaxBody = Link::FrameSize - Link::RequestAt;
constexpr int MaxStraySkipped = 5;

bool special(quint8 b) { return b == Start || b == Escape || b == End; }

// 0x9B, 0x9C, 0x9D after the escape marker stand for 0x7B, 0x7C, 0x7D.
quint8 unescape(quint8 b) { return b == 0x9B || b == 0x9C || b == 0x9D ? quint8(b - 0x20) : b; }

struct Wire {
    std::array<char, 2 + 2 * (MaxBody + 1)> bytes{};
    int size = 0;

    void put(quint8 b) { bytes[size++] = char(b); }
    void putEscaped(quint8 b)
    {
        if (special(b)) {
            put(Escape);
            put(quint8(b + 0x20));
        } else {
            put(b);
        }
    }
};
}  // namespace

Link::Link(std::unique_ptr<SerialPort> port) : port_(std::move(port)) {}

int Link::send(Holder sender, quint8 command, int n)
{
    if (!sender || holder() != sender)
        throw LinkNotHeld();
    if (n < 2 || n > MaxBody)
        throw std::out_of_range("frame body of " + std::to_string(n) + " bytes");
    frame[RequestAt] = quint8(currentAddress & 0xFF);
    frame[RequestAt + 1] = command;
    Wire wire;
    quint8 check = 0;
    wire.put(Start);
    for (int i = RequestAt; i < RequestAt + n; ++i) {
        check ^= frame[i];
        wire.putEscaped(frame[i]);
    }
    wire.putEscaped(check);
    wire.put(End);
    trace_.log("PC->", wire.bytes.data(), wire.size);
    return port_->write(wire.bytes.data(), wire.size);
}

int Link::send(Holder sender, const Request &request)
{
    if (!sender || holder() != sender)
        throw LinkNotHeld();
    const int n = request.bodyLength();
    if (n > MaxBody)
        throw std::out_of_range("frame body of " + std::to_string(n) + " bytes");
    for (int i = 0; i < int(request.data.size()); ++i)
        q(i) = quint8(request.data[i]);
    return send(sender, request.command, n);
}

// The next receive-buffer byte; false at the end of the buffer.
bool Link::fetch(quint8 &c)
{
    if (readPosition < 0 || readPosition >= ReceiveSize)
        return false;
    c = receive[readPosition++];
    return true;
}

// Skips up to five stray bytes; the read position stays on the last one examined.
bool Link::findStart()
{
    if (readPosition < 0 || readPosition >= ReceiveSize)
        return false;
    for (int skipped = 0;; ++skipped) {
        if (receive[readPosition] == Start)
            return true;
        if (skipped == MaxStraySkipped || readPosition == ReceiveSize - 1)
            return false;
        ++readPosition;
    }
}

// Stores 0, the start byte and the unescaped frame bytes up to the raw end
// byte, at most 16 positions. False when the buffer ends first.
bool Link::collect()
{
    quint8 c = 0;
    while (c != End && storedCount < ReplySize) {
        if (c == Escape) {
            if (!fetch(c))
                return false;
            c = unescape(c);
        }
        frame[storedCount++] = c;
        if (!fetch(c))
            return false;
    }
    return true;
}

bool Link::accepted() const
{
    const int k = storedCount;
    quint8 x = 0;
    for (int i = 2; i <= k - 2; ++i)
        x ^= frame[i];
    return x == frame[k - 1] && frame[2] == currentAddress;
}

bool Link::decode()
{
    storedCount = 0;
    return findStart() && collect() && accepted();
}

void Link::receiveReset()
{
    receive.fill(0);
    port_->purge();
    readPosition = 0;
}

int Link::poll(int maxCount)
{
    const int n = port_->read(reinterpret_cast<char *>(receive.data()), qBound(0, maxCount, ReceiveSize));
    trace_.log("<-DEV", reinterpret_cast<const char *>(receive.data()), n);
    readPosition = 0;
    return n;
}

void Link::openPort()
{
    if (!port_->isOpen())
        port_->open(settings_);
}

void Link::applySettings(const PortSettings &s)
{
    const PortSettings old = settings_;
    settings_ = s;
    trace_.setFile(s.traceFile);
    if (!port_->isOpen())
        return;
    if (s.port != old.port) {
        port_->close();
        port_->open(settings_);
    } else if (!s.sameLine(old)) {
        port_->apply(settings_);
    }
}

bool Link::hold(Holder h, std::function<bool()> running)
{
    if (busy())
        return false;
    passTo(h, std::move(running));
    return true;
}

void Link::passTo(Holder h, std::function<bool()> running)
{
    holder_ = h;
    running_ = std::move(running);
}

void Link::release(Holder h)
{
    if (holder_ != h)
        return;
    holder_ = nullptr;
    running_ = nullptr;
}
