#pragma once
// The devices a network scan found.

#include <QWidget>

class TForm4 : public QWidget {
public:
    explicit TForm4(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Detekovaná zařízení")); }
};
