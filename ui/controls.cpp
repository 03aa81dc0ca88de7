#include "ui/controls.h"
#include "ui/cp1250_validator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit *addEdit(QWidget *parent, const char *name, const QRect &at, bool enabled)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(at);
    e->setEnabled(enabled);
    if (enabled)
        e->setValidator(new Cp1250Validator(e));
    return e;
}

QPushButton *addButton(QWidget *parent, const char *name, const QString &caption, const QRect &at)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(at);
    return b;
}
