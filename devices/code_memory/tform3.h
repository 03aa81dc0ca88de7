#pragma once
// The configuration of the selected device.

#include <QWidget>

class TForm3 : public QWidget {
public:
    explicit TForm3(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Konfigurace zařízení")); }
};
