#pragma once
// The whole program on a fresh program folder, talking to a simulated bus on a
// virtual clock, logged in with the empty password.

#include "app/program.h"
#include "app/tform1.h"
#include "devices/code_memory/tform2.h"
#include "devices/code_memory/tform3.h"
#include "devices/code_memory/tform4.h"
#include "records/tform7.h"
#include "records/user_settings.h"
#include "sim/sim_bus.h"
#include "tests/support/scripted_operator.h"
#include "core/clock.h"
#include "core/cp1250.h"
#include "ui/text_grid.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace sim;

// TAVO-konfig.txt with the usual headings and the check value of password.
inline QByteArray settingsWithPassword(const QString &password)
{
    return toCp1250(QStringLiteral("Pozice;Kód;Příznaky;Příjmení;;;;;;\r\n"
                                   "Slot;Kód;Příznaky;;;;;;;\r\n"
                                   "Č.;Kód;Příjmení;Jméno;Oddělení;Telefon;P1;P2;P3;\r\n"
                                   "Č.;Název;Archiv;Adresa;Relé;Kódů;;;;\r\n"))
        + passwordValue(password).toLatin1() + ";;;;;;;;;\r\n";
}

struct ProgramFixture {
    VirtualClock vc;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<Program> program;
    SimBus *bus = nullptr;  // owned by the program's link
    ScriptedOperator op;

    // Devices are added to the bus before start().
    std::unique_ptr<SimBus> pendingBus;

    void setUp()
    {
        setTheClock(&vc);
        dir = std::make_unique<QTemporaryDir>();
        writeFile("TAVO-konfig.txt", settingsWithPassword(QString()));
        writeFile("TAVO-oprogramu.txt", "TAVO\r\n");
        writeFile("TAVO-napoveda.txt", "Help\r\n");
        pendingBus = std::make_unique<SimBus>();
        bus = pendingBus.get();
        op.shown.clear();
        op.answers.clear();
    }
    void tearDown()
    {
        program.reset();
        pendingBus.reset();
        bus = nullptr;
        setTheClock(nullptr);
    }

    void writeFile(const char *name, const QByteArray &bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QString path(const char *name) const { return dir->filePath(QString::fromLatin1(name)); }

    // The program on the folder, its main window shown and the login window open.
    void create()
    {
        program = std::make_unique<Program>(path("tavo"), std::move(pendingBus));
        form1()->show();
    }
    // Types the password into the login window and submits it.
    void login(const QString &password)
    {
        form7()->Edit1->setText(password);
        form7()->Button1Click();
    }
    // Created and logged in with the empty password, the bus log cleared.
    void start()
    {
        create();
        login(QString());
        QVERIFY(form1()->started);
        bus->clearLog();
    }

    TForm1 *form1() const { return program->form1(); }
    TForm7 *form7() const { return program->window<TForm7>(); }
    TForm2 *form2() const { return program->window<TForm2>(); }
    TForm3 *form3() const { return program->window<TForm3>(); }
    TForm4 *form4() const { return program->window<TForm4>(); }
    TextTable &grid() const { return form1()->db.workingSet; }
    Table &devices() const { return form1()->db.Table3; }

    void trigger(const char *menuItem) { form1()->menuItem(QString::fromLatin1(menuItem))->trigger(); }

    // The requests the devices got with this command, in order.
    QList<SimRequest> requests(int command) const
    {
        QList<SimRequest> out;
        for (const SimBus::Request &r : bus->requests())
            if (r.request.command == command)
                out << r.request;
        return out;
    }
    QList<int> commands() const
    {
        QList<int> out;
        for (const SimBus::Request &r : bus->requests())
            out << r.request.command;
        return out;
    }
    // Lets virtual time pass until pred() holds (at most limitMs).
    bool runUntil(const std::function<bool()> &pred, qint64 limitMs) { return vc.advanceUntil(pred, limitMs, 5); }
};

// The 32-bit big-endian number at data[at..at+3].
inline int addressAt(const QByteArray &data, int at)
{
    int a = 0;
    for (int i = 0; i < 4; ++i)
        a = a << 8 | quint8(data[at + i]);
    return a;
}
