#pragma once
// An up/down spin button: two arrow buttons, one above the other, that report
// a click each (repeated while held). It changes no value itself; the window's
// handlers step whatever the arrows stand for. A click gives the focus to the
// focus control (the edit the arrows belong to), when one is set.

#include <QWidget>

class QToolButton;

class CSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit CSpinButton(QWidget *parent = nullptr);

    void setFocusControl(QWidget *w) { focusControl_ = w; }
    QWidget *focusControl() const { return focusControl_; }
    QToolButton *upButton() const { return up_; }
    QToolButton *downButton() const { return down_; }

    QSize sizeHint() const override;

signals:
    void upClick();
    void downClick();

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    void focusTheControl();

    QToolButton *up_;
    QToolButton *down_;
    QWidget *focusControl_ = nullptr;
};
