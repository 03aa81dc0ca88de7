#pragma once
// The device link: the frame buffer and receive buffer every request and reply
// passes through, the link values, the frame codec and the serial port.
//
// On the wire a frame is 0x7B, the escaped body (address, command or status,
// data), the escaped XOR of the body, 0x7D. 0x7B, 0x7C and 0x7D inside a frame
// travel as 0x7C followed by 0x9B, 0x9C or 0x9D.

#include "link/byte_trace.h"
#include "link/port_settings.h"
#include "link/protocol.h"
#include "link/serial_port.h"

#include <QtGlobal>
#include <array>
#include <functional>
#include <memory>
#include <stdexcept>

// A send from an operation that does not hold the link: a fault of the
// program, never of the device or the operator.
class LinkNotHeld : public std::logic_error {
public:
    LinkNotHeld() : std::logic_error("the link is held by another operation") {}
};

class Link {
public:
    using Holder = const void *;

    static constexpr int FrameSize = 32;
    static constexpr int RequestAt = 16;  // device address, command, then Q0 at 18
    static constexpr int ReplySize = 16;  // 0, 0x7B, address, status, R0 at 4, ..., check byte
    static constexpr int ReceiveSize = 1024;

    explicit Link(std::unique_ptr<SerialPort> port);

    // Positions 0..15: the reply decoded last; 16..31: the request being sent.
    std::array<quint8, FrameSize> frame{};
    std::array<quint8, ReceiveSize> receive{};
    qint16 readPosition = 0;
    qint16 storedCount = 0;  // frame positions filled by the last decoding
    qint16 currentAddress = 255;
    qint16 targetAddress = 255;
    qint16 relayTime = 5;
    qint16 codeCount = 510;

    // Request data byte Qn and reply data byte Rn.
    quint8 &q(int n) { return frame[RequestAt + 2 + n]; }
    quint8 r(int n) const { return frame[4 + n]; }

    // Frames positions 16 .. 16+n-1 (the current address's low byte, command,
    // Q0 .. Q(n-3)) and writes the frame with one blocking write; n is 2..16.
    // Returns the port's write result. Only the operation holding the link
    // sends: any other sender is refused with LinkNotHeld, nothing written.
    int send(Holder sender, quint8 command, int n);
    // Puts the request's data at Q0.. and sends it as above.
    int send(Holder sender, const Request &request);
    // Decodes one frame at the read position into frame positions 0..15 and
    // moves past it. True when its check byte holds and it comes from the
    // current address.
    bool decode();
    // Zeroes the receive buffer, purges the port, read position 0.
    void receiveReset();
    // Reads what has arrived, at most maxCount bytes, into the receive buffer
    // from position 0; read position 0. Returns the count read.
    int poll(int maxCount);

    // Opens the port with the settings in force unless it is open already.
    void openPort();
    // Makes s the settings in force. An open port takes a line change at once;
    // a new port name closes it and opens the new port.
    void applySettings(const PortSettings &s);
    const PortSettings &settings() const { return settings_; }
    SerialPort &port() { return *port_; }
    ByteTrace &trace() { return trace_; }

    // One device operation at a time. An operation holds the link from its
    // first request until its last timer has run out; `running` tells whether
    // that is still so, whichever way the operation ended.
    bool busy() const { return running_ && running_(); }
    // The operation holding the link, or null when it is free.
    Holder holder() const { return busy() ? holder_ : nullptr; }
    // Takes the link for an operation about to send its first request; false,
    // with nothing changed, while an operation (another or this one) runs.
    bool hold(Holder h, std::function<bool()> running);
    // The holder hands the rest of its operation to another one's timers.
    void passTo(Holder h, std::function<bool()> running);
    // An operation that goes away lets go of the link.
    void release(Holder h);

private:
    bool fetch(quint8 &c);
    bool findStart();
    bool collect();
    bool accepted() const;

    std::unique_ptr<SerialPort> port_;
    PortSettings settings_;
    ByteTrace trace_;
    Holder holder_ = nullptr;
    std::function<bool()> running_;
};
