#pragma once
// The bus frames as the simulated devices see them: a byte-in parser for the
// requests the program sends, and the encoder of the devices' reply frames.
// Kept apart from the program's own codec so that the simulator checks it.
//
// A frame on the wire: 0x7B, the escaped body, the escaped check byte (XOR of
// the body bytes), 0x7D. Escapes: 0x7B -> 7C 9B, 0x7D -> 7C 9D, 0x7C -> 7C 9C.
// A request body is address, command, Q0..Qn; a reply body is address,
// status byte, R0..Rn.

#include <QByteArray>
#include <QtGlobal>
#include <optional>

namespace sim {

struct SimRequest {
    quint8 address = 0;
    quint8 command = 0;
    QByteArray data;  // Q0, Q1, ...
};

class RequestParser {
public:
    // Takes the next byte off the line. Returns the request when the byte ended
    // a well-formed frame; a frame with a wrong check byte or without address
    // and command is dropped and counted.
    std::optional<SimRequest> feed(quint8 byte);
    int rejected() const { return rejected_; }

private:
    std::optional<SimRequest> finish();
    bool inFrame_ = false;
    bool escaped_ = false;
    QByteArray body_;
    int rejected_ = 0;
};

// One reply frame. With breakCheck the check byte is sent inverted.
QByteArray encodeReplyFrame(quint8 address, quint8 status, const QByteArray &data, bool breakCheck = false);

} // namespace sim
