#pragma once
// The printed reports of the four record sets: a ruled table filling the
// printable area, 65 rows of equal height (the heading row and 64 records),
// one cell per value with its text centred on one line and cut at the cell's
// edges, "Tahoma" 8 points. Row and column edges by integer division of the
// product, in the printer's device pixels.

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QPainter;
class QPrinter;

enum class ReportKind { WorkingSet, ArchiveSet, PersonList, DeviceList };

constexpr int ReportRows = 64;  // records a page

// The top of row r (0 ... 65) of a page H pixels high.
inline int reportRowEdge(int r, int H) { return int(qint64(r) * H / (ReportRows + 1)); }
// The left edges of the report's columns and the right edge of the last, on a page W pixels wide.
QList<int> reportColumnEdges(ReportKind kind, int W);
// 8 for the working set and the archive set; records / 64 + 1 for the lists.
int reportPageCount(ReportKind kind, int records);

// "Tahoma" 8 points; where Tahoma is not installed, the metric-compatible
// clone of the fonts-wine package is loaded first.
QFont reportFont();

struct Report {
    ReportKind kind;
    QStringList headings;
    int records = 0;                           // record rows there are
    std::function<QStringList(int)> record;    // the values of record row i (0-based)
};

// Paints page p (0-based) of the report on a page of W x H device pixels.
void paintReportPage(QPainter &painter, const Report &report, int page, int W, int H);

// Prints the pages (0-based) on the printer, each page as a print job of its
// own, with the printer's copies. A printer that writes a file (PDF) gets all
// pages in that one file. Raises Error when the printer cannot be started.
void printReport(QPrinter &printer, const Report &report, const QList<int> &pages);

// The pages the printer's dialog chose: all, or from ... to within 1 ... count, as 0-based page numbers.
QList<int> chosenPages(const QPrinter &printer, int count);
