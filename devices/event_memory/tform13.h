#pragma once
// The event range of a device and the event list read from it.

#include <QWidget>

class TForm13 : public QWidget {
public:
    explicit TForm13(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Čtení událostí z paměti TAVO-B")); }
};
