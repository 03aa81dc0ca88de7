#pragma once
// Saving rows of the event list.

#include <QWidget>

class TForm16 : public QWidget {
public:
    explicit TForm16(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Uložit události")); }
};
