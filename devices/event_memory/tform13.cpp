// The reading window's controls: the mode group with the range edits and
// their spin buttons, the dates of the range's ends, the tool buttons with
// their hints and shortcuts, the save's check box and the event list.
#include "devices/event_memory/tform13.h"

#include "core/handler.h"
#include "devices/event_memory/event_format.h"
#include "link/link.h"
#include "ui/controls.h"
#include "ui/spin_button.h"
#include "ui/text_grid.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

using namespace tavob;

namespace {
constexpr int EditWidth = 120;
constexpr int DateWidth = 140;

QLineEdit *edit(QWidget *parent, const char *name, const QString &text, const QRect &at, bool enabled)
{
    QLineEdit *e = addEdit(parent, name, at, enabled);
    e->setText(text);
    return e;
}

CSpinButton *spin(QWidget *parent, const char *name, QLineEdit *buddy)
{
    auto *s = new CSpinButton(parent);
    s->setObjectName(QLatin1String(name));
    s->setGeometry(buddy->geometry().right() + 1, buddy->y() - 2, 17, 25);
    s->setFocusControl(buddy);
    return s;
}

} // namespace

TForm13::TForm13(EventReadingContext context, QWidget *parent)
    : QWidget(parent, Qt::Window), rangeJob(context.link), reading(context.link), ctx_(std::move(context))
{
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("Čtení událostí z paměti TAVO-B"));
    resize(553, 528);
    createRangeControls();
    createToolButtons();
    createEventList();
    rangeJob.onRange = [this](const std::optional<EventRangeValue> &r) { Timer2Timer(r); };
    rangeJob.onDate = [this](const std::optional<Reply> &r) { Timer3Timer(r); };
    rangeJob.onMoved = [this](EventRange::MoveOutcome o, qint32) { Timer4Timer(o); };
    reading.onRows = [this](const QList<QStringList> &rows) { takeRows(rows); };
    qApp->installEventFilter(this);
}

bool TForm13::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() != QEvent::ShortcutOverride || !watched->isWidgetType()
        || !isAncestorOf(static_cast<QWidget *>(watched)))
        return false;
    const QKeySequence key(static_cast<QKeyEvent *>(e)->keyCombination());
    for (const QToolButton *b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5})
        if (b->shortcut() == key)
            return true;  // not taken by the editor: the shortcut acts
    return false;
}

// An operation of the window that is still under way holds the link; the
// window going away lets go of it.
TForm13::~TForm13() = default;

int TForm13::itemIndex() const { return radioItems->checkedId(); }

// The mode group with "Načíst události" chosen; to its right N, or from..to,
// with their spin buttons, and below them the dates of the range's ends.
void TForm13::createRangeControls()
{
    RadioGroup1 = new QGroupBox(this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(8, 4, 161, 80);
    radioItems = new QButtonGroup(this);
    const QString captions[3] = {QStringLiteral("Načíst nejstarších"), QStringLiteral("Načíst nejnovějších"),
                                 QStringLiteral("Načíst události")};
    for (int i = 0; i < 3; ++i) {
        RadioItem[i] = new QRadioButton(captions[i], RadioGroup1);
        RadioItem[i]->setGeometry(8, 6 + 23 * i, 149, 20);
        radioItems->addButton(RadioItem[i], i);
    }
    RadioItem[FromTo]->setChecked(true);
    connectHandler(radioItems, &QButtonGroup::idClicked, this, [this] { RadioGroup1Click(); });

    Edit3 = edit(this, "Edit3", QStringLiteral("1"), QRect(180, 16, EditWidth, 21), true);
    CSpinButton1 = spin(this, "CSpinButton1", Edit3);
    Label1 = addLabel(this, "Label1", QStringLiteral("událostí"), CSpinButton1->geometry().right() + 6, 19);
    Edit4 = edit(this, "Edit4", QStringLiteral("1"), QRect(180, 16, EditWidth, 21), true);
    CSpinButton2 = spin(this, "CSpinButton2", Edit4);
    Label2 = addLabel(this, "Label2", QStringLiteral("až"), CSpinButton2->geometry().right() + 6, 19);
    Edit5 = edit(this, "Edit5", QStringLiteral("1"), QRect(Label2->geometry().right() + 8, 16, EditWidth, 21), true);
    CSpinButton3 = spin(this, "CSpinButton3", Edit5);
    Edit1 = edit(this, "Edit1", QString(), QRect(180, 50, DateWidth, 21), false);
    Edit2 = edit(this, "Edit2", QString(), QRect(Edit5->x(), 50, DateWidth, 21), false);

    connectHandler(Edit3, &QLineEdit::textChanged, this, [this] { Edit3Change(); });
    connectHandler(Edit4, &QLineEdit::textChanged, this, [this] { Edit4Change(); });
    connectHandler(Edit5, &QLineEdit::textChanged, this, [this] { Edit5Change(); });
    connectHandler(CSpinButton1, &CSpinButton::upClick, this, [this] { CSpinButton1UpClick(); });
    connectHandler(CSpinButton1, &CSpinButton::downClick, this, [this] { CSpinButton1DownClick(); });
    connectHandler(CSpinButton2, &CSpinButton::upClick, this, [this] { CSpinButton2UpClick(); });
    connectHandler(CSpinButton2, &CSpinButton::downClick, this, [this] { CSpinButton2DownClick(); });
    connectHandler(CSpinButton3, &CSpinButton::upClick, this, [this] { CSpinButton3UpClick(); });
    connectHandler(CSpinButton3, &CSpinButton::downClick, this, [this] { CSpinButton3DownClick(); });
    for (QWidget *w : {static_cast<QWidget *>(Edit3), static_cast<QWidget *>(CSpinButton1), static_cast<QWidget *>(Label1)})
        w->hide();
}

// Each tool button has its hint, and a shortcut that works while the window is active.
void TForm13::createToolButtons()
{
    SpeedButton1 = addToolButton(8, QStringLiteral("Aktualizovat rozsah podle zařízení"), QStyle::SP_BrowserReload,
                                 QKeySequence(Qt::Key_F5));
    SpeedButton2 = addToolButton(44, QStringLiteral("Načíst seznam události ze zařízení"), QStyle::SP_ArrowDown,
                                 QKeySequence(Qt::CTRL | Qt::Key_N));
    SpeedButton3 = addToolButton(80, QStringLiteral("Vyplnit příjmení podle kódů"), QStyle::SP_FileDialogDetailedView,
                                 QKeySequence(Qt::CTRL | Qt::Key_P));
    SpeedButton4 = addToolButton(116, QStringLiteral("Vyhledat neoprávněné pokusy o přístup"),
                                 QStyle::SP_MessageBoxWarning, QKeySequence(Qt::CTRL | Qt::Key_U));
    SpeedButton5 = addToolButton(152, QStringLiteral("Uložit načtený seznam událostí"), QStyle::SP_DialogSaveButton,
                                 QKeySequence(Qt::CTRL | Qt::Key_S));
    connectHandler(SpeedButton1, &QToolButton::clicked, this, [this] { Image1Click(); });
    connectHandler(SpeedButton2, &QToolButton::clicked, this, [this] { Image4Click(); });
    connectHandler(SpeedButton3, &QToolButton::clicked, this, [this] { Image2Click(); });
    connectHandler(SpeedButton4, &QToolButton::clicked, this, [this] { Image5Click(); });
    connectHandler(SpeedButton5, &QToolButton::clicked, this, [this] { Image3Click(); });

    CheckBox1 = new QCheckBox(QStringLiteral("Počátek v zař. po uložení posunout"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->move(200, 92);
    CheckBox1->adjustSize();
    CheckBox1->setChecked(true);
}

QToolButton *TForm13::addToolButton(int x, const QString &hint, int icon, const QKeySequence &key)
{
    auto *b = new QToolButton(this);
    b->setObjectName(QStringLiteral("SpeedButton%1").arg(x / 36 + 1));
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setIcon(style()->standardIcon(QStyle::StandardPixmap(icon)));
    b->setGeometry(x, 88, 35, 27);
    b->setFocusPolicy(Qt::NoFocus);
    b->setShortcut(key);
    return b;
}

// Ten columns under their titles; unauthorized attempts, unknown codes and
// failed code frames stand out by colour.
void TForm13::createEventList()
{
    events.setFixed(0, 1);
    events.setRow(0, eventListTitles());
    StringGrid1 = new TextGrid(&events, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(0, 122, 553, 406);
    const QList<int> widths = fittedWidths(StringGrid1->fontMetrics());
    StringGrid1->setColWidths(widths);
    // Every column in sight beside the scroll bar: the window grows with the font.
    int listWidth = 2 * StringGrid1->frameWidth() + StringGrid1->verticalScrollBar()->sizeHint().width();
    for (int w : widths)
        listWidth += w;
    resize(std::max(width(), listWidth), height());
    StringGrid1->setGeometry(0, 122, width(), 406);
    StringGrid1->setRowHeights(18);
    StringGrid1->setMarkColour(UnauthorizedMark, QColor(255, 190, 190));
    StringGrid1->setMarkColour(UnknownCodeMark, QColor(255, 236, 150));
    StringGrid1->setMarkColour(ErrorMark, QColor(200, 200, 200));
}

// The widths of the layout, widened where the window's font needs more for a
// title or for the widest text of a column.
QList<int> TForm13::fittedWidths(const QFontMetrics &fm)
{
    constexpr int Pad = 12;  // the cell's margins
    QString widestCode;
    for (QChar digit : QStringLiteral("0123456789ABCDEF"))
        if (fm.horizontalAdvance(QString(16, digit)) > fm.horizontalAdvance(widestCode))
            widestCode = QString(16, digit);
    const QStringList widest{QStringLiteral("4000000"), widestCode, unknownCodeText(), unauthorizedText(),
                             QStringLiteral("00"), QStringLiteral("00"), QStringLiteral("0000"), QStringLiteral("00"),
                             QStringLiteral("00"), QStringLiteral("00")};
    const QStringList titles = eventListTitles();
    QList<int> widths = eventListWidths();
    for (int c = 0; c < EventColumns; ++c)
        widths[c] = std::max({widths[c], fm.horizontalAdvance(titles[c]) + Pad, fm.horizontalAdvance(widest[c]) + Pad});
    return widths;
}

// Modes 0 and 1 take N; mode 2 from..to.
void TForm13::showModeControls()
{
    const bool count = itemIndex() != FromTo;
    for (QWidget *w : {static_cast<QWidget *>(Edit3), static_cast<QWidget *>(Label1), static_cast<QWidget *>(CSpinButton1)})
        w->setVisible(count);
    for (QWidget *w : {static_cast<QWidget *>(CSpinButton2), static_cast<QWidget *>(CSpinButton3),
                       static_cast<QWidget *>(Edit4), static_cast<QWidget *>(Edit5), static_cast<QWidget *>(Label2)})
        w->setVisible(!count);
}

// No limits: the edit's change handler then acts on the new number.
void TForm13::step(QLineEdit *e, int by) { e->setText(QString::number(qint64(strToInt(e->text())) + by)); }

qint32 TForm13::editNumber(QLineEdit *e) const { return strToInt(e->text()); }
