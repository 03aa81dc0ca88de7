#include "exchange/reports.h"
#include "core/error.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

QList<int> reportColumnEdges(ReportKind kind, int W)
{
    auto equal = [W](int n) {
        QList<int> edges;
        for (int c = 0; c <= n; ++c)
            edges << int(qint64(c) * W / n);
        return edges;
    };
    switch (kind) {
    case ReportKind::WorkingSet: return equal(4);
    case ReportKind::ArchiveSet: return equal(3);
    case ReportKind::DeviceList: return equal(6);
    case ReportKind::PersonList: break;
    }
    // Widths 1 : 3 : 2 : 2 ... eighteenths: a narrow number column, a wide code column.
    QList<int> edges{0, W / 18};
    for (int c = 2; c <= 9; ++c)
        edges << int(qint64(c) * W / 9);
    return edges;
}

int reportPageCount(ReportKind kind, int records)
{
    if (kind == ReportKind::WorkingSet || kind == ReportKind::ArchiveSet)
        return 8;
    return records / ReportRows + 1;
}

QFont reportFont()
{
    static const QString clone = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    static const bool loaded = QFontDatabase::families().contains(QStringLiteral("Tahoma")) ||
                               (QFile::exists(clone) && QFontDatabase::addApplicationFont(clone) >= 0);
    Q_UNUSED(loaded);
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    return f;
}

namespace {
void paintRow(QPainter &p, const QFontMetrics &fm, const QList<int> &edges, int top, int bottom, const QStringList &values)
{
    for (int c = 0; c + 1 < edges.size(); ++c) {
        const QRect cell(edges[c], top, edges[c + 1] - edges[c], bottom - top);
        p.drawRect(cell);
        const QString text = values.value(c);
        if (text.isEmpty())
            continue;
        // Only a text wider than its cell needs the clip that cuts it.
        const bool wide = fm.horizontalAdvance(text) > cell.width();
        if (wide)
            p.setClipRect(cell);
        p.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, text);
        if (wide)
            p.setClipping(false);
    }
}
} // namespace

void paintReportPage(QPainter &painter, const Report &report, int page, int W, int H)
{
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.setFont(reportFont());
    const QFontMetrics fm(painter.font(), painter.device());
    const QList<int> edges = reportColumnEdges(report.kind, W);
    paintRow(painter, fm, edges, reportRowEdge(0, H), reportRowEdge(1, H), report.headings);
    for (int r = 1; r <= ReportRows; ++r) {
        const int i = page * ReportRows + r - 1;
        if (i >= report.records)
            break;
        paintRow(painter, fm, edges, reportRowEdge(r, H), reportRowEdge(r + 1, H), report.record(i));
    }
}

QList<int> chosenPages(const QPrinter &printer, int count)
{
    int from = 1, to = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = qMin(printer.toPage() > 0 ? printer.toPage() : count, count);
    }
    QList<int> pages;
    for (int p = from; p <= to; ++p)
        pages << p - 1;
    return pages;
}

void printReport(QPrinter &printer, const Report &report, const QList<int> &pages)
{
    // The printer makes the copies of each job when it can; else the pages are repeated.
    const int copies = printer.supportsMultipleCopies() ? 1 : qMax(1, printer.copyCount());
    const bool toFile = !printer.outputFileName().isEmpty();
    QPainter painter;
    auto begin = [&] {
        if (!painter.begin(&printer))
            throw Error(QStringLiteral("Tisk nelze zahájit na tiskárně ") + printer.printerName());
    };
    bool first = true;
    for (int page : pages) {
        for (int copy = 0; copy < copies; ++copy) {
            if (!toFile || first)
                begin();
            else if (!printer.newPage())
                throw Error(QStringLiteral("Tisk nelze zahájit na tiskárně ") + printer.printerName());
            first = false;
            paintReportPage(painter, report, page, printer.width(), printer.height());
            if (!toFile)
                painter.end();
        }
    }
    if (toFile && painter.isActive())
        painter.end();
}
