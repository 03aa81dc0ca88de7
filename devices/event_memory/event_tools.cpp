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
#include "records/database.h"
#include "ui/operator.h"
#include "ui/text_grid.h"

#include <QCheckBox>

using namespace tavob;

namespace {
constexpr int ReplyBytes = 20;

QString warning() { return QStringLiteral("Upozornění"); }
QString confirmation() { return QStringLiteral("Potvrzení"); }

// The person list is looked up by code while the fill runs; the sort box and
// the surname order come back afterwards, also when a look-up fails.
class CodeOrder {
public:
    explicit CodeOrder(Database &db) : db_(db), sorted_(db.CheckBox1 && db.CheckBox1->isChecked())
    {
        if (db_.CheckBox1)
            db_.CheckBox1->setChecked(false);
        if (db_.Table2.active())
            db_.Table2.setIndexFieldNames(QStringLiteral("OS1"));
    }
    ~CodeOrder()
    {
        if (!sorted_)
            return;
        db_.CheckBox1->setChecked(true);
        if (db_.Table2.active())
            db_.Table2.setIndexFieldNames(QStringLiteral("OS2"));
    }
    CodeOrder(const CodeOrder &) = delete;
    CodeOrder &operator=(const CodeOrder &) = delete;

private:
    Database &db_;
    bool sorted_;
};
} // namespace

std::optional<QString> TForm13::surnameOf(const QString &code)
{
    Table &persons = ctx_.db.Table2;
    if (!persons.active() || !persons.findKey(code))
        return std::nullopt;
    return persons.fieldText(persons.fieldIndex(QStringLiteral("OS2")));
}

// After unknown codes the cursor stands on the code of the last one.
void TForm13::Image2Click()
{
    const int col = StringGrid1->col(), row = StringGrid1->row();
    SurnameFill fill;
    {
        CodeOrder byCode(ctx_.db);
        fill = fillSurnames(events, readingCount(), [this](const QString &code) { return surnameOf(code); });
    }
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
        form16->prepare();
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
    if (!takeLink())
        return;
    pendingStart = newFirst;
    link().receiveReset();
    link().send(tavoB::readPointers(Selector::EventBuffer));
    Timer4.setEnabled(true);
}

void TForm13::Timer4Timer()
{
    Timer4.setEnabled(false);
    link().poll(ReplyBytes);
    const bool answered = link().decode();
    const qint32 last = eventOfPointer(link().r(4), link().r(5), link().r(6), link().r(7));
    link().receiveReset();
    if (!answered) {
        op().messageBox(warning(), QStringLiteral("Zařízení neodpovídá. Počátek paměti událostí nebyl posunut."),
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (last < 0 || last > RingSize) {
        op().messageBox(warning(),
                        QStringLiteral("Konec paměti událostí je mimo platnou oblast. Proveďte Aktivaci TAVO-B."),
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    link().send(tavoB::writePointers(pendingStart, last));
    pendingStart = 0;
}
