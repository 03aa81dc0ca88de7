#include "exchange/tform10.h"

TForm10::TForm10(const QString &programFolder, QWidget *parent)
    : TextWindow({QStringLiteral("Nápověda programu TAVO"), QSize(486, 407), 15},
                 programFolder + QStringLiteral("TAVO-napoveda.txt"), parent)
{
}
