#pragma once

#include <QString>
#include <QTextStream>
#include <functional>

namespace korvane {
class ControllerSession;
}

namespace korvane::cli {

struct MonitorOptions {
    QString csvPath;           // empty: one line per poll on `out`
    int durationSeconds = 0;   // 0: until a stop is requested
    double timeoutSeconds = 5; // for the first answer
};

// SIGINT and SIGTERM only request a stop; the monitor then closes its file
// and returns normally.
void installStopSignals();
bool stopRequested();
void clearStopRequest();

// Watches the live values without changing anything on the controller (the
// poll neither rewinds the logbook nor writes anything). Returns the exit code.
int runMonitorCommand(ControllerSession& session, const MonitorOptions& options, QTextStream& out,
                      QTextStream& err, std::function<qint64()> clock = {});

} // namespace korvane::cli
