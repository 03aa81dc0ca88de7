#include "core/handler.h"
#include "devices/code_memory/tform3.h"
#include "link/link.h"
#include "devices/code_memory/code_memory.h"
#include "core/error.h"
#include "ui/controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QLineEdit *edit(QWidget *parent, const char *name, int x, int y, int width, const QString &hint = QString())
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(x, y, width, 21);
    e->setToolTip(hint);
    return e;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int x, int width)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, 176, width, 25);
    return b;
}
} // namespace

TForm3::TForm3(CodeMemory &cm, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), cm_(cm)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Konfigurace zařízení"));
    setFixedSize(417, 215);
    createLabels();
    createEdits();
    createButtons();
}

void TForm3::createLabels()
{
    Label4 = addLabel(this, "Label4", QStringLiteral("Chystáte se konfigurovat zařízení"), 10, 20);
    Label4->setMinimumWidth(397);
    Label1 = addLabel(this, "Label1", QStringLiteral("Síťová adresa"), 10, 59);
    Label2 = addLabel(this, "Label2", QStringLiteral("Čas relé"), 114, 59);
    Label3 = addLabel(this, "Label3", QStringLiteral("Počet kódů"), 189, 59);
    Label6 = addLabel(this, "Label6", QStringLiteral("Nové hodnoty (ze zařízení)"), 258, 87);
    Label5 = addLabel(this, "Label5", QStringLiteral("Staré hodnoty (z databáze)"), 258, 137);
}

void TForm3::createEdits()
{
    Edit1 = edit(this, "Edit1", 30, 79, 51,
                 QStringLiteral("0-255 Hodnota z výroby je 255. Všechna zařízení v síti musí mít jiné hodnoty."));
    Edit2 = edit(this, "Edit2", 114, 79, 51,
                 QStringLiteral("Délka spínání relé 1-254 sec. 0 znamená překlápění. 255 vyřadí relé."));
    Edit3 = edit(this, "Edit3", 199, 79, 50,
                 QStringLiteral("0-512 Malá hodnota urychlí vyhledání kódu v zařízení. Velká hodnota omezí "
                                "přidávání kódů pomocí master kódu."));
    Edit4 = edit(this, "Edit4", 30, 129, 51);
    Edit5 = edit(this, "Edit5", 114, 129, 51);
    Edit6 = edit(this, "Edit6", 199, 129, 50);
    for (QLineEdit *e : {Edit4, Edit5, Edit6})
        e->setEnabled(false);
}

void TForm3::createButtons()
{
    Button1 = button(this, "Button1", QStringLiteral("Uložit &Nové hodnoty"), 10, 150);
    Button2 = button(this, "Button2", QStringLiteral("&Uložit staré hodnoty"), 167, 150);
    Button3 = button(this, "Button3", QStringLiteral("&Storno"), 325, 82);
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connectHandler(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connectHandler(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

void TForm3::Button1Click()
{
    if (cm_.configurationWrite(Edit1->text(), Edit2->text(), Edit3->text()))
        close();
}

void TForm3::Button2Click()
{
    if (cm_.configurationWrite(Edit4->text(), Edit5->text(), Edit6->text()))
        close();
}

void TForm3::showValues(const QString &heading, const std::optional<DeviceConfig> &device)
{
    Label4->setText(heading);
    Label4->adjustSize();
    if (device) {
        Edit1->setText(QString::number(device->address));
        Edit2->setText(QString::number(device->relayTime));
        Edit3->setText(QString::number(device->codeCount));
    }
    const Link &link = cm_.link;
    Edit4->setText(QString::number(link.currentAddress));
    Edit5->setText(QString::number(link.relayTime));
    Edit6->setText(QString::number(link.codeCount));
    show();
}

void TForm3::Button3Click() { close(); }
