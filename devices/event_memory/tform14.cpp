#include "devices/event_memory/tform14.h"

#include "core/handler.h"
#include "ui/controls.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>


TForm14::TForm14(Link &link, std::function<void()> selectDevice, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), link_(link), clock_(link),
      selectDevice_(std::move(selectDevice))
{
    setObjectName(QStringLiteral("Form14"));
    setWindowTitle(QStringLiteral("Nastavení času TAVO-B"));
    setFixedSize(406, 186);
    createControls();
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connectHandler(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    Timer1.setOnTimer([this] { Timer1Timer(); });
}

// Three rows of a label over an edit: the PC's time and the typed time each
// with its write button, the device's time with its drift; the summer-time
// check box at the bottom.
void TForm14::createControls()
{
    Label1 = addLabel(this, "Label1", QStringLiteral("Systémový čas v PC"), 16, 8);
    Edit1 = addEdit(this, "Edit1", {16, 24, 175, 21}, false);
    Button1 = addButton(this, "Button1", QStringLiteral("&Zapsat do TAVO-B"), {204, 22, 185, 25});
    Label2 = addLabel(this, "Label2", QStringLiteral("Ručně zadaný čas"), 16, 56);
    Edit2 = addEdit(this, "Edit2", {16, 72, 175, 21}, true);
    Button2 = addButton(this, "Button2", QStringLiteral("Zapsa&t do TAVO-B"), {204, 70, 185, 25});
    Label3 = addLabel(this, "Label3", QStringLiteral("Aktuální čas v TAVO-B"), 16, 104);
    Edit3 = addEdit(this, "Edit3", {16, 120, 175, 21}, false);
    Label4 = addLabel(this, "Label4", QString(), 204, 123);
    Label4->resize(196, Label4->height());
    CheckBox1 = new QCheckBox(QStringLiteral("Automaticky počítat s přechodem na letní čas a zpět"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->move(16, 156);
    CheckBox1->adjustSize();
    CheckBox1->setChecked(true);
}

bool TForm14::summerSetting() const { return CheckBox1->isChecked(); }

void TForm14::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    guarded([this] { FormShow(); });
}

void TForm14::closeEvent(QCloseEvent *e)
{
    guarded([this] { FormClose(); });
    e->accept();
}
