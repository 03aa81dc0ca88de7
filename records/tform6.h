#pragma once
// "Uživatelské nastavení": the operator's headings of the four record sets and
// the program password. Row 0 of each grid shows the headings of the program's
// start, row 1 the new ones; OK applies row 1 and writes the settings file.

#include "records/headings.h"

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class HeadingGrid;

class TForm6 : public QWidget {
    Q_OBJECT
public:
    TForm6(Headings &headings, QString settingsFile, std::function<void()> headingRefresh,
           QWidget *parent = nullptr);

    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8;
    HeadingGrid *StringGrid1;  // archive set, Headings row 1
    HeadingGrid *StringGrid2;  // working set, row 0
    HeadingGrid *StringGrid3;  // person list, row 2
    HeadingGrid *StringGrid4;  // device list, row 3
    QLineEdit *Edit1;          // old password
    QLineEdit *Edit2;          // new password
    QPushButton *Button1;
    QPushButton *Button2;

    // Applies the headings and the password change, saves, refreshes, hides.
    void Button1Click();
    // Hides; nothing changes.
    void Button2Click();

private:
    struct HeadingSet {
        HeadingGrid *grid;
        int row;  // of Headings
    };
    QList<HeadingSet> sets() const;
    void createControls();
    void nameControls();
    void layOut();
    void fillGrids();
    void applyHeadings();
    void applyPassword();

    Headings &headings_;
    QString settingsFile_;
    std::function<void()> headingRefresh_;
};
