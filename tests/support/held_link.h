#pragma once
// A test that looks at the frame codec sends without a device job: it holds
// the link for just that request, as a job would.

#include "link/link.h"

#include <utility>

template <class... Args> int sendHeld(Link &link, Args &&...args)
{
    static const int sender = 0;
    link.hold(&sender, [] { return true; });
    try {
        const int n = link.send(&sender, std::forward<Args>(args)...);
        link.release(&sender);
        return n;
    } catch (...) {
        link.release(&sender);
        throw;
    }
}
