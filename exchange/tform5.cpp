#include "exchange/tform5.h"
#include "core/error.h"
#include "core/handler.h"
#include "records/database.h"
#include "records/headings.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QLabel *label(const QString &text, int x, int y, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QComboBox *chooser(int x, int y, int w, QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->setGeometry(x, y, w, 24);
    c->setMaxVisibleItems(9);
    return c;
}

QToolButton *button(const QString &hint, QStyle::StandardPixmap icon, int x, int y, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setToolTip(hint);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setAutoRaise(true);
    b->setGeometry(x, y, 35, 27);
    return b;
}
} // namespace

TForm5::TForm5(Database &db, const Headings &headings, QWidget *parent)
    : QWidget(parent, Qt::Window), db_(db), headings_(headings)
{
    setWindowTitle(QStringLiteral("Vyhledat záznamy"));
    setFixedSize(948, 521);
    Label1 = label(QStringLiteral("Hledat"), 8, 8, this);
    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(8, 26, 200, 24);
    SpeedButton1 = button(QStringLiteral("Vyhledat"), QStyle::SP_FileDialogContentsView, 214, 24, this);
    SpeedButton2 = button(QStringLiteral("Přejít na záznam"), QStyle::SP_ArrowForward, 252, 24, this);

    RadioGroup1 = new QGroupBox(this);
    RadioGroup1->setGeometry(296, 2, 170, 86);
    auto *radios = new QVBoxLayout(RadioGroup1);
    radios->setContentsMargins(8, 4, 8, 4);
    for (const char *item : {"jen na začátku slov", "ve slovech", "jen na konci slov"}) {
        RadioGroup1Items << new QRadioButton(QString::fromUtf8(item), RadioGroup1);
        radios->addWidget(RadioGroup1Items.last());
    }
    RadioGroup1Items[1]->setChecked(true);

    Label4 = label(QStringLiteral("Hledat v tabulce:"), 476, 8, this);
    ComboBox3 = chooser(476, 26, 150, this);
    Label2 = label(QStringLiteral("Hledat ve sloupci:"), 634, 8, this);
    ComboBox1 = chooser(634, 26, 150, this);
    Label3 = label(QStringLiteral("Seřadit podle:"), 792, 8, this);
    ComboBox2 = chooser(792, 26, 150, this);

    DBGrid1 = new QTableView(this);
    DBGrid1->setGeometry(4, 117, 940, 400);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->setWordWrap(false);
    DBGrid1->horizontalHeader()->setResizeContentsPrecision(200);  // the first rows set the widths

    // Creation: the person list.
    tableName = db_.Table2.tableName();
    fillChoosers(9, 2);
    ComboBox3->addItems({QStringLiteral("Archivní sestava"), QStringLiteral("Seznam osob"),
                         QStringLiteral("Seznam zařízení")});
    ComboBox3->setCurrentIndex(1);

    connectHandler(Edit1, &QLineEdit::returnPressed, this, [this] { Image1Click(); });
    connectHandler(SpeedButton1, &QToolButton::clicked, this, [this] { Image1Click(); });
    connectHandler(SpeedButton2, &QToolButton::clicked, this, [this] { Image2Click(); });
    connectHandler(DBGrid1, &QTableView::doubleClicked, this, [this] { Image2Click(); });
    connectHandler(ComboBox3, &QComboBox::currentIndexChanged, this, [this] { ComboBox3Change(); });
}

TForm5::~TForm5()
{
    DBGrid1->setModel(nullptr);
}

int TForm5::RadioGroup1ItemIndex() const
{
    for (int i = 0; i < RadioGroup1Items.size(); ++i)
        if (RadioGroup1Items[i]->isChecked())
            return i;
    return -1;
}

void TForm5::fillChoosers(int fields, int chosen)
{
    ComboBox1->clear();
    ComboBox2->clear();
    for (int c = 0; c < fields; ++c) {
        ComboBox1->addItem(headings_.at(c, setNumber));
        ComboBox2->addItem(headings_.at(c, setNumber));
    }
    ComboBox1->setCurrentIndex(chosen);
    ComboBox2->setCurrentIndex(chosen);
}

void TForm5::ComboBox3Change()
{
    struct Choice {
        const char *prefix;
        Table Database::*table;
        int fields, chosen;
    };
    static const Choice choices[] = {
        {"SE", &Database::Table1, 3, 1}, {"OS", &Database::Table2, 9, 2}, {"ZA", &Database::Table3, 6, 1}};
    const int item = ComboBox3->currentIndex();
    if (item < 0 || item > 2)
        return;
    const Choice &c = choices[item];
    setNumber = item + 1;
    prefix = QString::fromLatin1(c.prefix);
    tableName = (db_.*c.table).tableName();
    fillChoosers(c.fields, c.chosen);
}

// The typed text is taken as typed: "%" and "_" stay wildcards; a double
// quote is searched for as itself.
void TForm5::Image1Click()
{
    const QString text = Edit1->text();
    const QString patterns[] = {text + QLatin1Char('%'), QLatin1Char('%') + text + QLatin1Char('%'),
                                QLatin1Char('%') + text};
    pattern = sqlString(patterns[qBound(0, RadioGroup1ItemIndex(), 2)]) + QLatin1Char(' ');
    const QString searchField = prefix + QString::number(ComboBox1->currentIndex());
    const QString orderField = prefix + QString::number(ComboBox2->currentIndex());
    sqlText = QStringLiteral("SELECT * FROM ") + tableName + QLatin1Char('\n') + QStringLiteral("WHERE ") +
              searchField + QStringLiteral(" LIKE ") + pattern + QLatin1Char('\n') + QStringLiteral("ORDER BY ") +
              orderField;
    DBGrid1->setModel(nullptr);
    result_.reset();
    result_ = runQuery(sqlText, db_);
    QStringList titles;
    for (int i = 0; i < result_->columnCount(); ++i)
        titles << (i < Headings::Cols ? headings_.at(i, setNumber) : QString());
    result_->setTitles(titles);
    DBGrid1->setModel(result_.get());
    DBGrid1->resizeColumnsToContents();
    if (result_->rowCount() > 0)
        DBGrid1->setCurrentIndex(result_->index(0, 0));
}

void TForm5::Image2Click()
{
    if (!result_)
        throw Error(QStringLiteral("List index out of bounds (0)"));
    const int column = tableName == db_.Table1.tableName() ? 0 : 1;
    const int row = qMax(0, DBGrid1->currentIndex().row());
    db_.GotoRecord(tableName, result_->cell(column, row));
}
