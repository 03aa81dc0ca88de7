#pragma once
// How a device operation starts: while another operation holds the link the
// operator is told and nothing starts.

#include "link/link.h"

#include <functional>

// True when no operation holds the link. Otherwise the operator is told
// "Probíhá jiná operace se zařízením. Počkejte, až skončí." and the caller
// must change nothing.
bool linkFree(const Link &link);
// The same message, for a job whose start found the link taken after all.
void tellOperationRunning();
// "Upozornění": the device did not answer (noAnswerText).
void tellNoAnswer();
