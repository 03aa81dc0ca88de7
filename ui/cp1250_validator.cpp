#include "ui/cp1250_validator.h"
#include "core/cp1250.h"

QValidator::State Cp1250Validator::validate(QString &input, int &) const
{
    return fitsCp1250(input) ? Acceptable : Invalid;
}
