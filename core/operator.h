#pragma once
// Everything the program asks of the operator goes through one service:
// message boxes, file dialogs and the print dialog. The windowed program
// installs Qt's dialogs (ui/operator.h), a program without windows the
// console service below, tests a script of answers.

#include <QString>

class QPrinter;

enum MessageFlags {
    MB_OK = 0x00,
    MB_YESNO = 0x04,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum MessageAnswer { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct FileDialogRequest {
    QString title;
    QString filter;      // pairs of description and pattern separated by "|"
    QString defaultExt;  // without the dot
    QString initialDir;
    QString fileName;
};

class Operator {
public:
    virtual ~Operator() = default;
    virtual int messageBox(const QString &title, const QString &text, int flags) = 0;
    // The chosen file's full name, or an empty text when cancelled.
    virtual QString openFileName(const FileDialogRequest &request) = 0;
    virtual QString saveFileName(const FileDialogRequest &request) = 0;
    // Lets the operator set up the printer; false when cancelled.
    virtual bool printSetup(QPrinter &printer) = 0;
    // The same for a document of pageCount pages: the dialog offers the pages
    // 1 ... pageCount. A service that shows no dialog sets up as printSetup.
    virtual bool printSetupPages(QPrinter &printer, int pageCount)
    {
        (void)pageCount;
        return printSetup(printer);
    }
};

// The service of a program nobody sits at: every message goes to standard
// error as "title: text", a question is answered No, a file or print dialog
// is cancelled.
class ConsoleOperator : public Operator {
public:
    int messageBox(const QString &title, const QString &text, int flags) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    bool printSetup(QPrinter &printer) override;
};

// The service in force: the one installed last, or the console service while
// none is. Installing one (or none) makes the error box below the error
// guard's reporter; the program installs its service before anything can ask.
Operator &op();
void setOperator(Operator *o);

// The default error box: title "TAVO", the text with the "." rule, flags 16.
// Installed as the error guard's reporter as soon as the service is in use.
void showErrorBox(const QString &message);
