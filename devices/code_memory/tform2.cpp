#include "core/handler.h"
#include "devices/code_memory/tform2.h"
#include "devices/code_memory/code_memory.h"
#include "link/link.h"
#include "link/link_claim.h"
#include "records/database.h"
#include "core/error.h"
#include "core/operator.h"

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
      writeJob(cm.link), readJob(cm.link), scanJob(cm.link), cm_(cm)
{
    setWindowTitle(QStringLiteral("Form2"));
    setWindowModality(Qt::ApplicationModal);
    QFont f = font();
    f.setPixelSize(14);
    setFont(f);
    setFixedSize(507, 153);
    buildControls();
    writeJob.onSlot = [this](int slot) { setProgress(QStringLiteral("Zapsáno "), slot); };
    writeJob.onConfigured = [this](const std::optional<Reply> &reply) { configured(reply); };
    writeJob.onWritten = [this] { close(); };
    writeJob.onChecked = [this](int entries) { setProgress(QStringLiteral("Ověřeno "), entries); };
    writeJob.onEnd = [this](const WorkingSetWrite::Result &r) { writeEnded(r); };
    readJob.onBlock = [this](int first, const BlockTransfer::Block &b) { takeBlock(first, b); };
    readJob.onEnd = [this](const CodeMemoryRead::Result &r) { readEnded(r); };
}

TForm2::~TForm2() = default;

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

Link &TForm2::link() const { return cm_.link; }

TextTable &TForm2::grid() const { return cm_.db.workingSet; }

void TForm2::setLabel(QLabel *l, const QString &text)
{
    l->setText(text);
    if (l != Label1)  // Label1 keeps its width and centres its text
        l->adjustSize();
}

// A job that could not take the link (another operation holds it) is
// refused with the message of every device operation.
bool TForm2::refused(bool started)
{
    if (!started)
        tellOperationRunning();
    return !started;
}

void TForm2::setProgress(const QString &verb, int n)
{
    setLabel(Label1, verb + QString::number(n) + QStringLiteral(" Kódů z 510"));
    ProgressBar1->setValue(n);
}

void TForm2::stopOperation()
{
    writeJob.stop();
    readJob.stop();
    scanJob.stop();
}

// Closing only hides the window; the running timer chain notices the stop flag.
void TForm2::closeEvent(QCloseEvent *e)
{
    guarded([this] { FormClose(); });
    QWidget::closeEvent(e);
}
