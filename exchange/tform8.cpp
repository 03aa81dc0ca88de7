#include "exchange/tform8.h"

TForm8::TForm8(const QString &programFolder, QWidget *parent)
    : TextWindow({QStringLiteral("TAVO verze 21"), QSize(488, 404), 18},
                 programFolder + QStringLiteral("TAVO-oprogramu.txt"), parent)
{
}
