#include "ui/operator.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringList>

namespace {
QWidget *dialogParent() { return QApplication::activeWindow(); }

QMessageBox::Icon iconFor(int flags)
{
    switch (flags & 0xF0) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QString startDir(const FileDialogRequest &r)
{
    if (!r.fileName.isEmpty())
        return r.fileName;
    return QDir(r.initialDir).exists() ? r.initialDir : QDir::homePath();
}

QString withDefaultExt(QString name, const FileDialogRequest &r)
{
    if (!name.isEmpty() && !r.defaultExt.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + r.defaultExt;
    return name;
}
} // namespace

QString qtNameFilters(const QString &pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i].section(QLatin1String(" ("), 0, 0), parts[i + 1]);
    return out.join(QLatin1String(";;"));
}

int QtOperator::messageBox(const QString &title, const QString &text, int flags)
{
    QMessageBox box(iconFor(flags), title, text, QMessageBox::NoButton, dialogParent());
    if ((flags & 0x0F) == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ano"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Ne"));
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return IDOK;
}

QString QtOperator::openFileName(const FileDialogRequest &r)
{
    return QFileDialog::getOpenFileName(dialogParent(), r.title, startDir(r), qtNameFilters(r.filter));
}

QString QtOperator::saveFileName(const FileDialogRequest &r)
{
    return withDefaultExt(QFileDialog::getSaveFileName(dialogParent(), r.title, startDir(r), qtNameFilters(r.filter)), r);
}

bool QtOperator::printSetup(QPrinter &printer) { return printSetupPages(printer, 0); }

// The range's bounds live in the dialog, not in the printer: set here.
bool QtOperator::printSetupPages(QPrinter &printer, int pageCount)
{
    QPrintDialog dialog(&printer, dialogParent());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (pageCount > 0)
        dialog.setMinMax(1, pageCount);
    return dialog.exec() == QDialog::Accepted;
}
