#include "app/program.h"
#include "app/tform1.h"
#include "core/error.h"
#include "records/file_lock.h"
#include "ui/operator.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Qt's dialogs answer for the operator before anything can ask.
    QtOperator dialogs;
    setOperator(&dialogs);
    QApplication::setApplicationName(QStringLiteral("TAVO"));
    setUpFonts();
    // One program per program folder: a second start is refused before the
    // login, before anything is read or written.
    const QString folder = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
    const qintptr folderLock = lockFolder(folder);
    if (folderLock == -1) {
        op().messageBox(QStringLiteral("Upozornění"),
                        QStringLiteral("Program TAVO je již spuštěn ze složky ") + QDir::toNativeSeparators(folder) +
                            QStringLiteral(". Dvě spuštění nad jednou složkou by si navzájem přepisovala data."),
                        MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    std::unique_ptr<Program> program;
    try {
        program = std::make_unique<Program>(QCoreApplication::applicationFilePath());
    } catch (const std::exception &e) {
        showErrorBox(QString::fromUtf8(e.what()));
        return 1;
    }
    program->form1()->show();
    const int exitCode = app.exec();
    program.reset();
    releaseFolder(folderLock);
    return exitCode;
}
