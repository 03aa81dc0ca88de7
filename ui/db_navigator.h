#pragma once
// A row of buttons bound to a table: first, last, insert, delete, post,
// cancel, refresh. Delete asks the operator first, as the grid does.
// The table must outlive the navigator or be unbound first.

#include <QWidget>

class QToolButton;
class DataSet;

class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Last, Insert, Delete, Post, Cancel, Refresh, ButtonCount };

    explicit DBNavigator(QWidget *parent = nullptr);
    ~DBNavigator() override;

    void setTable(DataSet *table);  // nullptr unbinds
    DataSet *table() const { return table_; }
    QToolButton *button(Button b) const { return buttons_[b]; }

private:
    void clicked(Button b);
    void updateButtons();

    QToolButton *buttons_[ButtonCount];
    DataSet *table_ = nullptr;
    int subscription_ = 0;
};
