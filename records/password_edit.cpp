#include "records/password_edit.h"
#include "ui/cp1250_validator.h"

#include <QLineEdit>
#include <QValidator>

void makePasswordEdit(QLineEdit *edit)
{
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    edit->setValidator(new Cp1250Validator(edit));
}
