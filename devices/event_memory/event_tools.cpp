// The tools on the event list: the surnames of the key holders from the
// person list, the unauthorized attempts, the save into an events file and
// the move of the device's start past the events saved.
#include "devices/event_memory/tform13.h"
#include "devices/event_memory/tform16.h"

#include "core/error.h"
#include "core/field_lines.h"
#include "devices/event_memory/event_format.h"
#include "devices/event_memory/requests.h"
#include "link/link.h"
#include "link/link_claim.h"
#include "records/database.h"
#include "records/device_list.h"
#include "core/operator.h"
#include "ui/text_grid.h"

#include <QCheckBox>
#include <QHash>

using namespace tavob;

namespace {

QString warning() { return QStringLiteral("Upozornění"); }
QString confirmation() { return QStringLiteral("Potvrzení"); }

} // namespace

// After unknown codes the cursor stands on the code of the last one.
void TForm13::Image2Click()
{
    const int col = StringGrid1->col(), row = StringGrid1->row();
    const QHash<QString, QString> surnames = ::surnamesByCode(ctx_.db.Table2);
    const SurnameFill fill = fillSurnames(events, readingCount(), [&surnames](const QString &code) {
        const auto it = surnames.constFind(code);
        return it == surnames.cend() ? std::nullopt : std::optional<QString>(*it);
    });
    if (fill.unknown == 0)
        op().messageBox(confirmation(), QStringLiteral("V seznamu událostí byly všechny přístupy provedeny známým kódem."),
                        MB_OK | MB_ICONINFORMATION);
    else
        op().messageBox(warning(),
                        QStringLiteral("V seznamu událostí je ") + QString::number(fill.unknown)
                            + QStringLiteral(" přístupů s neznámým kódem."),
                        MB_OK | MB_ICONEXCLAMATION);
    if (fill.unknown > 0)
        StringGrid1->selectCell(ColCode, fill.lastUnknownRow);
    else if (row >= 0)
        StringGrid1->selectCell(col, row);
}

// The count is that of the last reading; edits in the list do not change it.
void TForm13::Image5Click()
{
    if (UnauthorizedCount <= 0) {
        op().messageBox(confirmation(), QStringLiteral("V seznamu událostí byly všechny přístupy oprávněné."),
                        MB_OK | MB_ICONINFORMATION);
        return;
    }
    op().messageBox(warning(),
                    QStringLiteral("V seznamu událostí je ") + QString::number(UnauthorizedCount)
                        + QStringLiteral(" neoprávněných pokusů o přístup."),
                    MB_OK | MB_ICONEXCLAMATION);
    StringGrid1->selectCell(ColCode, LastUnauthorizedRow);
}

// Up to 10,000 rows are saved at once; a longer list in pieces through TForm16.
void TForm13::Image3Click()
{
    const qint32 rows = readingCount();
    if (rows > MaxSave)
        form16->prepare(readingCount(), [this](int first, int last) { writeRows(first, last); });
    else if (rows >= 1)
        writeRows(1, rows);
}

// The file is written whole through a temporary file. A file that cannot be
// written is reported and leaves the device's start where it is; after a
// write the start moves past the last row saved.
void TForm13::writeRows(int firstRow, int lastRow)
{
    FileDialogRequest request;
    request.filter = QStringLiteral("text oddělený středníkem (*.csv)|*.csv");
    request.defaultExt = QStringLiteral("csv");
    request.initialDir = QStringLiteral("C:\\Kel-TAVO");
    const QString name = op().saveFileName(request);
    if (name.isEmpty())
        return;
    QString reason;
    if (!writeWholeFile(name, eventsFileBytes(events, firstRow, lastRow), &reason)) {
        op().messageBox(warning(), QStringLiteral("Seznam událostí nelze uložit do souboru ") + name
                                       + QStringLiteral(": ") + reason,
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (CheckBox1->isChecked())
        moveStart(nextEvent(strToInt(events.cell(ColEvent, lastRow))));
}

// The device's range is read again first, so that the last-event pointer
// written back is the device's own, with every event recorded since the
// reading; the start moves to newFirst.
void TForm13::moveStart(qint32 newFirst)
{
    pendingStart = newFirst;
    if (!rangeJob.moveStart(newFirst))
        tellOperationRunning();
}

void TForm13::Timer4Timer(EventRange::MoveOutcome outcome)
{
    pendingStart = 0;
    if (outcome == EventRange::MoveOutcome::NoAnswer)
        op().messageBox(warning(), noAnswerText() + QStringLiteral(" Počátek paměti událostí nebyl posunut."),
                        MB_OK | MB_ICONEXCLAMATION);
    else if (outcome == EventRange::MoveOutcome::LastOffRing)
        op().messageBox(warning(), *rangeProblem({1, -1}), MB_OK | MB_ICONEXCLAMATION);
}
