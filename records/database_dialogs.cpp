#include "core/handler.h"
#include "records/database_dialogs.h"
#include "records/database.h"
#include "core/error.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

DatabaseNameForm::DatabaseNameForm(Database &db, const QString &caption, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      db_(db)
{
    setWindowTitle(caption);
    Label1 = new QLabel(QStringLiteral("Zadejte název databáze:"), this);
    Edit1 = new QLineEdit(this);
    Label1->setBuddy(Edit1);
    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button2 = new QPushButton(QStringLiteral("&Storno"), this);
    // The name is a prefix of file names in the database folder: no folder
    // separators, and only characters the file names' code page can hold.
    Edit1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^/\\\\:]*")), Edit1));
    Edit1->installEventFilter(this);
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connectHandler(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void DatabaseNameForm::Button1Click()
{
    apply(Edit1->text());
    hide();
}

bool DatabaseNameForm::eventFilter(QObject *o, QEvent *e)
{
    if (o == Edit1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            guarded([this] { Button1Click(); });
            return true;
        }
        if (key == Qt::Key_Escape) {
            Button2Click();
            return true;
        }
    }
    return QWidget::eventFilter(o, e);
}

namespace {
void layOut(QWidget *w, const QList<QWidget *> &rows, QPushButton *ok, QPushButton *cancel)
{
    auto *v = new QVBoxLayout(w);
    for (QWidget *r : rows)
        v->addWidget(r);
    auto *h = new QHBoxLayout;
    h->addStretch();
    h->addWidget(ok);
    h->addWidget(cancel);
    v->addLayout(h);
    w->setFixedSize(w->sizeHint().expandedTo(QSize(300, 0)));
}
} // namespace

TForm9::TForm9(Database &db, QWidget *parent) : DatabaseNameForm(db, QStringLiteral("Uložit databázi"), parent)
{
    Label2 = new QLabel(QStringLiteral("V názvu používejte pouze znaky anglické abecedy."), this);
    layOut(this, {Label1, Edit1, Label2}, Button1, Button2);
}

void TForm9::apply(const QString &name) { db_.SaveDatabaseAs(name); }

TForm11::TForm11(Database &db, QWidget *parent) : DatabaseNameForm(db, QStringLiteral("Načíst databázi"), parent)
{
    layOut(this, {Label1, Edit1}, Button1, Button2);
}

void TForm11::apply(const QString &name) { db_.LoadDatabase(name); }

// Going to a record the search found: the main window's "Seřadit podle
// příjmení" is off while the person list looks the key up, so it lives with
// the windows.
void Database::GotoRecord(const QString &tableName, const QString &key)
{
    if (Table1.tableName() == tableName) {
        Table1.setIndexFieldNames(QStringLiteral("SE0"));
        Table1.findKey(key);
    }
    if (Table2.tableName() == tableName) {
        const bool sorted = CheckBox1.isOn && CheckBox1.isOn();
        if (CheckBox1.turn)
            CheckBox1.turn(false);
        Table2.setIndexFieldNames(QStringLiteral("OS1"));
        Table2.findKey(key);
        if (sorted) {
            CheckBox1.turn(true);
            Table2.setIndexFieldNames(QStringLiteral("OS2"));
        }
    }
    if (Table3.tableName() == tableName) {
        Table3.setIndexFieldNames(QStringLiteral("ZA1"));
        Table3.findKey(key);
        Table3.setIndexFieldNames(QStringLiteral("ZA2"));
    }
}
