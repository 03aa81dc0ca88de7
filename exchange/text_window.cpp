#include "exchange/text_window.h"
#include "exchange/text_file.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TextWindow::TextWindow(const Look &look, const QString &fileName, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(look.caption);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(look.fontPixels);
    Memo1->setFont(font);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    resize(look.size);
    Memo1->setPlainText(loadTextFile(fileName));
}
