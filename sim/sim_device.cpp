#include "sim/sim_device.h"

namespace sim {

quint32 bigEndian32(const QByteArray &data, int at)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | quint8(data[at + i]);
    return v;
}

std::vector<QByteArray> blockFrames(const QByteArray &bytes512)
{
    std::vector<QByteArray> frames;
    for (int at = 0; at + 8 <= bytes512.size(); at += 8)
        frames.push_back(bytes512.mid(at, 8));
    return frames;
}

} // namespace sim
