#pragma once
// The progress window of the long transfers and of the network scan; each use sets its caption.

#include <QWidget>

class TForm2 : public QWidget {
public:
    explicit TForm2(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Form2")); }
};
