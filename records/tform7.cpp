#include "core/handler.h"
#include "records/tform7.h"
#include "records/password_edit.h"
#include "records/user_settings.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

TForm7::TForm7(QString &enteredPasswordValue, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      entered_(enteredPasswordValue)
{
    setWindowTitle(QStringLiteral("Zadejte heslo"));
    Edit1 = new QLineEdit(this);
    makePasswordEdit(Edit1);
    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setAutoDefault(false);  // Enter in Edit1 submits once, through returnPressed
    auto *row = new QHBoxLayout(this);
    row->addWidget(Edit1, 1);
    row->addWidget(Button1);
    setFixedSize(260, 56);
    Edit1->setFocus();  // the window's first focus: the dialog hands it over as it is shown
    Edit1->installEventFilter(this);
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connectHandler(Edit1, &QLineEdit::returnPressed, this, [this] { Button1Click(); });
}

void TForm7::submit() { entered_ = passwordValue(Edit1->text()); }

void TForm7::Button1Click()
{
    submit();
    close();
}

void TForm7::Edit1Enter() { Button1Click(); }

// When the window is first displayed its password field takes the focus and
// submits the empty text; the window stays open for the operator to type.
// That first focus may arrive after the window is shown: it is part of the display.
void TForm7::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (e->spontaneous() || shownBefore_)
        return;
    shownBefore_ = true;
    firstFocusPending_ = !Edit1->hasFocus();
    submit();
}

// Only the operator moving into the field submits: focus coming back with the
// window's activation or after a context menu does not.
bool TForm7::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Edit1 && e->type() == QEvent::FocusIn && isVisible()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(e)->reason();
        if (firstFocusPending_)
            firstFocusPending_ = false;
        else if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Edit1Enter();
    }
    return QDialog::eventFilter(watched, e);
}

// Submission, the close box and Escape all end here.
void TForm7::done(int result)
{
    const bool wasOpen = isVisible();
    QDialog::done(result);
    if (wasOpen)
        emit closed();
}
