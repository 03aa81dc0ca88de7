#include "records/password_edit.h"
#include "core/cp1250.h"

#include <QLineEdit>
#include <QValidator>

namespace {
class Cp1250Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override { return fitsCp1250(input) ? Acceptable : Invalid; }
};
} // namespace

void makePasswordEdit(QLineEdit *edit)
{
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    edit->setValidator(new Cp1250Validator(edit));
}
