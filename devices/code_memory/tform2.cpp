#include "core/handler.h"
#include "devices/code_memory/tform2.h"
#include "devices/code_memory/code_memory.h"
#include "link/link.h"
#include "link/link_claim.h"
#include "records/database.h"
#include "core/error.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {
QLabel *label(int x, int y, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->move(x, y);
    return l;
}
} // namespace

TForm2::TForm2(CodeMemory &cm, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint),
      transfer(cm.link), cm_(cm)
{
    setWindowTitle(QStringLiteral("Form2"));
    setWindowModality(Qt::ApplicationModal);
    QFont f = font();
    f.setPixelSize(14);
    setFont(f);
    setFixedSize(507, 153);
    buildControls();
    Timer1.setOnTimer([this] { Timer1Timer(); });
    Timer2.setOnTimer([this] { Timer2Timer(); });
    Timer3.setOnTimer([this] { endOnError([this] { Timer3Timer(); }); });
    transfer.onOpened = [this] { armPacing(0); };
    transfer.onBlock = [this](const BlockTransfer::Block &b) { return takeBlock(b); };
    transfer.onEnd = [this](BlockTransfer::Result r) { transferEnded(r); };
}

TForm2::~TForm2()
{
    if (pacing_)
        theClock().cancel(pacing_);
    cm_.afterReply = nullptr;
    link().release(this);
}

void TForm2::buildControls()
{
    Label3 = label(10, 10, this);
    Label2 = label(59, 30, this);
    Label1 = label(108, 49, this);
    Label1->setFixedWidth(315);
    Label1->setAlignment(Qt::AlignHCenter);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(108, 79, 315, 21);
    ProgressBar1->setRange(0, 512);
    ProgressBar1->setTextVisible(false);
    Button1 = new QPushButton(QStringLiteral("&Storno"), this);
    Button1->move(217, 108);
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

// A port error ends the running operation: the window closes and the error
// goes on to the error box, instead of leaving a modal window with no timer
// running behind it. The block transfer reports its own (transferEnded).
void TForm2::endOnError(const std::function<void()> &step)
{
    try {
        step();
    } catch (...) {
        close();
        throw;
    }
}

Link &TForm2::link() const { return cm_.link; }

TextTable &TForm2::grid() const { return cm_.db.workingSet; }

void TForm2::setLabel(QLabel *l, const QString &text)
{
    l->setText(text);
    if (l != Label1)  // Label1 keeps its width and centres its text
        l->adjustSize();
}

// An operation starts only while no other holds the link; the window's
// operations run until their last timer (the transfer's, the scan's, the
// write's pacing) has run out, and a write that has more to do after its
// configuration reply until the main window's Timer1 has handed it back.
bool TForm2::claimLink()
{
    return ::claimLink(link(), this, [this] { return operationRunning(); });
}

bool TForm2::operationRunning() const
{
    return transfer.running() || Timer3.enabled() || pacing_ != 0 || bool(cm_.afterReply);
}

void TForm2::stopOperation()
{
    stop = true;
    transfer.stop();
}

// Closing only hides the window; the running timer chain notices the stop flag.
void TForm2::closeEvent(QCloseEvent *e)
{
    guarded([this] { FormClose(); });
    QWidget::closeEvent(e);
}
