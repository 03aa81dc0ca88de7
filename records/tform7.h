#pragma once
// "Zadejte heslo": the login window. It writes the value of the typed password
// into the main window's entered password value; the main window decides the
// login when this window closes.

#include <QDialog>

class QLineEdit;
class QPushButton;

class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QString &enteredPasswordValue, QWidget *parent = nullptr);

    QLineEdit *Edit1;
    QPushButton *Button1;

    // Submits the password: sets the entered value and closes the window.
    void Button1Click();
    // Edit1 receiving the focus from the operator submits too.
    void Edit1Enter();

    void done(int result) override;

signals:
    // Once every time the window closes, however it is closed.
    void closed();

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void submit();

    QString &entered_;
    bool shownBefore_ = false;
    bool firstFocusPending_ = false;
};
