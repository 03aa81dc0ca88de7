#pragma once
// Setting up the event memory of a device.

#include <QWidget>

class TForm12 : public QWidget {
public:
    explicit TForm12(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Aktivace paměti událostí v TAVO-B")); }
};
