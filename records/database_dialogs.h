#pragma once
// "Uložit databázi" and "Načíst databázi": a name, OK and Storno. Both are
// shown beside the main window (not modal) and keep the name typed last.

#include <QWidget>

class Database;
class QLabel;
class QLineEdit;
class QPushButton;

class DatabaseNameForm : public QWidget {
    Q_OBJECT
public:
    QLabel *Label1;
    QLineEdit *Edit1;
    QPushButton *Button1;
    QPushButton *Button2;

    void Button1Click();
    void Button2Click() { hide(); }

protected:
    DatabaseNameForm(Database &db, const QString &caption, QWidget *parent);
    bool eventFilter(QObject *o, QEvent *e) override;
    virtual void apply(const QString &name) = 0;
    Database &db_;
};

class TForm9 : public DatabaseNameForm {
    Q_OBJECT
public:
    explicit TForm9(Database &db, QWidget *parent = nullptr);
    QLabel *Label2;

protected:
    void apply(const QString &name) override;
};

class TForm11 : public DatabaseNameForm {
    Q_OBJECT
public:
    explicit TForm11(Database &db, QWidget *parent = nullptr);

protected:
    void apply(const QString &name) override;
};
