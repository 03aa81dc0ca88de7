#pragma once
// Searching the records for a text.

#include <QWidget>

class TForm5 : public QWidget {
public:
    explicit TForm5(QWidget *parent = nullptr) : QWidget(parent, Qt::Window) { setWindowTitle(QStringLiteral("Vyhledat záznamy")); }
};
