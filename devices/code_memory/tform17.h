#pragma once
// The codes presented to a device last.

#include <QWidget>

class TForm17 : public QWidget {
public:
    explicit TForm17(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Naposledy přiložené kódy")); }
};
