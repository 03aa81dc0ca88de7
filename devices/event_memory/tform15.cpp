#include "devices/event_memory/tform15.h"

#include "core/handler.h"
#include "core/operator.h"
#include "link/link_claim.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {
constexpr int EventsPerSecond = 20;  // what the time shown assumes

QLabel *label(QWidget *parent, const char *name, int x, int y)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, 395, 16);
    return l;
}
} // namespace

QString readingTimeText(qint32 eventsLeft)
{
    const qint32 t = eventsLeft / EventsPerSecond;
    return QString::number(t / 3600) + QLatin1Char(':') + QString::number(t % 3600 / 60) + QLatin1Char(':')
        + QString::number(t % 60);
}

TForm15::TForm15(EventReading &reading, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      reading(reading)
{
    setObjectName(QStringLiteral("Form15"));
    setWindowTitle(QStringLiteral("Načítání událostí z paměti TAVO-B"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(407, 117);
    Label1 = label(this, "Label1", 8, 6);
    Label2 = label(this, "Label2", 8, 24);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(8, 44, 391, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    Label3 = label(this, "Label3", 8, 64);
    Label4 = label(this, "Label4", 8, 82);
    Label3->setFixedWidth(200);
    Label4->setGeometry(8, 82, 200, 16);
    Button1 = new QPushButton(QStringLiteral("&Storno"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(324, 84, 75, 25);
    connectHandler(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    reading.onProgress = [this](qint32 read, qint32 count) { showProgress(read, count); };
    reading.onEnd = [this](const EventReading::Result &r) { readingEnded(r); };
}

void TForm15::start(const QString &deviceName, qint32 count)
{
    Label1->setText(QStringLiteral("Probíhá načítání seznamu událostí ze zařízení ") + deviceName);
    Label2->setText(QStringLiteral("Přečteno 0 událostí z ") + QString::number(count));
    Label3->setText(QStringLiteral("Zbývající čas: ") + readingTimeText(count - 1));
    Label4->setText(QStringLiteral("  Celkový čas: ") + readingTimeText(count - 1));
    ProgressBar1->setRange(0, count);
    ProgressBar1->setValue(0);
    show();
}

void TForm15::showProgress(qint32 read, qint32 count)
{
    ProgressBar1->setValue(read);
    Label2->setText(QStringLiteral("Přečteno ") + QString::number(read) + QStringLiteral(" událostí z ")
                    + QString::number(count));
    Label3->setText(QStringLiteral("Zbývající čas: ") + readingTimeText(count - read - 1));
}

// The rows read so far stay in the list however the transfer ended.
void TForm15::readingEnded(const EventReading::Result &result)
{
    if (result.end == Job::End::NoAnswer)
        tellNoAnswer();
    close();
}

// Closing lets the block under way finish; the transfer end follows it.
void TForm15::closeEvent(QCloseEvent *e)
{
    guarded([this] { FormClose(); });
    e->accept();
}
