#pragma once
// How a device operation starts: it takes the link, or, while another
// operation holds it, tells the operator and starts nothing.

#include "link/link.h"

#include <functional>

// True when the link was free and `holder` now holds it while running() says
// so. Otherwise the operator is told "Probíhá jiná operace se zařízením.
// Počkejte, až skončí." and the caller must change nothing.
bool claimLink(Link &link, Link::Holder holder, std::function<bool()> running);
