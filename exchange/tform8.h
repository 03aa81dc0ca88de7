#pragma once
// "TAVO verze 21": the about text from "TAVO-oprogramu.txt" in the program folder.

#include "exchange/text_window.h"

class TForm8 : public TextWindow {
    Q_OBJECT
public:
    // programFolder ends with its separator. Raises Error when the file cannot be read.
    explicit TForm8(const QString &programFolder, QWidget *parent = nullptr);
};
