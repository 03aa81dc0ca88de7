#include "core/handler.h"
#include "link/port_setup_dialog.h"
#include "link/link.h"
#include "link/port_ini.h"
#include "link/qt_serial_port.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <tuple>

std::function<int(PortSetupDialog &)> PortSetupDialog::execHook;

namespace {
// "COM2" before "COM10": the name without its trailing number, then the number.
std::tuple<QString, qint64, QString> portSortKey(const QString &name)
{
    static const QRegularExpression tail(QStringLiteral("^(.*?)([0-9]{1,18})$"));
    const QRegularExpressionMatch m = tail.match(name);
    if (!m.hasMatch())
        return {name.toLower(), -1, name};
    return {m.captured(1).toLower(), m.captured(2).toLongLong(), name};
}

QComboBox *addRow(QGridLayout *grid, const QString &label, const QStringList &items, const QString &current)
{
    auto *box = new QComboBox;
    box->addItems(items);
    box->setCurrentIndex(std::max(0, box->findText(current, Qt::MatchFixedString)));
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(label), row, 0);
    grid->addWidget(box, row, 1);
    return box;
}
}  // namespace

QStringList portChoices(const QStringList &systemPorts, const QString &inForce)
{
    QStringList names = systemPorts;
    if (!names.contains(inForce, Qt::CaseInsensitive))
        names << inForce;
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return portSortKey(a) < portSortKey(b); });
    return names;
}

PortSetupDialog::PortSetupDialog(const PortSettings &inForce, const QStringList &systemPorts, QWidget *parent)
    : QDialog(parent), inForce_(inForce)
{
    setWindowTitle(QStringLiteral("Setup"));
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    auto *group = new QGroupBox(QStringLiteral(" Settings "));
    auto *grid = new QGridLayout(group);
    portBox = addRow(grid, QStringLiteral("Port"), portChoices(systemPorts, inForce.port), inForce.port);
    baudRateBox = addRow(grid, QStringLiteral("Baud rate"), baudRateTexts(), inForce.baudRate);
    dataBitsBox = addRow(grid, QStringLiteral("Data bits"), dataBitsTexts(), inForce.dataBits);
    stopBitsBox = addRow(grid, QStringLiteral("Stop bits"), stopBitsTexts(), inForce.stopBits);
    parityBox = addRow(grid, QStringLiteral("Parity"), parityTexts(), inForce.parity);
    flowControlBox = addRow(grid, QStringLiteral("Flow control"), flowControlTexts(), flowKind(inForce.flow));

    okButton = new QPushButton(QStringLiteral("OK"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"));
    connectHandler(okButton, &QPushButton::clicked, this, [this] { accept(); });
    connectHandler(cancelButton, &QPushButton::clicked, this, [this] { reject(); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    setFixedSize(231, 216);
    move(screen()->availableGeometry().center() - rect().center());
}

PortSettings PortSetupDialog::selected() const
{
    PortSettings s = inForce_;
    s.port = portBox->currentText();
    s.baudRate = baudRateBox->currentText();
    s.dataBits = dataBitsBox->currentText();
    s.stopBits = stopBitsBox->currentText();
    s.parity = parityBox->currentText();
    applyFlowKind(s.flow, flowControlBox->currentText());
    return s;
}

void runPortSetup(Link &link, const QString &iniPath, QWidget *parent)
{
    PortSetupDialog dialog(link.settings(), QtSerialPort::availablePortNames(), parent);
    const int result = PortSetupDialog::execHook ? PortSetupDialog::execHook(dialog) : dialog.exec();
    try {
        if (result == QDialog::Accepted)
            link.applySettings(dialog.selected());
    } catch (...) {
        storePortSettings(iniPath, link.settings());  // the new settings are in force even when the port refused them
        throw;
    }
    storePortSettings(iniPath, link.settings());
}
