#pragma once
// A window showing one text file of the program folder in a wrapping text box
// that fills it. The text is read once, when the window is created; what the
// operator types into the box is never written back.

#include <QWidget>

class QPlainTextEdit;

class TextWindow : public QWidget {
    Q_OBJECT
public:
    struct Look {
        QString caption;
        QSize size;
        int fontPixels;
    };
    // Raises Error when the file cannot be read.
    TextWindow(const Look &look, const QString &fileName, QWidget *parent);

    QPlainTextEdit *Memo1;
};
