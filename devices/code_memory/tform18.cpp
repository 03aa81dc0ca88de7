#include "core/handler.h"
#include "devices/code_memory/tform18.h"
#include "ui/spin_button.h"
#include "ui/controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
constexpr int ModuleX[2] = {24, 152};  // the columns of relays 1..8 and 9..16
constexpr int FirstRelayY = 136;
constexpr int RelayStep = 30;

} // namespace

TForm18::TForm18(CodeMemory &cm, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), cm_(cm)
{
    setObjectName(QStringLiteral("Form18"));
    setWindowTitle(QStringLiteral("Test relé"));
    setFixedSize(275, 429);
    createModeControls();
    createRelayColumns();
    Button1 = new QPushButton(QStringLiteral("&Test"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry((width() - 75) / 2, 384, 75, 25);
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

// The mode group (no caption) with "Sepnutí" chosen, and to its right the
// seconds with their spin button.
void TForm18::createModeControls()
{
    RadioGroup1 = new QGroupBox(this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(8, 8, 161, 89);
    radioItems = new QButtonGroup(this);
    const QString captions[3] = {QStringLiteral("Překlápění (0)"), QStringLiteral("Sepnutí (1-254s)"),
                                 QStringLiteral("Blokování (255)")};
    for (int i = 0; i < 3; ++i) {
        RadioItem[i] = new QRadioButton(captions[i], RadioGroup1);
        RadioItem[i]->setGeometry(8, 10 + 24 * i, 149, 20);
        radioItems->addButton(RadioItem[i], i);
    }
    RadioItem[Seconds]->setChecked(true);
    connectHandler(radioItems, &QButtonGroup::idClicked, this, [this] { RadioGroup1Click(); });

    Edit1 = new QLineEdit(QStringLiteral("1"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(180, 44, 49, 21);
    connectHandler(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    CSpinButton1 = new CSpinButton(this);
    CSpinButton1->setObjectName(QStringLiteral("CSpinButton1"));
    CSpinButton1->setGeometry(229, 42, 17, 25);
    CSpinButton1->setFocusControl(Edit1);
    connectHandler(CSpinButton1, &CSpinButton::upClick, this, [this] { CSpinButton1UpClick(); });
    connectHandler(CSpinButton1, &CSpinButton::downClick, this, [this] { CSpinButton1DownClick(); });
}

// "1.modul" over relays 1..8 on the left, "2.modul" over 9..16 on the right.
void TForm18::createRelayColumns()
{
    Label1 = addLabel(this, "Label1", QStringLiteral("1.modul"), ModuleX[0], 112);
    Label2 = addLabel(this, "Label2", QStringLiteral("2.modul"), ModuleX[1], 112);
    CheckBox[0] = nullptr;
    for (int n = 1; n <= 16; ++n) {
        auto *c = new QCheckBox(QStringLiteral("Relé ") + QString::number(n), this);
        c->setObjectName(QStringLiteral("CheckBox%1").arg(n));
        c->move(ModuleX[(n - 1) / 8], FirstRelayY + (n - 1) % 8 * RelayStep);
        c->adjustSize();
        CheckBox[n] = c;
    }
}

int TForm18::itemIndex() const { return radioItems->checkedId(); }
