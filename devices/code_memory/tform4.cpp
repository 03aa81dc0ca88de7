#include "core/handler.h"
#include "devices/code_memory/tform4.h"
#include "devices/code_memory/code_memory.h"
#include "records/database.h"
#include "core/error.h"
#include "core/operator.h"
#include "ui/hidden_while_walking.h"
#include "ui/text_grid.h"

#include <QPushButton>

namespace {
constexpr int Columns = 5;
constexpr int AddressCol = 1, RelayCol = 2, CountCol = 3, VersionCol = 4;
// Device-list fields ZA3, ZA4, ZA5.
constexpr int AddressField = 3, RelayField = 4, CountField = 5;

const char *const Titles[Columns] = {"Pořadí", "Síťová adresa", "Čas relé", "Počet kódů", "SW verze"};

// Each column shows its title whole in the program's font, and at least three digits.
QList<int> columnWidths(const QWidget *grid)
{
    QList<int> widths;
    for (const char *title : Titles)
        widths << std::max(70, grid->fontMetrics().horizontalAdvance(QString::fromUtf8(title)) + 12);
    return widths;
}
} // namespace

TForm4::TForm4(CodeMemory &cm, QList<QWidget *> deviceListViews, QWidget *parent)
    : QWidget(parent, Qt::Window), cm_(cm), deviceListViews_(std::move(deviceListViews))
{
    setWindowTitle(QStringLiteral("Detekovaná zařízení"));
    cm.detected.setFixed(1, 1);
    for (int c = 0; c < Columns; ++c)
        cm.detected.setCell(c, 0, QString::fromUtf8(Titles[c]));
    StringGrid1 = new TextGrid(&cm.detected, this);
    StringGrid1->setGeometry(0, 0, 468, 297);
    StringGrid1->setColWidths(columnWidths(StringGrid1));
    StringGrid1->setRowHeights(18);
    Button2 = new QPushButton(QStringLiteral("&Přidat tabulku do seznamu zařízení"), this);
    Button2->move(7, 302);
    Button1 = new QPushButton(QStringLiteral("&Vytvořit z tabulky nový seznam zařízení"), this);
    Button1->move(9, 342);
    Button3 = new QPushButton(QStringLiteral("&Storno"), this);
    Button3->move(313, 342);
    const std::pair<QPushButton *, void (TForm4::*)()> handlers[] = {
        {Button1, &TForm4::Button1Click}, {Button2, &TForm4::Button2Click}, {Button3, &TForm4::Button3Click}};
    for (const auto &[button, handler] : handlers)
        connectHandler(button, &QPushButton::clicked, this, [this, h = handler] { (this->*h)(); });
    resize(childrenRect().bottomRight().x() + 8, childrenRect().bottomRight().y() + 8);
}

// Appends the devices found to the device list; pressing again appends them again.
void TForm4::Button2Click()
{
    const HiddenWhileWalking hidden(deviceListViews_);
    appendDevices();
}

// The new rows have no name and no archive table: device selection fills them in.
void TForm4::appendDevices()
{
    Table &t = cm_.db.Table3;
    t.last();
    for (int i = 1; i <= cm_.detectedCount; ++i) {
        t.insert();
        t.setFieldText(AddressField, StringGrid1->cell(AddressCol, i));
        t.setFieldText(RelayField, StringGrid1->cell(RelayCol, i));
        t.setFieldText(CountField, StringGrid1->cell(CountCol, i));
        t.post();
        t.next();
    }
}

void TForm4::Button1Click()
{
    if (op().messageBox(QStringLiteral("Dotaz"), QStringLiteral("Opravdu si přejete vymazat seznam zařízení a importovat nový?"),
                        MB_YESNO | MB_ICONQUESTION)
        != IDYES)
        return;
    cm_.db.emptyTable(cm_.db.Table3);
    Button2Click();
}
