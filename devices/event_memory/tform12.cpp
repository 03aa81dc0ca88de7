#include "devices/event_memory/tform12.h"

#include "core/handler.h"
#include "ui/controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>


namespace {
// The three columns: identification, first event, last event.
constexpr int IdX = 88, IdW = 161;
constexpr int FirstX = 264, LastX = 408, NumberW = 129;
constexpr int HeadY = 12, InputY = 30, ButtonY = 58, CardY = 124, DeviceY = 164;
} // namespace

TForm12::TForm12(Link &link, std::function<void()> selectDevice, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), job(link), link_(link),
      selectDevice_(std::move(selectDevice))
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Aktivace paměti událostí v TAVO-B"));
    setFixedSize(549, 231);
    createControls();
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connectHandler(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connectHandler(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connectHandler(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    job.onStep = [this](int step, const MemorySetup::HeaderTexts &t) { showStep(step, t); };
}

// Each column: its heading, the value to write, its buttons, then the values
// read from the card and from the device, the rows labelled on the left.
void TForm12::createControls()
{
    Label1 = addLabel(this, "Label1", QStringLiteral("Identifikační číslo"), IdX, HeadY);
    Label3 = addLabel(this, "Label3", QStringLiteral("Číslo první události"), FirstX, HeadY);
    Label2 = addLabel(this, "Label2", QStringLiteral("Číslo poslední události"), LastX, HeadY);

    Edit3 = addEdit(this, "Edit3", {IdX, InputY, IdW, 21}, true);
    Edit1 = addEdit(this, "Edit1", {FirstX, InputY, NumberW, 21}, true);
    Edit2 = addEdit(this, "Edit2", {LastX, InputY, NumberW, 21}, true);

    Button4 = addButton(this, "Button4", QStringLiteral("&Generovat"), {IdX, ButtonY, 78, 25});
    Button3 = addButton(this, "Button3", QStringLiteral("&Zapsat"), {IdX + IdW - 78, ButtonY, 78, 25});
    Button2 = addButton(this, "Button2", QStringLiteral("&Startovní hodnoty"), {FirstX, ButtonY, NumberW, 25});
    Button1 = addButton(this, "Button1", QStringLiteral("Zapsa&t"), {LastX, ButtonY, NumberW, 25});

    Label4 = addLabel(this, "Label4", QStringLiteral("v MMC"), 16, CardY + 3);
    Edit6 = addEdit(this, "Edit6", {IdX, CardY, IdW, 21}, false);
    Edit4 = addEdit(this, "Edit4", {FirstX, CardY, NumberW, 21}, false);
    Edit5 = addEdit(this, "Edit5", {LastX, CardY, NumberW, 21}, false);

    Label5 = addLabel(this, "Label5", QStringLiteral("v TAVO-B"), 16, DeviceY + 3);
    Edit9 = addEdit(this, "Edit9", {IdX, DeviceY, IdW, 21}, false);
    Edit7 = addEdit(this, "Edit7", {FirstX, DeviceY, NumberW, 21}, false);
    Edit8 = addEdit(this, "Edit8", {LastX, DeviceY, NumberW, 21}, false);
}
