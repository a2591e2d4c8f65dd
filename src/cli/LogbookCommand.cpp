#include "LogbookCommand.h"

#include "ProgressPrinter.h"
#include "StatusCommand.h"
#include "StopSignals.h"

#include "logbook/LogbookTransfer.h"
#include "params/MotorNames.h"
#include "params/SwitchTimeWire.h"
#include "session/ControllerSession.h"

namespace korvane::cli {
namespace {

struct Outcome {
    bool ok = false;
    QString message;
    bool ran = false; // the transfer started and ended by itself or by a stop
};

// What a stop signal makes of a running transfer.
QString stoppedTransferText(const LogbookTransfer& transfer, int signal) {
    return transfer.mode() == LogbookTransfer::Mode::Export
               ? QStringLiteral("Logbuch-Export abgebrochen durch %1. Die Datei wurde nicht "
                                "geschrieben.")
                     .arg(StopSignals::signalName(signal))
               : QStringLiteral("Logbuch lesen abgebrochen durch %1.")
                     .arg(StopSignals::signalName(signal));
}

// Runs the event loop until the transfer that `start` began has finished; the
// transfer ends by itself when the controller falls silent, and at once on a
// stop signal (none is started after one).
Outcome runTransfer(LogbookTransfer& transfer, const std::function<bool()>& start) {
    if (stopSignal())
        return {false, StopSignals::stoppedText(stopSignal())};
    Outcome outcome;
    bool done = false;
    const auto conn = QObject::connect(&transfer, &LogbookTransfer::finished,
                                       [&](bool ok, const QString& message) {
                                           outcome = {ok, message};
                                           done = true;
                                       });
    const auto onSignal = QObject::connect(
        &StopSignals::instance(), &StopSignals::stopRequested, &transfer,
        [&transfer](int signal) { transfer.stop(stoppedTransferText(transfer, signal)); });
    if (start()) {
        runUntil(24 * 3600, [&] { return done; });
        outcome.ran = true;
    } else {
        outcome.message = QStringLiteral("Eine andere Übertragung läuft noch.");
    }
    QObject::disconnect(conn);
    QObject::disconnect(onSignal);
    return outcome;
}

// Reads every page from the first entry on, and the whole log once more from
// the start while entries are missing: the passes are merged by entry number
// as long as the count stays the same, at most kMaxPasses of them, and a
// further pass only while the last one brought something. Nothing is printed
// unless the whole log arrived.
int listLog(LogbookTransfer& transfer, const MotorNameLookup& names, QTextStream& out,
            QTextStream& err) {
    LogPassCheck whole;
    whole.begin(1, 0);
    for (int pass = 1;; ++pass) {
        bool brought = false;
        for (bool fromStart = true;; fromStart = false) {
            const Outcome o = runTransfer(transfer, [&] { return transfer.startRead(fromStart); });
            // A page that could not start, was stopped or heard nothing at all
            // ends the listing: a controller that does not answer is not asked again.
            if (!o.ok && (!o.ran || !transfer.heardAnything() || stopSignal())) {
                err << o.message << '\n';
                return 2;
            }
            brought = whole.absorb(transfer.lastCheck()) || brought;
            // A page without its count places nothing: the pass ends there.
            if (whole.complete() || transfer.readReachedEnd() || !transfer.lastCheck().countKnown())
                break;
        }
        if (whole.complete())
            break;
        if (pass >= LogbookTransfer::kMaxPasses || (pass > 1 && !brought)) {
            err << QStringLiteral("Logbuch unvollst\u00E4ndig, es fehlen: ") << whole.missing()
                << '\n';
            return 2;
        }
    }

    out << logListTextHeading() << '\n';
    const QList<LogEntry> entries = whole.entries();
    if (entries.isEmpty())
        out << kLogNoEntriesText << '\n';
    for (const LogEntry& e : entries)
        out << logListRow(e, whole.count(), logMotorName(e, names)) << '\n';
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
                      double timeoutSeconds, QTextStream& out, QTextStream& err,
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
    LogbookTransfer transfer(session, motorNames);
    transfer.setSilenceTimeout(int(timeoutSeconds * 1000));
    const int code =
        list ? listLog(transfer, motorNames, out, err) : exportLog(transfer, file, out, err);
    QObject::disconnect(smn);
    out.flush();
    err.flush();
    return code;
}

} // namespace korvane::cli
