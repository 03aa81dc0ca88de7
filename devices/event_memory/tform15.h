#pragma once
// The progress window of an event read.

#include <QWidget>

class TForm15 : public QWidget {
public:
    explicit TForm15(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Načítání událostí z paměti TAVO-B")); }
};
