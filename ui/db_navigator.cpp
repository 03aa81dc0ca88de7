#include "core/handler.h"
#include "ui/db_navigator.h"
#include "ui/data_set.h"
#include "ui/db_grid.h"
#include "core/error.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace {
struct ButtonLook {
    QStyle::StandardPixmap icon;
    const char *hint;
};

const ButtonLook Looks[DBNavigator::ButtonCount] = {
    {QStyle::SP_MediaSkipBackward, "Přejít na první záznam"},
    {QStyle::SP_MediaSkipForward, "Přejít na poslední záznam"},
    {QStyle::SP_FileDialogNewFolder, "Vložit záznam"},
    {QStyle::SP_TrashIcon, "Odstranit záznam"},
    {QStyle::SP_DialogApplyButton, "Potvrdit úpravu"},
    {QStyle::SP_DialogCancelButton, "Stornovat úpravu"},
    {QStyle::SP_BrowserReload, "Obnovit tabulku"},
};
} // namespace

DBNavigator::DBNavigator(QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int b = 0; b < ButtonCount; ++b) {
        auto *button = new QToolButton(this);
        button->setIcon(style()->standardIcon(Looks[b].icon));
        button->setToolTip(QString::fromUtf8(Looks[b].hint));
        button->setAutoRaise(true);
        connectHandler(button, &QToolButton::clicked, this, [this, b] { clicked(Button(b)); });
        row->addWidget(button);
        buttons_[b] = button;
    }
    updateButtons();
}

DBNavigator::~DBNavigator() { setTable(nullptr); }

void DBNavigator::setTable(DataSet *table)
{
    if (table_)
        table_->unsubscribe(subscription_);
    table_ = table;
    if (table_)
        subscription_ = table_->subscribe([this](DataSet::Change) { updateButtons(); });
    updateButtons();
}

void DBNavigator::clicked(Button b)
{
    if (!table_)
        return;
    guarded([&] {
        switch (b) {
        case First: table_->first(); break;
        case Last: table_->last(); break;
        case Insert: table_->insert(); break;
        case Delete: confirmAndDelete(*table_); break;
        case Post: table_->post(); break;
        case Cancel: table_->cancel(); break;
        case Refresh: table_->refresh(); break;
        case ButtonCount: break;
        }
    });
}

void DBNavigator::updateButtons()
{
    const bool open = table_ && table_->active();
    const bool editing = open && table_->state() != DataSet::Browse;
    const bool any = open && table_->recordCount() > 0;
    buttons_[First]->setEnabled(any && (editing || !table_->bof()));
    buttons_[Last]->setEnabled(any && (editing || !table_->eof()));
    buttons_[Insert]->setEnabled(open);
    buttons_[Delete]->setEnabled(any || editing);
    buttons_[Post]->setEnabled(editing);
    buttons_[Cancel]->setEnabled(editing);
    buttons_[Refresh]->setEnabled(open);
}
