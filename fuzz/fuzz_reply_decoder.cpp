// The reply decoder: arbitrary bytes arriving in arbitrary chunks through a
// port; each chunk is polled into the receive buffer and decoded frame by frame.
#include "link/link.h"
#include "tests/link/fake_port.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto port = std::make_unique<FakePort>();
    FakePort *p = port.get();
    Link link(std::move(port));
    size_t at = 0;
    while (at < size) {
        const size_t chunk = std::min<size_t>(size - at - 1 < size ? data[at] + 1 : 1, size - at);
        p->incoming.append(reinterpret_cast<const char *>(data + at), qsizetype(chunk));
        at += chunk;
        link.currentAddress = qint16(chunk & 0xFF);
        const int got = link.poll(Link::ReceiveSize);
        if (got < 0 || got > Link::ReceiveSize)
            __builtin_trap();
        for (int frames = 0; frames < 64 && link.readPosition < got; ++frames) {
            const qint16 before = link.readPosition;
            link.decode();
            if (link.readPosition <= before)
                break;
        }
    }
    return 0;
}
