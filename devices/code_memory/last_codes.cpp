// "Naposledy přiložené kódy" as the last-codes job reads them: one row per
// code announced, "CHYBA" where its frame is missing or damaged.
#include "devices/code_memory/code_memory.h"
#include "devices/code_memory/tform17.h"
#include "link/link.h"
#include "link/link_claim.h"
#include "core/operator.h"
#include "ui/text_grid.h"

// Refused, before the device selection changes the link, while another
// operation holds the link.
void TForm17::V1Click()
{
    if (cm_.prepareDeviceWindow())
        show();
}

// The read holds the link from the request until its last read has run; a
// second "&Načti" meanwhile is refused like any other operation.
void TForm17::Button1Click()
{
    if (!job.start()) {
        tellOperationRunning();
        return;
    }
    cutGrid();
}

void TForm17::takeCodes(const LastCodes::Result &r)
{
    if (r.end == Job::End::NoAnswer) {
        tellNoAnswer();
        return;
    }
    for (int i = 1; i <= int(r.codes.size()); ++i) {
        StringGrid1->setRowCountAll(i + 1);
        StringGrid1->setCell(0, i, QString::number(i));
        StringGrid1->setCell(1, i, r.codes[i - 1]);
    }
}
