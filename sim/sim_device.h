#pragma once
// What every simulated device has: an address on the bus, a way to carry out
// the requests sent to it, and the faults a test can switch on.

#include "sim/sim_frame.h"

#include <QByteArray>
#include <vector>

namespace sim {

// Faults of one device, all off by default. They change what the bus puts on
// the line for the device's replies, not what the device does.
struct SimFaults {
    bool noReply = false;   // the device carries the request out but stays silent
    bool badCheck = false;  // every reply frame carries an inverted check byte
    int strayBytes = 0;     // this many noise bytes (0xFF) go out before a reply
    int otherAddress = -1;  // 0..255: the replies carry this address instead
    int delayMs = 0;        // added to the turnaround: a late reply
    int dropFrame = -1;     // this frame of a reply (0 = the first) is left out
    int onlyCommand = -1;   // 0..255: only replies to this command are hit

    bool hit(quint8 command) const { return onlyCommand < 0 || onlyCommand == command; }
};

class SimDevice {
public:
    virtual ~SimDevice() = default;
    virtual quint8 address() const = 0;
    // Carries out a request sent to this device and returns the data bytes of
    // its reply frames in order (an empty array is a frame without data);
    // nothing for a request the device does not serve. The replies come from
    // the address the device has after the request.
    virtual std::vector<QByteArray> serve(const SimRequest &request) = 0;

    SimFaults &faults() { return faults_; }
    const SimFaults &faults() const { return faults_; }

private:
    SimFaults faults_;
};

// The 32-bit big-endian number at data[at..at+3].
quint32 bigEndian32(const QByteArray &data, int at);
// A reply of 64 frames of 8 bytes: each 16-byte entry as its bytes 0..7, then 8..15.
std::vector<QByteArray> blockFrames(const QByteArray &bytes512);

} // namespace sim
