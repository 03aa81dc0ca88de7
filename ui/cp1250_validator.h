#pragma once
// Keeps characters out of an editor that the program's files could not hold
// (Windows-1250), so nothing typed is ever silently replaced on writing.

#include <QValidator>

class Cp1250Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
