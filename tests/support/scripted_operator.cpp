#include "tests/support/scripted_operator.h"

ScriptedOperator::ScriptedOperator() { setOperator(this); }

ScriptedOperator::~ScriptedOperator() { setOperator(nullptr); }

int ScriptedOperator::messageBox(const QString &title, const QString &text, int flags)
{
    shown.append({title, text, flags});
    if ((flags & 0x0F) == MB_YESNO)
        return answers.isEmpty() ? IDYES : answers.takeFirst();
    return IDOK;
}

QString ScriptedOperator::openFileName(const FileDialogRequest &request)
{
    fileRequests.append(request);
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString ScriptedOperator::saveFileName(const FileDialogRequest &request) { return openFileName(request); }

bool ScriptedOperator::printSetup(QPrinter &)
{
    ++printRequests;
    return printAccepted;
}
