#pragma once
// Serves a simulated bus on a pseudo-terminal: what the program writes to the
// terminal goes onto the bus, the devices' replies come back at the line rate.
// The only place of tavo-sim that makes system calls.

#include "sim/line_trace.h"
#include "sim/sim_bus.h"
#include "core/clock.h"

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace sim {

class PtyServer : public QObject {
public:
    // The bus must be open. trace may be null.
    PtyServer(SimBus &bus, LineTrace *trace);
    ~PtyServer() override;

    // Opens the pseudo-terminal in raw mode; returns the path a program opens.
    // Raises Error on failure.
    QString open();
    // A symbolic link to the terminal, removed again with the server; an
    // existing link of that name is replaced, any other file is left alone.
    void makeLink(const QString &path);

    // SIGINT and SIGTERM end the event loop, so the server is cleaned up.
    static void quitOnSignals();

private:
    void readRequests();
    void pumpReplies();
    void schedulePump();

    SimBus &bus_;
    LineTrace *trace_;
    int master_ = -1;
    int slave_ = -1;
    QSocketNotifier *notifier_ = nullptr;
    Clock::Id pump_ = 0;
    QString path_;
    QString link_;
};

} // namespace sim
