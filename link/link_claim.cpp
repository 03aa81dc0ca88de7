#include "link/link_claim.h"

#include "core/operator.h"
#include "link/job.h"

bool linkFree(const Link &link)
{
    if (!link.busy())
        return true;
    tellOperationRunning();
    return false;
}

void tellOperationRunning()
{
    op().messageBox(QStringLiteral("Upozornění"),
                    QStringLiteral("Probíhá jiná operace se zařízením. Počkejte, až skončí."),
                    MB_OK | MB_ICONEXCLAMATION);
}

void tellNoAnswer() { op().messageBox(QStringLiteral("Upozornění"), noAnswerText(), MB_OK | MB_ICONEXCLAMATION); }
