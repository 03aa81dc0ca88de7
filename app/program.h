#pragma once
// The program's eighteen windows, created once at start in their fixed order
// and kept until the program ends (a closed dialog is only hidden).

#include <QList>
#include <QString>
#include <memory>

class QWidget;
class SerialPort;
class TForm1;

class Program {
public:
    // Creates the windows; raises the error of a window that cannot be created.
    // Without a port the program talks through the real serial port.
    explicit Program(const QString &exePath, std::unique_ptr<SerialPort> port = nullptr);
    ~Program();

    TForm1 *form1() const { return form1_; }
    // Every window, in the order of creation.
    const QList<QWidget *> &windows() const { return windows_; }
    // The window of class W (each class has one window); null when there is none.
    template <class W> W *window() const
    {
        for (QWidget *w : windows_)
            if (auto *typed = dynamic_cast<W *>(w))
                return typed;
        return nullptr;
    }

private:
    template <class W, class... Args> W *create(Args &&...args);
    void deleteWindows();
    TForm1 *form1_ = nullptr;
    QList<QWidget *> windows_;
};

// Loads the window font (a Tahoma-like face where one is installed).
void setUpFonts();
