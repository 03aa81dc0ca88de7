#include "exchange/exchange_commands.h"
#include "exchange/reports.h"
#include "exchange/views_away.h"
#include "records/database.h"
#include "core/operator.h"

#include <QPrinter>

namespace {
// PrintDialog1 with its presets: copies 1, from page 1, the pages 1 ... count
// to choose from. The printer holds no first page without a last one, so the
// last page given is the last of the report.
bool PrintDialog1(QPrinter &printer, int count)
{
    printer.setCopyCount(1);
    printer.setFromTo(1, count);
    printer.setPrintRange(QPrinter::AllPages);
    return op().printSetupPages(printer, count);
}
} // namespace

void Exchange::TiskPracovniSestavyClick()
{
    const TextTable &set = db.workingSet;
    Report r{ReportKind::WorkingSet, {}, SlotCount, nullptr};
    for (int c = 0; c < WorkingSet::Cols; ++c)
        r.headings << set.cell(c, 0);
    r.record = [&set](int i) {
        QStringList v;
        for (int c = 0; c < WorkingSet::Cols; ++c)
            v << set.cell(c, i + 1);
        return v;
    };
    QPrinter printer(QPrinter::HighResolution);
    if (!PrintDialog1(printer, reportPageCount(r.kind, r.records)))
        return;
    printReport(printer, r, chosenPages(printer, reportPageCount(r.kind, r.records)));
}

// The table's current record is left after the last record printed.
void Exchange::printTable(int k, Table &t)
{
    const ReportKind kinds[] = {ReportKind::ArchiveSet, ReportKind::PersonList, ReportKind::DeviceList};
    const int fields = t.fieldCount();
    const int records = k == 1 ? qMin(t.recordCount(), SlotCount) : t.recordCount();
    Report r{kinds[k - 1], setHeadings(k, fields), records, [&t, fields](int i) {
                 QStringList v;
                 for (int f = 0; f < fields; ++f)
                     v << t.textAt(i, f);
                 return v;
             }};
    const int count = reportPageCount(r.kind, records);
    QPrinter printer(QPrinter::HighResolution);
    if (!PrintDialog1(printer, count))
        return;
    const QList<int> pages = chosenPages(printer, count);
    const ViewsAway away(k == 1 ? DBGrid1 : k == 2 ? DBGrid2 : DBGrid3,
                         k == 1 ? nullptr : k == 2 ? DBNavigator1 : DBNavigator2, &t);
    printReport(printer, r, pages);
    if (!pages.isEmpty() && t.recordCount() > 0)
        t.moveTo(qMin((pages.last() + 1) * ReportRows, records));
}

void Exchange::TiskArchivniSestavyClick() { printTable(1, db.Table1); }

void Exchange::TiskSeznamuOsobClick() { printTable(2, db.Table2); }

void Exchange::TiskSeznamuZarizeniClick() { printTable(3, db.Table3); }
