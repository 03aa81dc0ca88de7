#pragma once
// The plain controls the windows are built of, named and placed as their
// windows list them. An editable edit takes only characters Windows-1250
// can hold, so what the operator types reaches the device as typed.

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, int x, int y);
// enabled = false: the edit only shows what the program puts there.
QLineEdit *addEdit(QWidget *parent, const char *name, const QRect &at, bool enabled);
QPushButton *addButton(QWidget *parent, const char *name, const QString &caption, const QRect &at);
