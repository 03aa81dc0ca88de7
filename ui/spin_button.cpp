#include "ui/spin_button.h"

#include <QToolButton>

namespace {
QToolButton *arrow(QWidget *parent, Qt::ArrowType type, const char *name)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setArrowType(type);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}
} // namespace

CSpinButton::CSpinButton(QWidget *parent)
    : QWidget(parent), up_(arrow(this, Qt::UpArrow, "UpButton")), down_(arrow(this, Qt::DownArrow, "DownButton"))
{
    connect(up_, &QToolButton::clicked, this, [this] {
        focusTheControl();
        emit upClick();
    });
    connect(down_, &QToolButton::clicked, this, [this] {
        focusTheControl();
        emit downClick();
    });
    resize(sizeHint());
}

QSize CSpinButton::sizeHint() const { return {17, 25}; }

// The upper half is the up arrow, the lower half the down arrow.
void CSpinButton::resizeEvent(QResizeEvent *)
{
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

void CSpinButton::focusTheControl()
{
    if (focusControl_ && focusControl_->isEnabled() && focusControl_->isVisible())
        focusControl_->setFocus(Qt::MouseFocusReason);
}
