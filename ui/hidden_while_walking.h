#pragma once
// Hides grids while a command walks their table, so they are not repainted
// record by record; they come back however the walk ends, an error included.

#include <QList>
#include <QWidget>
#include <initializer_list>

class HiddenWhileWalking {
public:
    HiddenWhileWalking(std::initializer_list<QWidget *> widgets) : widgets_(widgets) { hideAll(); }
    explicit HiddenWhileWalking(QList<QWidget *> widgets) : widgets_(std::move(widgets)) { hideAll(); }
    ~HiddenWhileWalking()
    {
        for (QWidget *w : widgets_)
            w->show();
    }
    HiddenWhileWalking(const HiddenWhileWalking &) = delete;
    HiddenWhileWalking &operator=(const HiddenWhileWalking &) = delete;

private:
    void hideAll()
    {
        for (QWidget *w : widgets_)
            w->hide();
    }

    QList<QWidget *> widgets_;
};
