#pragma once
// The Setup dialog: port and line parameters, applied together on "OK".

#include "link/port_settings.h"

#include <QDialog>
#include <functional>

class Link;
class QComboBox;
class QPushButton;

class PortSetupDialog : public QDialog {
    Q_OBJECT
public:
    PortSetupDialog(const PortSettings &inForce, const QStringList &systemPorts, QWidget *parent = nullptr);

    // The settings in force with the six selections in their place.
    PortSettings selected() const;

    QComboBox *portBox;
    QComboBox *baudRateBox;
    QComboBox *dataBitsBox;
    QComboBox *stopBitsBox;
    QComboBox *parityBox;
    QComboBox *flowControlBox;
    QPushButton *okButton;
    QPushButton *cancelButton;

    // When set, runPortSetup calls it instead of exec(); it returns the dialog's result.
    static std::function<int(PortSetupDialog &)> execHook;

private:
    PortSettings inForce_;
};

// The system's ports and the port in force, sorted by name.
QStringList portChoices(const QStringList &systemPorts, const QString &inForce);

// The menu's "Nastavení komunikace": shows the dialog, applies the choice on
// "OK", and stores the settings in force to iniPath whichever button closed it.
void runPortSetup(Link &link, const QString &iniPath, QWidget *parent);
