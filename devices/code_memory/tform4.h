#pragma once
// "Detekovaná zařízení": the devices a network scan found (the list the
// code-memory state keeps), one row each in the order found. The operator may correct the cells, then append the rows to the
// device list or make them the new device list.

#include <QList>
#include <QWidget>

class CodeMemory;
class QPushButton;
class TextGrid;

class TForm4 : public QWidget {
public:
    // deviceListViews: the main window's device-list grid and navigator,
    // hidden while rows are added.
    TForm4(CodeMemory &cm, QList<QWidget *> deviceListViews, QWidget *parent = nullptr);

    TextGrid *StringGrid1;
    QPushButton *Button1;  // "&Vytvořit z tabulky nový seznam zařízení"
    QPushButton *Button2;  // "&Přidat tabulku do seznamu zařízení"
    QPushButton *Button3;  // "&Storno"


    void Button1Click();
    void Button2Click();
    void Button3Click() { close(); }

private:
    void appendDevices();

    CodeMemory &cm_;
    QList<QWidget *> deviceListViews_;
};
