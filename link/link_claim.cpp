#include "link/link_claim.h"

#include "ui/operator.h"

bool claimLink(Link &link, Link::Holder holder, std::function<bool()> running)
{
    if (link.hold(holder, std::move(running)))
        return true;
    op().messageBox(QStringLiteral("Upozornění"),
                    QStringLiteral("Probíhá jiná operace se zařízením. Počkejte, až skončí."),
                    MB_OK | MB_ICONEXCLAMATION);
    return false;
}
