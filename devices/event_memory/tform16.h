#pragma once
// "Uložit události": a list of more than 10,000 events is saved in pieces. The
// operator types the first and last event of a piece; beside each the window
// shows its date and time from the list; "&OK" checks the piece and saves it.
// Created once; the two rows it designates stay between uses.

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class TextTable;

class TForm16 : public QWidget {
public:
    // The event list it designates rows of; the reading window owns it.
    explicit TForm16(const TextTable &events, QWidget *parent = nullptr);

    QLabel *Label1, *Label2, *Label3;
    QLineEdit *Edit1, *Edit2;  // first and last event to save
    QLineEdit *Edit3, *Edit4;  // their dates (disabled)
    QPushButton *Button1;      // "&OK"

    qint32 SaveFirstRow = 0;
    qint32 SaveLastRow = 0;

    // Rows 1 and 10,000 of a long list of `rowsRead` rows designated, then
    // shown; "&OK" hands a sound piece to `save`.
    void prepare(qint32 rowsRead, std::function<void(int firstRow, int lastRow)> save);
    void Edit1Change();
    void Edit2Change();
    void Button1Click();

private:
    void designate(QLineEdit *edit, QLineEdit *dateEdit, qint32 &row);
    void refuse(QLineEdit *edit, QLineEdit *dateEdit, const QString &text);

    const TextTable &events_;
    qint32 rowsRead_ = 0;
    std::function<void(int, int)> save_;
};
