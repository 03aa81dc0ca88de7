#pragma once
// The device clock.

#include <QWidget>

class TForm14 : public QWidget {
public:
    explicit TForm14(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Nastavení času TAVO-B")); }
};
