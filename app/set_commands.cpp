// The set tools of the main window: adding single records to the working set,
// copying it to the archive set and back, comparing them, filling surnames,
// finding duplicate codes, and the person list's sort box. The walks are in
// records/set_tools; here are the grids, the sort box and the messages.
#include "app/tform1.h"
#include "core/handler.h"
#include "records/set_tools.h"
#include "ui/db_grid.h"
#include "ui/db_navigator.h"
#include "ui/hidden_while_walking.h"
#include "core/operator.h"
#include "ui/text_grid.h"

#include <QCheckBox>
#include <QToolButton>
#include <initializer_list>

namespace {
// "Potvrzení" (64) when nothing was found, else "Upozornění" (48).
void tell(int count, const QString &none, const QString &found)
{
    if (count == 0)
        op().messageBox(QStringLiteral("Potvrzení"), none, MB_OK | MB_ICONINFORMATION);
    else
        op().messageBox(QStringLiteral("Upozornění"), found, MB_OK | MB_ICONEXCLAMATION);
}

QString countText(const char *before, int count, const char *after)
{
    return QString::fromUtf8(before) + QString::number(count) + QString::fromUtf8(after);
}
} // namespace

// The add buttons share the grids' double click; they have no menu item.
void TForm1::bindSetTools()
{
    const std::pair<DBGrid *, void (TForm1::*)()> grids[] = {{DBGrid1, &TForm1::DBGrid1DblClick},
                                                             {DBGrid2, &TForm1::DBGrid2DblClick}};
    for (const auto &[grid, handler] : grids)
        connectHandler(grid, &DBGrid::recordDoubleClicked, this, [this, h = handler] { (this->*h)(); });
    const std::pair<int, void (TForm1::*)()> buttons[] = {{10, &TForm1::DBGrid1DblClick}, {12, &TForm1::DBGrid2DblClick}};
    for (const auto &[n, handler] : buttons) {
        speedButton(n)->setEnabled(true);
        connectHandler(speedButton(n), &QToolButton::clicked, this, [this, h = handler] { (this->*h)(); });
    }
}

// The checking tools end on their last finding, or where the operator was.
void TForm1::selectFinding(const Finding &f)
{
    if (f.row >= 0)
        StringGrid1->selectCell(f.col, f.row);
}

void TForm1::DBGrid1DblClick() { addFromArchive(db.workingSet, insertionRow, db.Table1); }

void TForm1::DBGrid2DblClick() { addFromPersons(db.workingSet, insertionRow, db.Table2); }

void TForm1::Image1Click()
{
    HiddenWhileWalking hidden{DBGrid1};
    copyWorkingToArchive(db.workingSet, db.Table1);
}

void TForm1::Image2Click()
{
    HiddenWhileWalking hidden{DBGrid1};
    copyArchiveToWorking(db.Table1, db.workingSet);
}

void TForm1::Image7Click()
{
    Comparison found;
    {
        HiddenWhileWalking hidden{DBGrid1};
        found = compareSets(db.workingSet, db.Table1);
    }
    tell(found.count, QStringLiteral("Pracovní a archivní sestava jsou stejné."),
         countText("Nalezeno ", found.count, " rozdílů."));
    selectFinding(found);
}

void TForm1::Image4Click()
{
    Finding found;
    {
        // Codes are looked up in code order; the operator's order comes back
        // before the grid shows again.
        HiddenWhileWalking hidden{DBGrid2, DBNavigator1};
        struct SortBack {
            QCheckBox *box;
            bool sorted;
            ~SortBack() { box->setChecked(sorted); }
        } sortBack{CheckBox1, CheckBox1->isChecked()};
        CheckBox1->setChecked(false);
        found = fillSurnames(db.workingSet, db.Table2);
    }
    tell(found.count, QStringLiteral("V pracovní sestavě mají všechny kódy známého majitele."),
         countText("V pracovní sestavě je ", found.count, " neznámých kódů ."));
    selectFinding(found);
}

void TForm1::Image6Click()
{
    const Finding found = workingSetDuplicates(db.workingSet);
    tell(found.count, QStringLiteral("V pracovní sestavě jsou všechny kódy pouze jednou."),
         countText("V pracovní sestavě je ", found.count, " duplicitních kódů."));
    selectFinding(found);
}

// With duplicates the list stays in code order, the box unticked, so the
// persons holding one code stand next to each other from the first of them.
void TForm1::Image5Click()
{
    const bool sorted = CheckBox1->isChecked();
    CheckBox1->setChecked(false);
    PersonDuplicates found;
    {
        HiddenWhileWalking hidden{DBGrid2, DBNavigator1};
        found = personDuplicates(db.Table2);
    }
    if (found.count == 0) {
        CheckBox1->setChecked(sorted);
        tell(0, QStringLiteral("V seznamu osob jsou všechny kódy pouze jednou."), QString());
        return;
    }
    db.Table2.findKey(found.lastCode);
    tell(found.count, QString(), countText("V seznamu osob je ", found.count, " duplicitních kódů."));
}

void TForm1::CheckBox1Click()
{
    if (db.Table2.active())
        db.Table2.setIndexFieldNames(CheckBox1->isChecked() ? QStringLiteral("OS2") : QStringLiteral("OS1"));
}
