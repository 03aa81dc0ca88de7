// The settings window TForm6 and the login window TForm7.
#include "records/heading_grid.h"
#include "records/tform6.h"
#include "records/tform7.h"
#include "records/user_settings.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QList<QByteArray> fileLines(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = f.readAll().split('\n');
    lines.removeLast();  // after the last LF
    return lines;
}

Headings startHeadings()
{
    Headings h;
    h.at(0, 0) = QStringLiteral("Pozice");
    h.at(2, 1) = QStringLiteral("Příznaky");
    h.at(8, 2) = QStringLiteral("Poznámka 3");
    h.at(5, 3) = QStringLiteral("Kódů");
    h.at(7, 1) = QStringLiteral("unused");  // beyond the archive set's three headings
    h.at(9, 2) = QStringLiteral("kept");    // column 9 is never touched
    h.at(4, 4) = QStringLiteral("stray");
    h.storedPassword() = passwordValue(QStringLiteral("heslo"));
    return h;
}

HeadingGrid *gridOf(QWidget *w)
{
    for (; w; w = w->parentWidget())
        if (auto *grid = qobject_cast<HeadingGrid *>(w))
            return grid;
    return nullptr;
}

void focusIn(QWidget *w, Qt::FocusReason reason)
{
    QFocusEvent e(QEvent::FocusIn, reason);
    QApplication::sendEvent(w, &e);
}
} // namespace

class TestSettingsWindows : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("TAVO-konfig.txt")); }

private slots:
    void settingsWindowShowsStartHeadings()
    {
        Headings h = startHeadings();
        TForm6 f(h, file(), [] {});
        QCOMPARE(f.windowTitle(), QStringLiteral("Uživatelské nastavení"));
        QCOMPARE(f.StringGrid2->cell(0, 0), QStringLiteral("Starý nadpis"));
        QCOMPARE(f.StringGrid2->cell(0, 1), QStringLiteral("Nový nadpis"));
        for (int row : {0, 1}) {
            QCOMPARE(f.StringGrid2->cell(1, row), QStringLiteral("Pozice"));
            QCOMPARE(f.StringGrid1->cell(3, row), QStringLiteral("Příznaky"));
            QCOMPARE(f.StringGrid3->cell(9, row), QStringLiteral("Poznámka 3"));
            QCOMPARE(f.StringGrid4->cell(6, row), QStringLiteral("Kódů"));
        }
        QVERIFY(f.sizeHint().width() <= 1366 && f.sizeHint().height() <= 740);
    }

    void applyHeadings()
    {
        Headings h = startHeadings();
        int refreshed = 0;
        TForm6 f(h, file(), [&] { ++refreshed; });
        f.show();
        f.StringGrid1->setCell(1, 1, QStringLiteral("Slot"));
        f.StringGrid3->setCell(9, 1, QStringLiteral("Pozn.; 3"));
        f.StringGrid4->setCell(6, 1, QString());
        f.Button1Click();
        QCOMPARE(refreshed, 1);
        QVERIFY(f.isHidden());
        QCOMPARE(h.at(0, 1), QStringLiteral("Slot"));
        QCOMPARE(h.at(2, 1), QStringLiteral("Příznaky"));
        QCOMPARE(h.at(7, 1), QString());
        QCOMPARE(h.at(8, 2), QStringLiteral("Pozn.; 3"));
        QCOMPARE(h.at(9, 2), QStringLiteral("kept"));
        QCOMPARE(h.at(5, 3), QString());
        QCOMPARE(h.at(4, 4), QString());
        QCOMPARE(fileLines(file()).value(1), QByteArray("Slot;;P\xf8\xedznaky;;;;;;;\r"));
        QCOMPARE(fileLines(file()).value(2), QByteArray(";;;;;;;;Pozn. 3;kept\r"));
    }

    // OK by its shortcut leaves the cell being typed in: what was typed counts.
    void applyTakesTheCellBeingEdited()
    {
        Headings h = startHeadings();
        TForm6 f(h, file(), [] {});
        f.show();
        f.StringGrid3->setFocus();
        f.StringGrid3->edit(f.StringGrid3->model()->index(1, 2));
        QWidget *editor = f.focusWidget();
        QVERIFY(editor && editor != f.StringGrid3);
        QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("Kód klíče"));
        QApplication::sendEvent(editor, &typed);
        f.Button1Click();
        QCOMPARE(h.at(1, 2), QStringLiteral("Kód klíče"));
    }

    void passwordChange_data()
    {
        QTest::addColumn<QString>("oldPassword");
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<QString>("stored");
        const QString before = passwordValue(QStringLiteral("heslo"));
        const QString after = passwordValue(QStringLiteral("nove"));
        QTest::newRow("right old") << "heslo" << "nove" << after;
        QTest::newRow("right old, other case") << "HESLO" << "nove" << after;
        QTest::newRow("wrong old") << "jine" << "nove" << before;
        QTest::newRow("old missing") << "" << "nove" << before;
        QTest::newRow("new missing") << "heslo" << "" << before;
    }
    void passwordChange()
    {
        QFETCH(QString, oldPassword);
        QFETCH(QString, newPassword);
        QFETCH(QString, stored);
        Headings h = startHeadings();
        TForm6 f(h, file(), [] {});
        f.Edit1->setText(oldPassword);
        f.Edit2->setText(newPassword);
        f.Button1Click();
        QCOMPARE(h.storedPassword(), stored);
        QCOMPARE(fileLines(file()).value(4), stored.toLatin1() + ";;;;;;;;;\r");
        QVERIFY(f.Edit1->text().isEmpty() && f.Edit2->text().isEmpty());
    }

    void reopenedWindowKeepsStartHeadingsAndTyping()
    {
        Headings h = startHeadings();
        TForm6 f(h, file(), [] {});
        f.show();
        f.StringGrid2->setCell(1, 1, QStringLiteral("Slot"));
        f.Button1Click();
        f.StringGrid2->setCell(2, 1, QStringLiteral("Klíč"));
        f.Button2Click();
        QVERIFY(f.isHidden());
        QCOMPARE(h.at(1, 0), QString());
        f.show();
        QCOMPARE(f.StringGrid2->cell(1, 0), QStringLiteral("Pozice"));
        QCOMPARE(f.StringGrid2->cell(1, 1), QStringLiteral("Slot"));
        QCOMPARE(f.StringGrid2->cell(2, 1), QStringLiteral("Klíč"));
    }

    // Tab walks the new headings of a grid, then the next control, in the order on screen.
    void tabOrder()
    {
        Headings h;
        TForm6 f(h, file(), [] {});
        f.show();
        f.StringGrid1->setFocus();
        QStringList visited;
        for (int i = 0; i < 26; ++i) {
            QWidget *w = f.focusWidget();
            HeadingGrid *grid = gridOf(w);  // the grid itself or the editor of one of its cells
            visited << (grid ? grid->objectName() + u':' + QString::number(grid->col()) : w->objectName());
            QTest::keyClick(w, Qt::Key_Tab);
        }
        QStringList expected;
        for (auto [grid, count] : {std::pair{"StringGrid1", 3}, {"StringGrid2", 4}, {"StringGrid3", 9}, {"StringGrid4", 6}})
            for (int c = 1; c <= count; ++c)
                expected << QStringLiteral("%1:%2").arg(QLatin1String(grid)).arg(c);
        expected << "Edit1" << "Edit2" << "Button1" << "Button2";
        QCOMPARE(visited, expected);
        QCOMPARE(f.focusWidget(), f.StringGrid1);
    }

    void passwordFieldsTakeWindows1250Only()
    {
        Headings h;
        TForm6 f(h, file(), [] {});
        for (QLineEdit *e : {f.Edit1, f.Edit2}) {
            QCOMPARE(e->echoMode(), QLineEdit::Password);
            QKeyEvent czech(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("ř"));
            QApplication::sendEvent(e, &czech);
            QKeyEvent greek(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("λ"));
            QApplication::sendEvent(e, &greek);
            QCOMPARE(e->text(), QStringLiteral("ř"));
        }
    }

    void loginFirstDisplaySubmitsEmptyAndStaysOpen()
    {
        QString entered = QStringLiteral("unset");
        TForm7 f(entered);
        int closes = 0;
        QObject::connect(&f, &TForm7::closed, &f, [&] { ++closes; });
        f.show();
        QCOMPARE(entered, passwordValue(QString()));
        QVERIFY(f.isVisible());
        focusIn(f.Edit1, Qt::ActiveWindowFocusReason);  // the window taking the input
        QVERIFY(f.isVisible());
        QCOMPARE(closes, 0);
    }

    void loginSubmissions_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Enter") << 0;
        QTest::newRow("OK button") << 1;
        QTest::newRow("focus back in the field") << 2;
    }
    void loginSubmissions()
    {
        QFETCH(int, how);
        QString entered;
        TForm7 f(entered);
        int closes = 0;
        QObject::connect(&f, &TForm7::closed, &f, [&] { ++closes; });
        f.show();
        QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("heslo"));
        QApplication::sendEvent(f.Edit1, &typed);
        if (how == 0)
            QTest::keyClick(f.Edit1, Qt::Key_Return);
        else if (how == 1)
            QTest::mouseClick(f.Button1, Qt::LeftButton);
        else
            focusIn(f.Edit1, Qt::BacktabFocusReason);
        QCOMPARE(entered, passwordValue(QStringLiteral("heslo")));
        QVERIFY(f.isHidden());
        QCOMPARE(closes, 1);
    }

    void loginClosedWithoutSubmission_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("close box") << false;
        QTest::newRow("Escape") << true;
    }
    void loginClosedWithoutSubmission()
    {
        QFETCH(bool, escape);
        QString entered;
        TForm7 f(entered);
        int closes = 0;
        QObject::connect(&f, &TForm7::closed, &f, [&] { ++closes; });
        f.show();
        QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("heslo"));
        QApplication::sendEvent(f.Edit1, &typed);
        if (escape)
            QTest::keyClick(f.Edit1, Qt::Key_Escape);
        else
            f.close();
        QVERIFY(f.isHidden());
        QCOMPARE(entered, passwordValue(QString()));
        QCOMPARE(closes, 1);
        f.close();  // already closed: no second run
        QCOMPARE(closes, 1);
    }

    void loginUnderExec()
    {
        QString entered;
        TForm7 f(entered);
        QString seenInOnClose;
        QObject::connect(&f, &TForm7::closed, &f, [&] { seenInOnClose = entered; });
        QTimer::singleShot(0, &f, [&] {
            f.Edit1->setText(QStringLiteral("heslo"));
            f.Button1Click();
        });
        f.exec();
        QCOMPARE(seenInOnClose, passwordValue(QStringLiteral("heslo")));
    }
};

QTEST_MAIN(TestSettingsWindows)
#include "test_settings_windows.moc"
