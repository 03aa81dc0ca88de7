#include "core/cp1250.h"
#include "core/codepage.h"

QByteArray toCp1250(const QString &text) { return CodePage::windows1250().encodeLossy(text); }

QString fromCp1250(const char *bytes, int size) { return CodePage::windows1250().decode(bytes, size); }

QString fromCp1250(const QByteArray &bytes) { return fromCp1250(bytes.constData(), int(bytes.size())); }

bool fitsCp1250(const QString &text) { return CodePage::windows1250().fits(text); }
