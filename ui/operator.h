#pragma once
// Qt's dialogs as the operator service (core/operator.h): the service the
// windowed program installs at its start.

#include "core/operator.h"

#include <QString>

class QPrinter;

class QtOperator : public Operator {
public:
    int messageBox(const QString &title, const QString &text, int flags) override;
    QString openFileName(const FileDialogRequest &request) override;
    QString saveFileName(const FileDialogRequest &request) override;
    bool printSetup(QPrinter &printer) override;
    bool printSetupPages(QPrinter &printer, int pageCount) override;
};

// "desc|pat|desc|pat" as a Qt name filter list.
QString qtNameFilters(const QString &pairs);
