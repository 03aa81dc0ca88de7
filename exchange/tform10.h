#pragma once
// "Nápověda programu TAVO": the operator's help from "TAVO-napoveda.txt" in the program folder.

#include "exchange/text_window.h"

class TForm10 : public TextWindow {
    Q_OBJECT
public:
    // programFolder ends with its separator. Raises Error when the file cannot be read.
    explicit TForm10(const QString &programFolder, QWidget *parent = nullptr);
};
