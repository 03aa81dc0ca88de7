#pragma once
// Switching the relays of a device.

#include <QWidget>

class TForm18 : public QWidget {
public:
    explicit TForm18(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Test relé")); }
};
