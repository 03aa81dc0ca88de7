#include "devices/event_memory/tform16.h"

#include "core/error.h"
#include "core/handler.h"
#include "devices/event_memory/event_list.h"
#include "core/text_table.h"
#include "ui/controls.h"
#include "core/operator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace tavob;

TForm16::TForm16(const TextTable &events, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      events_(events)
{
    setObjectName(QStringLiteral("Form16"));
    setWindowTitle(QStringLiteral("Uložit události"));
    setFixedSize(248, 186);
    Label3 = addLabel(this, "Label3", QStringLiteral("Lze uložit maximálně 10 000 událostí najednou."), 8, 8);
    Label3->setWordWrap(true);
    Label3->setGeometry(8, 8, 232, 30);
    Label1 = addLabel(this, "Label1", QStringLiteral("Uložit události:"), 8, 44);
    Edit1 = addEdit(this, "Edit1", QRect(8, 62, 81, 21), true);
    Edit3 = addEdit(this, "Edit3", QRect(96, 62, 144, 21), false);
    Label2 = addLabel(this, "Label2", QStringLiteral("až"), 8, 88);
    Edit2 = addEdit(this, "Edit2", QRect(8, 106, 81, 21), true);
    Edit4 = addEdit(this, "Edit4", QRect(96, 106, 144, 21), false);
    Button1 = addButton(this, "Button1", QStringLiteral("&OK"), QRect(86, 148, 75, 25));
    connectHandler(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connectHandler(Edit2, &QLineEdit::textChanged, this, [this] { Edit2Change(); });
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TForm16::prepare(qint32 rowsRead, std::function<void(int firstRow, int lastRow)> save)
{
    rowsRead_ = rowsRead;
    save_ = std::move(save);
    const TextTable &list = events_;
    Edit1->setText(list.cell(ColEvent, 1));
    Edit2->setText(list.cell(ColEvent, MaxSave));
    Edit3->setText(rowDateTimeText(list, 1));
    Edit4->setText(rowDateTimeText(list, MaxSave));
    show();
}

void TForm16::Edit1Change() { designate(Edit1, Edit3, SaveFirstRow); }

void TForm16::Edit2Change() { designate(Edit2, Edit4, SaveLastRow); }

// The row of the typed event, counted on across the end of the ring from the
// event in row 1, and its date and time beside it.
void TForm16::designate(QLineEdit *e, QLineEdit *dateEdit, qint32 &row)
{
    if (e->text().isEmpty())
        return;
    const TextTable &list = events_;
    row = rowOfEvent(strToInt(e->text()), strToInt(list.cell(ColEvent, 1)));
    dateEdit->setText(rowDateTimeText(list, row));
}

void TForm16::refuse(QLineEdit *e, QLineEdit *dateEdit, const QString &text)
{
    e->clear();
    dateEdit->clear();
    op().messageBox(QStringLiteral("Upozornění"), text, MB_OK | MB_ICONEXCLAMATION);
}

// The piece must have been read, in reading order, and hold at most 10,000 rows.
void TForm16::Button1Click()
{
    const qint32 rows = rowsRead_;
    const QString notRead = QStringLiteral("Událost nebyla načtena ze zařízení.");
    if (SaveFirstRow > rows)
        refuse(Edit1, Edit3, notRead);
    else if (SaveLastRow > rows)
        refuse(Edit2, Edit4, notRead);
    else if (SaveLastRow < SaveFirstRow)
        refuse(Edit2, Edit4, QStringLiteral("Události je nutné ukládat v pořadí, v jakém byly načteny."));
    else if (SaveLastRow - SaveFirstRow + 1 > MaxSave)
        refuse(Edit2, Edit4, QStringLiteral("Najednou lze uložit maximálně 10 000 událostí."));
    else {
        if (save_)
            save_(SaveFirstRow, SaveLastRow);
        close();
    }
}
