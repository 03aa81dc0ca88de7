#pragma once
// The operator under test: answers come from a script, everything shown is recorded.

#include "ui/operator.h"

#include <QList>
#include <QString>
#include <QStringList>

struct ShownMessage {
    QString title;
    QString text;
    int flags = 0;
};

class ScriptedOperator : public Operator {
public:
    ScriptedOperator();   // installs itself
    ~ScriptedOperator() override;  // leaves the console service in force

    QList<ShownMessage> shown;
    QList<int> answers;          // for questions, in order; IDYES when the script runs out
    QStringList fileNames;       // for file dialogs, in order; "" (cancel) when it runs out
    QList<FileDialogRequest> fileRequests;
    bool printAccepted = true;
    int printRequests = 0;

    int messageBox(const QString &title, const QString &text, int flags) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    bool printSetup(QPrinter &printer) override;

    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
};
