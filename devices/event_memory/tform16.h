#pragma once
// "Uložit události": a list of more than 10,000 events is saved in pieces. The
// operator types the first and last event of a piece; beside each the window
// shows its date and time from the list; "&OK" checks the piece and saves it.
// Created once; the two rows it designates stay between uses.

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class TForm13;

class TForm16 : public QWidget {
public:
    explicit TForm16(TForm13 &reading, QWidget *parent = nullptr);

    QLabel *Label1, *Label2, *Label3;
    QLineEdit *Edit1, *Edit2;  // first and last event to save
    QLineEdit *Edit3, *Edit4;  // their dates (disabled)
    QPushButton *Button1;      // "&OK"

    qint32 SaveFirstRow = 0;
    qint32 SaveLastRow = 0;

    // Rows 1 and 10,000 of a long list designated, then shown.
    void prepare();
    void Edit1Change();
    void Edit2Change();
    void Button1Click();

private:
    void designate(QLineEdit *edit, QLineEdit *dateEdit, qint32 &row);
    void refuse(QLineEdit *edit, QLineEdit *dateEdit, const QString &text);

    TForm13 &reading_;
};
