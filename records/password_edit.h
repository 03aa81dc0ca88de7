#pragma once
// The password fields of the settings and login windows.

class QLineEdit;

// Shows typed characters as "*" and keeps out characters that have no
// Windows-1250 byte (the password value is computed over those bytes).
void makePasswordEdit(QLineEdit *edit);
