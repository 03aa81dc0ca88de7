#include "core/handler.h"
#include "records/tform6.h"
#include "records/heading_grid.h"
#include "records/password_edit.h"
#include "records/user_settings.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Headings are kept for columns 0..8; column 9 of a row is never touched here.
constexpr int HeadingColumns = 9;
} // namespace

TForm6::TForm6(Headings &headings, QString settingsFile, std::function<void()> headingRefresh, QWidget *parent)
    : QWidget(parent, Qt::Window), headings_(headings), settingsFile_(std::move(settingsFile)),
      headingRefresh_(std::move(headingRefresh))
{
    setWindowTitle(QStringLiteral("Uživatelské nastavení"));
    createControls();
    layOut();
    fillGrids();
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connectHandler(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

QList<TForm6::HeadingSet> TForm6::sets() const
{
    return {{StringGrid1, 1}, {StringGrid2, 0}, {StringGrid3, 2}, {StringGrid4, 3}};
}

void TForm6::createControls()
{
    Label1 = new QLabel(QStringLiteral("Nadpisy archivní sestavy"), this);
    StringGrid1 = new HeadingGrid(3, this);
    Label2 = new QLabel(QStringLiteral("Nadpisy pracovní sestavy"), this);
    StringGrid2 = new HeadingGrid(4, this);
    Label3 = new QLabel(QStringLiteral("Nadpisy seznamu osob"), this);
    StringGrid3 = new HeadingGrid(9, this);
    Label4 = new QLabel(QStringLiteral("Nadpisy seznamu zařízení"), this);
    StringGrid4 = new HeadingGrid(6, this);
    Label6 = new QLabel(QStringLiteral("Staré heslo pro vstup do programu:"), this);
    Edit1 = new QLineEdit(this);
    Label5 = new QLabel(QStringLiteral("Nové heslo:"), this);
    Edit2 = new QLineEdit(this);
    Label7 = new QLabel(QStringLiteral("Pokud vyplníte hesla špatně,"), this);
    Label8 = new QLabel(QStringLiteral("bude zachováno staré heslo."), this);
    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button2 = new QPushButton(QStringLiteral("&Storno"), this);
    makePasswordEdit(Edit1);
    makePasswordEdit(Edit2);
    nameControls();
}

void TForm6::nameControls()
{
    const QList<std::pair<QWidget *, const char *>> controls{
        {Label1, "Label1"}, {Label2, "Label2"}, {Label3, "Label3"}, {Label4, "Label4"}, {Label5, "Label5"},
        {Label6, "Label6"}, {Label7, "Label7"}, {Label8, "Label8"}, {StringGrid1, "StringGrid1"},
        {StringGrid2, "StringGrid2"}, {StringGrid3, "StringGrid3"}, {StringGrid4, "StringGrid4"},
        {Edit1, "Edit1"}, {Edit2, "Edit2"}, {Button1, "Button1"}, {Button2, "Button2"}};
    for (auto [control, name] : controls)
        control->setObjectName(QLatin1String(name));
}

// Top to bottom in the order of the controls, which is also the tab order:
// the four grids, then the passwords with their advice beside the buttons.
void TForm6::layOut()
{
    auto *page = new QVBoxLayout(this);
    for (auto [label, grid] : {std::pair<QLabel *, HeadingGrid *>{Label1, StringGrid1}, {Label2, StringGrid2},
                               {Label3, StringGrid3}, {Label4, StringGrid4}}) {
        page->addWidget(label);
        page->addWidget(grid);
        page->addSpacing(6);
    }
    auto *bottom = new QGridLayout;
    bottom->addWidget(Label6, 0, 0);
    bottom->addWidget(Edit1, 1, 0);
    bottom->addWidget(Label5, 2, 0);
    bottom->addWidget(Edit2, 3, 0);
    bottom->addWidget(Label7, 4, 0);
    bottom->addWidget(Label8, 5, 0);
    bottom->setColumnMinimumWidth(0, 260);
    bottom->setColumnStretch(1, 1);
    bottom->addWidget(Button1, 3, 2);
    bottom->addWidget(Button2, 3, 3);
    page->addLayout(bottom);
    page->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm6::fillGrids()
{
    for (const HeadingSet &s : sets())
        for (int c = 0; c < s.grid->headingCount(); ++c)
            s.grid->setHeading(c, headings_.at(c, s.row));
}

void TForm6::applyHeadings()
{
    for (const HeadingSet &s : sets()) {
        s.grid->commitEdit();
        for (int c = 0; c < HeadingColumns; ++c)
            headings_.at(c, s.row) = c < s.grid->headingCount() ? s.grid->newHeading(c) : QString();
    }
}

// A wrong or missing password leaves the stored one, without a word: the
// window's advice says so.
void TForm6::applyPassword()
{
    if (Edit1->text().isEmpty() || Edit2->text().isEmpty())
        return;
    if (passwordValue(Edit1->text()) == headings_.storedPassword())
        headings_.storedPassword() = passwordValue(Edit2->text());
}

void TForm6::Button1Click()
{
    applyHeadings();
    applyPassword();
    for (int c = 1; c < HeadingColumns; ++c)
        headings_.at(c, 4).clear();
    Edit1->clear();
    Edit2->clear();
    SaveUserSettings(headings_, settingsFile_);  // a failure is not reported to the operator
    if (headingRefresh_)
        headingRefresh_();
    hide();
}

void TForm6::Button2Click() { hide(); }
