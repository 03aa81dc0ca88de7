// The shared seams: virtual clock and window timers, the error guard, text
// conversion; the text table and the grid that shows it.
#include "tests/support/scripted_operator.h"
#include "core/clock.h"
#include "core/cp1250.h"
#include "core/error.h"
#include "core/text_table.h"
#include "ui/text_grid.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

namespace {
// A text of n characters with some that look like nothing else: NUL, letters
// above 0x7FFF, a lone surrogate.
QString oddText(qsizetype n, char16_t seed)
{
    static const char16_t pool[] = {u'a', u'\0', u'č', 0x8000, 0xFFFF, 0xD800, u';', 0x7FFF, u'Ž'};
    QString t(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i)
        t[i] = QChar(pool[(i + seed) % std::size(pool)]);
    return t;
}

struct CellPos {
    int col, row;
    bool operator==(const CellPos &o) const { return col == o.col && row == o.row; }
};

char *toString(const CellPos &p) { return QTest::toString(QStringLiteral("(%1, %2)").arg(p.col).arg(p.row)); }

CellPos currentOf(const TextGrid &g) { return {g.col(), g.row()}; }

// A shown grid of 4 x 40 cells, the first row and column fixed, all columns in sight.
struct GridFixture {
    TextGrid grid{4, 40, 1, 1};
    GridFixture()
    {
        grid.setRowHeights(18);
        grid.setColWidths({40, 70, 70, 70});
        grid.resize(300, 200);
        grid.show();
        for (int r = 0; r < 40; ++r)
            grid.setCell(0, r, QString::number(r));
    }
    QPoint centre(int col, int row) const { return grid.visualRect(grid.model()->index(row, col)).center(); }
    QColor pixelIn(int col, int row) const
    {
        const QRect cell = grid.visualRect(grid.model()->index(row, col));
        return grid.viewport()->grab().toImage().pixelColor(cell.topLeft() + QPoint(3, 3));
    }
    // The lightness of the darkest pixel of the cell: its text's colour.
    int darkest(int col, int row) const
    {
        const QImage image = grid.viewport()->grab().toImage();
        const QRect cell = grid.visualRect(grid.model()->index(row, col)).adjusted(1, 1, -1, -1);
        int least = 255;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                least = std::min(least, image.pixelColor(x, y).lightness());
        return least;
    }
};

using GridAction = std::function<void(TextGrid &)>;
} // namespace

Q_DECLARE_METATYPE(CellPos)
Q_DECLARE_METATYPE(GridAction)

class TestUi : public QObject {
    Q_OBJECT
private slots:
    void init() { setTheClock(&vc); }
    void cleanup() { setTheClock(nullptr); }

    void virtualClockFiresInOrder()
    {
        QList<int> order;
        vc.callAfterMs(30, [&] { order << 3; });
        vc.callAfterMs(10, [&] { order << 1; });
        vc.callAfterMs(10, [&] { order << 2; });
        const auto cancelled = vc.callAfterMs(20, [&] { order << 99; });
        vc.cancel(cancelled);
        vc.advanceMs(29);
        QCOMPARE(order, (QList<int>{1, 2}));
        vc.advanceMs(1);
        QCOMPARE(order, (QList<int>{1, 2, 3}));
    }

    void timerRepeatsWhileEnabled()
    {
        int ticks = 0;
        Timer t(100, [&] { ++ticks; });
        t.setEnabled(true);
        vc.advanceMs(350);
        QCOMPARE(ticks, 3);
        t.setEnabled(true);  // no restart
        vc.advanceMs(50);
        QCOMPARE(ticks, 4);
        t.setEnabled(false);
        vc.advanceMs(1000);
        QCOMPARE(ticks, 4);
    }

    void timerTickErrorGoesToTheErrorBox()
    {
        ScriptedOperator o;
        Timer t(100, [&] { t.setEnabled(false); throw Error(QStringLiteral("Unable to open com port (win error code: 2)")); });
        t.setEnabled(true);
        vc.advanceMs(100);
        QCOMPARE(o.shown.size(), 1);
        QCOMPARE(o.shown[0].title, QStringLiteral("TAVO"));
        QCOMPARE(o.shown[0].text, QStringLiteral("Unable to open com port (win error code: 2)"));
        QCOMPARE(o.shown[0].flags, 16);
    }

    void errorBoxDotRule_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Table is busy" << "Table is busy.";
        QTest::newRow("dot") << "Done." << "Done.";
        QTest::newRow("closing parenthesis") << "code: 5)" << "code: 5)";
        QTest::newRow("digit") << "error 5" << "error 5.";
        QTest::newRow("comma") << "a," << "a,";
        QTest::newRow("czech letter") << QString::fromUtf8("neodpovídá") << QString::fromUtf8("neodpovídá.");
        QTest::newRow("empty") << "" << "";
    }
    void errorBoxDotRule()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(errorBoxText(message), shown);
    }

    void strToIntRejectsWhatIsNotAWholeNumber()
    {
        QCOMPARE(strToInt(QStringLiteral("255")), 255);
        QCOMPARE(strToInt(QStringLiteral("-7")), -7);
        for (const char *bad : {"12a", "", "1.5", "x"}) {
            try {
                strToInt(QString::fromLatin1(bad));
                QFAIL(bad);
            } catch (const Error &e) {
                QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(bad)));
            }
        }
    }

    void cp1250RoundTrip()
    {
        const QString czech = QString::fromUtf8("Příliš žluťoučký kůň úpěl ďábelské ódy ŘŠČŽÝÁÍÉŮÚŤĎŇ €");
        const QByteArray bytes = toCp1250(czech);
        QCOMPARE(bytes.size(), czech.size());
        QCOMPARE(uchar(bytes[1]), uchar(0xF8));  // ř
        QCOMPARE(fromCp1250(bytes), czech);
        QVERIFY(fitsCp1250(czech));
        QVERIFY(!fitsCp1250(QString::fromUtf8("日本")));
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        QCOMPARE(toCp1250(fromCp1250(all)), all);
    }

    // Cells of every length share their row's one string: writing one, inside
    // the row or past its end, keeps every other cell as it was.
    void textTableCells_data()
    {
        QTest::addColumn<int>("length");
        for (int n : {0, 1, 16, 0x7FFF, 0x8000, 0x10000, 0x18001})
            QTest::addRow("%d characters", n) << n;
    }
    void textTableCells()
    {
        QFETCH(int, length);
        TextTable t(5, 3);
        const QStringList before{QStringLiteral("14:05:30"), oddText(3, 1), QString(), QStringLiteral("Novák"), oddText(40, 2)};
        for (int col = 0; col < 5; ++col) {
            t.setRow(1, before);
            QStringList expected = before;
            expected[col] = oddText(length, char16_t(col));
            t.setCell(col, 1, expected[col]);
            for (int c = 0; c < 5; ++c)
                QCOMPARE(t.cell(c, 1), expected[c]);
        }
        t.setCell(3, 2, oddText(length, 7));
        QCOMPARE(t.cell(3, 2), oddText(length, 7));
        for (int c : {0, 1, 2, 4})
            QCOMPARE(t.cell(c, 2), QString());
        for (int c = 0; c < 5; ++c)
            QCOMPARE(t.cell(c, 0), QString());
    }

    // Any run of writes, resizes and appends reads back as a plain list of rows would.
    void textTableAgreesWithAListOfRows()
    {
        constexpr int Cols = 4;
        TextTable t(Cols);
        QList<QStringList> expected;
        QRandomGenerator rng(5);
        const auto text = [&rng] {
            static const int lengths[] = {0, 0, 1, 2, 8, 16, 40, 0x7FFF, 0x8000};
            return oddText(lengths[rng.bounded(rng.bounded(40) == 0 ? 9 : 7)], char16_t(rng.bounded(9)));
        };
        const auto cells = [&] {
            QStringList out;
            for (int n = rng.bounded(Cols + 2); n > 0; --n)
                out << text();
            return out;
        };
        const auto padded = [](QStringList row) {
            row.resize(Cols);
            return row;
        };
        for (int step = 0; step < 2000; ++step) {
            const int rows = int(expected.size());
            switch (rng.bounded(5)) {
            case 0:
            case 1: {
                const int c = rng.bounded(-1, Cols + 1), r = rng.bounded(-1, rows + 1);
                const QString s = text();
                t.setCell(c, r, s);
                if (c >= 0 && c < Cols && r >= 0 && r < rows)
                    expected[r][c] = s;
                break;
            }
            case 2: {
                const int r = rng.bounded(-1, rows + 1);
                const QStringList row = cells();
                t.setRow(r, row);
                if (r >= 0 && r < rows)
                    expected[r] = padded(row);
                break;
            }
            case 3: {
                const int n = rng.bounded(40);
                t.setRowCount(n);
                expected.resize(n, QStringList(Cols));
                break;
            }
            default: {
                QList<QStringList> block;
                for (int n = rng.bounded(33); n > 0; --n)
                    block << cells();
                t.appendRows(block);
                for (const QStringList &row : block)
                    expected << padded(row);
            }
            }
            QCOMPARE(t.rowCount(), int(expected.size()));
            for (int r = 0; r < expected.size(); ++r)
                for (int c = 0; c < Cols; ++c)
                    QCOMPARE(t.cell(c, r), expected[r][c]);
        }
    }

    // Views follow the table: one signal for what changed, none for what did not.
    void textTableSignals()
    {
        TextTable t(3, 2);
        QSignalSpy changed(&t, &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&t, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&t, &QAbstractItemModel::modelReset);

        QVERIFY(t.setData(t.index(1, 2), QStringLiteral("Dvořák")));  // as an editor commits
        QCOMPARE(t.cell(2, 1), QStringLiteral("Dvořák"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].value<QModelIndex>(), t.index(1, 2));
        QCOMPARE(changed[0][1].value<QModelIndex>(), t.index(1, 2));
        t.setCell(2, 1, QStringLiteral("Dvořák"));
        t.setCell(0, 1, QString());
        t.setCell(3, 1, QStringLiteral("x"));
        t.setCell(0, 2, QStringLiteral("x"));
        QCOMPARE(changed.size(), 1);

        QList<QStringList> block;
        for (int i = 0; i < 32; ++i)
            block << QStringList{QString::number(i), QStringLiteral("12.05.2026"), QStringLiteral("nedef")};
        t.appendRows(block);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 2);
        QCOMPARE(inserted[0][2].toInt(), 33);
        QCOMPARE(t.cell(0, 33), QStringLiteral("31"));

        t.setRowCount(10);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed[0][1].toInt(), 10);
        QCOMPARE(removed[0][2].toInt(), 33);
        t.setRowCount(12);
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted[1][1].toInt(), 10);
        QCOMPARE(inserted[1][2].toInt(), 11);
        QCOMPARE(t.cell(1, 10), QString());  // not what the dropped row held

        t.clear();
        QCOMPARE(reset.size(), 1);
        QCOMPARE(t.rowCount(), 0);
    }

    void textTableRowMarks()
    {
        TextTable t(3, 4);
        QSignalSpy changed(&t, &QAbstractItemModel::dataChanged);
        t.setRowMark(2, 1);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].value<QModelIndex>(), t.index(2, 0));
        QCOMPARE(changed[0][1].value<QModelIndex>(), t.index(2, 2));
        QVERIFY(changed[0][2].value<QList<int>>().contains(TextTable::MarkRole));
        QCOMPARE(t.index(2, 1).data(TextTable::MarkRole).toInt(), 1);
        QCOMPARE(t.index(1, 1).data(TextTable::MarkRole).toInt(), 0);
        t.appendRows({{QStringLiteral("CHYBA")}});
        QCOMPARE(t.rowMark(4), 0);
        QCOMPARE(t.rowMark(2), 1);
        t.setRowCount(2);
        t.setRowCount(4);
        QCOMPARE(t.rowMark(2), 0);  // dropped with its row
        t.setRowMark(9, 1);
        t.setRowMark(1, 256);
        QCOMPARE(t.rowMark(1), 0);
    }

    // Today's Up from row 1 or a click on row 0 made the heading row current
    // (and the insertion row 0); now the current cell keeps off the fixed cells.
    void fixedCellsAreNeverCurrent_data()
    {
        QTest::addColumn<GridAction>("action");
        QTest::addColumn<CellPos>("from");
        QTest::addColumn<CellPos>("to");
        const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
            return GridAction([k, m](TextGrid &g) { QTest::keyClick(&g, k, m); });
        };
        const auto click = [](int col, int row) {
            return GridAction([col, row](TextGrid &g) {
                QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, g.visualRect(g.model()->index(row, col)).center());
            });
        };
        const auto select = [](int col, int row) { return GridAction([col, row](TextGrid &g) { g.selectCell(col, row); }); };
        QTest::newRow("Up from row 1") << key(Qt::Key_Up) << CellPos{2, 1} << CellPos{2, 1};
        QTest::newRow("Left from column 1") << key(Qt::Key_Left) << CellPos{1, 3} << CellPos{1, 3};
        QTest::newRow("Home") << key(Qt::Key_Home) << CellPos{3, 5} << CellPos{1, 5};
        QTest::newRow("PageUp") << key(Qt::Key_PageUp) << CellPos{2, 4} << CellPos{2, 1};
        QTest::newRow("Ctrl+Home") << key(Qt::Key_Home, Qt::ControlModifier) << CellPos{3, 9} << CellPos{1, 1};
        QTest::newRow("Shift+Tab from column 1") << key(Qt::Key_Backtab, Qt::ShiftModifier) << CellPos{1, 3} << CellPos{3, 2};
        QTest::newRow("click on row 0") << click(2, 0) << CellPos{2, 5} << CellPos{2, 5};
        QTest::newRow("click on column 0") << click(0, 4) << CellPos{2, 5} << CellPos{2, 5};
        QTest::newRow("selectCell(0, 0)") << select(0, 0) << CellPos{3, 9} << CellPos{1, 1};
        QTest::newRow("selectCell(0, 7)") << select(0, 7) << CellPos{3, 9} << CellPos{1, 7};
        QTest::newRow("click on a cell") << click(3, 2) << CellPos{2, 5} << CellPos{3, 2};
    }
    void fixedCellsAreNeverCurrent()
    {
        QFETCH(GridAction, action);
        QFETCH(CellPos, from);
        QFETCH(CellPos, to);
        GridFixture f;
        f.grid.selectCell(from.col, from.row);
        QCOMPARE(currentOf(f.grid), from);
        QSignalSpy selected(&f.grid, &TextGrid::cellSelected);
        action(f.grid);
        QCOMPARE(currentOf(f.grid), to);
        for (const QList<QVariant> &s : selected)
            QVERIFY(s[0].toInt() >= 1 && s[1].toInt() >= 1);
        if (!(to == from))
            QCOMPARE(selected.last(), (QList<QVariant>{to.col, to.row}));
    }

    // When its rows go, the current cell moves to a row left over, never to the heading row.
    void droppedRowsLeaveNoFixedCurrentCell_data()
    {
        QTest::addColumn<int>("keep");
        QTest::addColumn<int>("row");
        QTest::newRow("only the heading row left") << 1 << -1;
        QTest::newRow("rows left above") << 5 << 4;
    }
    void droppedRowsLeaveNoFixedCurrentCell()
    {
        QFETCH(int, keep);
        QFETCH(int, row);
        GridFixture f;
        f.grid.selectCell(2, 20);
        QSignalSpy selected(&f.grid, &TextGrid::cellSelected);
        f.grid.setRowCountAll(keep);
        QCOMPARE(f.grid.row(), row);
        f.grid.setRowCountAll(40);
        QCOMPARE(f.grid.row(), row);
        for (const QList<QVariant> &s : selected)
            QVERIFY(s[1].toInt() >= 1);
    }

    void fixedCellsAreNotEdited()
    {
        GridFixture f;
        for (const CellPos &p : {CellPos{2, 0}, CellPos{0, 6}}) {
            QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
            f.grid.edit(f.grid.model()->index(p.row, p.col));
            QVERIFY(!qobject_cast<QLineEdit *>(f.grid.viewport()->childAt(f.centre(p.col, p.row))));
        }
        f.grid.edit(f.grid.model()->index(6, 2));
        QVERIFY(qobject_cast<QLineEdit *>(f.grid.viewport()->childAt(f.centre(2, 6))));
    }

    void editorsTakeOnlyWindows1250()
    {
        GridFixture f;
        f.grid.selectCell(2, 3);
        auto *editor = qobject_cast<QLineEdit *>(f.grid.viewport()->childAt(f.centre(2, 3)));
        QVERIFY(editor && editor->validator());
        int pos = 0;
        QString czech = QStringLiteral("Žluťoučký kůň");
        QString other = QStringLiteral("日本");
        QCOMPARE(editor->validator()->validate(czech, pos), QValidator::Acceptable);
        QCOMPARE(editor->validator()->validate(other, pos), QValidator::Invalid);
    }

    // Headings on the button colour in plain (not greyed) text; a marked row
    // in its key's colour; a key without a colour leaves the row plain.
    void headingsAndMarkedRowsArePainted()
    {
        GridFixture f;
        const QColor mark(255, 64, 64);
        f.grid.setMarkColour(1, mark);
        f.grid.table().setRowMark(3, 1);
        f.grid.table().setRowMark(4, 2);
        f.grid.setCell(2, 0, QStringLiteral("MMMM"));
        f.grid.setCell(2, 7, QStringLiteral("MMMM"));
        const QColor button = f.grid.palette().color(QPalette::Button);
        const QColor base = f.grid.palette().color(QPalette::Base);
        QCOMPARE(f.pixelIn(3, 0), button);
        QCOMPARE(f.pixelIn(0, 5), button);
        QCOMPARE(f.pixelIn(2, 3), mark);
        QCOMPARE(f.pixelIn(0, 3), button);
        QCOMPARE(f.pixelIn(2, 4), base);
        QCOMPARE(f.pixelIn(3, 5), base);
        QCOMPARE(f.darkest(2, 0), f.darkest(2, 7));
    }

private:
    VirtualClock vc;
};

QTEST_MAIN(TestUi)
#include "test_ui.moc"
