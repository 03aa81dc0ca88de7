#pragma once
// While a command walks a table, the table's grid and navigator in the main
// window are hidden and let go of the table, so the record moves do not
// redraw them; they come back however the command ends.

#include "ui/db_grid.h"
#include "ui/db_navigator.h"

class ViewsAway {
public:
    ViewsAway(DBGrid *grid, DBNavigator *navigator, DataSet *table) : grid_(grid), navigator_(navigator), table_(table)
    {
        if (grid_) {
            grid_->hide();
            grid_->setTable(nullptr);
        }
        if (navigator_) {
            navigator_->hide();
            navigator_->setTable(nullptr);
        }
    }
    ~ViewsAway()
    {
        if (grid_) {
            grid_->setTable(table_);
            grid_->show();
        }
        if (navigator_) {
            navigator_->setTable(table_);
            navigator_->show();
        }
    }
    ViewsAway(const ViewsAway &) = delete;
    ViewsAway &operator=(const ViewsAway &) = delete;

private:
    DBGrid *grid_;
    DBNavigator *navigator_;
    DataSet *table_;
};

