#include "app/program.h"
#include "app/tform1.h"
#include "core/error.h"
#include "ui/operator.h"

#include <QApplication>
#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TAVO"));
    setUpFonts();
    std::unique_ptr<Program> program;
    try {
        program = std::make_unique<Program>(QCoreApplication::applicationFilePath());
    } catch (const std::exception &e) {
        showErrorBox(QString::fromUtf8(e.what()));
        return 1;
    }
    program->form1()->show();
    return app.exec();
}
