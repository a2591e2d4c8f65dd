#include "LogbookCommand.h"

#include "ProgressPrinter.h"
#include "StatusCommand.h"

#include "logbook/LogbookTransfer.h"
#include "params/MotorNames.h"
#include "params/SwitchTimeWire.h"
#include "session/ControllerSession.h"

namespace korvane::cli {
namespace {

struct Outcome {
    bool ok = false;
    QString message;
};

// Runs the event loop until the transfer that `start` began has finished; the
// transfer ends by itself when the controller falls silent.
Outcome runTransfer(LogbookTransfer& transfer, const std::function<bool()>& start) {
    Outcome outcome;
    bool done = false;
    const auto conn = QObject::connect(&transfer, &LogbookTransfer::finished,
                                       [&](bool ok, const QString& message) {
                                           outcome = {ok, message};
                                           done = true;
                                       });
    if (start())
        runUntil(24 * 3600, [&] { return done; });
    else
        outcome.message = QStringLiteral("Eine andere Übertragung läuft noch.");
    QObject::disconnect(conn);
    return outcome;
}

// Reads every page from the first entry on. A page that comes incomplete
// starts the listing once more from the beginning; nothing is printed unless
// the whole log arrived.
int listLog(LogbookTransfer& transfer, QTextStream& out, QTextStream& err) {
    QStringList rows;
    QObject::connect(&transfer, &LogbookTransfer::entryRead,
                     [&](const LogEntry&, const QString& row) { rows << row; });
    bool restarted = false;
    bool fromStart = true;
    for (;;) {
        if (fromStart)
            rows.clear();
        const Outcome o = runTransfer(transfer, [&] { return transfer.startRead(fromStart); });
        if (!o.ok && restarted) {
            err << o.message << '\n';
            return 2;
        }
        if (!o.ok) {
            restarted = true;
            fromStart = true;
            continue;
        }
        if (transfer.readReachedEnd())
            break;
        fromStart = false;
    }

    out << logListTextHeading() << '\n';
    if (rows.isEmpty())
        out << kLogNoEntriesText << '\n';
    for (const QString& row : rows)
        out << row << '\n';
    return 0;
}

int exportLog(LogbookTransfer& transfer, const QString& file, QTextStream& out, QTextStream& err) {
    ProgressPrinter printer(err, QStringLiteral("Logbuch"));
    QObject::connect(&transfer, &LogbookTransfer::progress,
                     [&](int value, int maximum) { printer.update(value, maximum); });
    QString fileError;
    bool created = true;
    const Outcome o = runTransfer(transfer, [&] {
        created = transfer.startExport(file, &fileError);
        return created;
    });
    printer.finish();
    if (!created) {
        err << fileError << '\n';
        return 3;
    }
    if (!o.ok) {
        err << o.message << '\n';
        return 2;
    }
    out << QStringLiteral("%1 Einträge nach %2 geschrieben.\n")
               .arg(transfer.exportedEntries())
               .arg(file);
    return 0;
}

} // namespace

QString logbookUsageError() {
    return QStringLiteral("korvane-cli: logbook braucht entweder DATEI.vlf oder --list");
}

int runLogbookCommand(ControllerSession& session, const QString& file, bool list,
                      int timeoutSeconds, QTextStream& out, QTextStream& err,
                      MotorNameLookup motorNames) {
    if (list == !file.isEmpty()) {
        err << logbookUsageError() << '\n';
        return 1;
    }
    if (!waitForController(session, timeoutSeconds, err))
        return 2;
    // Without a name source, follow the "smn" replies that each transfer asks for.
    MotorNames names;
    QMetaObject::Connection smn;
    if (!motorNames) {
        smn = QObject::connect(&session, &ControllerSession::frameReceived,
                               [&names](const QByteArray& code, const QByteArray& payload) {
                                   if (code == "smn")
                                       applySmnReply(names, payload);
                               });
        motorNames = [&names](int motor) { return names.name(motor - 1); };
    }
    LogbookTransfer transfer(session, std::move(motorNames));
    const int code = list ? listLog(transfer, out, err) : exportLog(transfer, file, out, err);
    QObject::disconnect(smn);
    out.flush();
    err.flush();
    return code;
}

} // namespace korvane::cli
