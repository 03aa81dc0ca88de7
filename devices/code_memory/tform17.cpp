#include "core/handler.h"
#include "devices/code_memory/tform17.h"
#include "devices/code_memory/code_memory.h"
#include "ui/text_grid.h"

#include <QPushButton>

TForm17::TForm17(CodeMemory &cm, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), job(cm.link), cm_(cm)
{
    setObjectName(QStringLiteral("Form17"));
    setWindowTitle(QStringLiteral("Naposledy přiložené kódy"));
    setFixedSize(229, 315);
    Button1 = new QPushButton(QStringLiteral("&Načti"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry((width() - 75) / 2, 12, 75, 25);
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    StringGrid1 = new TextGrid(2, 1, 0, 1, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(2, 52, 225, 241);
    StringGrid1->setColWidths({50, 149});
    StringGrid1->setRowHeights(18);
    cutGrid();

    job.onEnd = [this](const LastCodes::Result &r) { takeCodes(r); };
}

// Only the heading row.
void TForm17::cutGrid()
{
    StringGrid1->setRowCountAll(1);
    StringGrid1->setCell(0, 0, QStringLiteral("Pořadí"));
    StringGrid1->setCell(1, 0, QStringLiteral("Kód"));
}
