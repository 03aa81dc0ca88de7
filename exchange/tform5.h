#pragma once
// "Vyhledat záznamy": finds records of the archive set, the person list or
// the device list by a piece of text in one column, lists them sorted by a
// chosen column, and makes a found record the current record of the main
// window's table. Shown beside the main window (not modal); keeps its state
// while hidden.

#include "exchange/record_query.h"

#include <QWidget>
#include <memory>

class Database;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableView;
class QToolButton;
struct Headings;

class TForm5 : public QWidget {
    Q_OBJECT
public:
    TForm5(Database &db, const Headings &headings, QWidget *parent = nullptr);
    ~TForm5() override;

    // The search context.
    int setNumber = 2;  // 1 archive set, 2 person list, 3 device list
    QString prefix = QStringLiteral("OS");
    QString tableName;
    QString pattern;

    QLabel *Label1, *Label2, *Label3, *Label4;
    QLineEdit *Edit1;
    QToolButton *SpeedButton1, *SpeedButton2;
    QGroupBox *RadioGroup1;
    QList<QRadioButton *> RadioGroup1Items;
    QComboBox *ComboBox1, *ComboBox2, *ComboBox3;
    QTableView *DBGrid1;
    // The open result; null before the first search and after a failed one.
    QueryResult *result() const { return result_.get(); }
    // The three lines of the last search.
    QString sqlText;

    int RadioGroup1ItemIndex() const;
    void Image1Click();
    void Image2Click();
    void ComboBox3Change();

private:
    void fillChoosers(int fields, int chosen);

    Database &db_;
    const Headings &headings_;
    std::unique_ptr<QueryResult> result_;
};
