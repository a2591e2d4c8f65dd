#include "TransferCommands.h"

#include "ProgressPrinter.h"
#include "StatusCommand.h"

#include "files/SettingsFile.h"
#include "serial/SerialLink.h"
#include "session/ControllerSession.h"
#include "session/ParameterDiff.h"
#include "session/ParameterTransfer.h"

namespace korvane::cli {
namespace {

struct Outcome {
    bool done = false;
    bool ok = false;
    QString message;
};

// Runs one sequence to its end. The sequence ends by itself when the
// controller falls silent, so no further limit is needed here.
Outcome runSequence(ParameterTransfer& transfer, bool send, QTextStream& err) {
    Outcome outcome;
    ProgressPrinter printer(err, send ? QStringLiteral("Senden") : QStringLiteral("Lesen"));
    QObject::connect(&transfer, &ParameterTransfer::progress,
                     [&](int value, int maximum, bool visible) {
                         if (visible)
                             printer.update(value, maximum);
                     });
    auto finished = [&](bool ok, const QString& message) { outcome = {true, ok, message}; };
    QObject::connect(&transfer, &ParameterTransfer::readAllFinished, finished);
    QObject::connect(&transfer, &ParameterTransfer::sendAllFinished, finished);
    const bool started = send ? transfer.startSendAll() : transfer.startReadAll();
    if (!started)
        return {true, false, QString()};
    runUntil(24 * 3600, [&] { return outcome.done; });
    if (outcome.ok)
        printer.update(1, 1);
    printer.finish();
    return outcome;
}

} // namespace

int readEverything(ControllerSession& session, ParameterSet& params, QTextStream& err) {
    ParameterTransfer transfer(session, params);
    const Outcome outcome = runSequence(transfer, false, err);
    if (outcome.ok)
        return 0;
    err << (outcome.message.isEmpty() ? QStringLiteral("Lesen nicht m\u00F6glich.")
                                      : outcome.message)
        << '\n';
    return 2;
}

int runReadCommand(ControllerSession& session, const QString& file, int timeoutSeconds,
                   QTextStream& out, QTextStream& err) {
    ParameterSet params;
    if (!waitForController(session, timeoutSeconds, err))
        return 2;
    if (const int code = readEverything(session, params, err))
        return code;
    const SaveResult saved = saveSettingsFile(file, params);
    if (!saved.ok) {
        err << saved.errorText << '\n';
        return 3;
    }
    out << QStringLiteral("Alle Daten gelesen und in %1 gespeichert.\n").arg(file);
    return 0;
}

int runSendCommand(ControllerSession& session, ParameterSet& params, const QString& file,
                   bool verify, int timeoutSeconds, QTextStream& out, QTextStream& err) {
    // Everything in the file goes to the controller.
    applyChangedEvent(params, ChangedEvent::Startup);
    if (!waitForController(session, timeoutSeconds, err))
        return 2;
    // The transfer that sent must be gone before the read-back, or it would
    // store the replies into what was sent.
    const Outcome outcome = [&] {
        ParameterTransfer transfer(session, params);
        return runSequence(transfer, true, err);
    }();
    if (!outcome.ok) {
        // The date guard has already spoken through the session's messages.
        if (!outcome.message.isEmpty())
            err << outcome.message << '\n';
        return 2;
    }
    if (!verify) {
        out << QStringLiteral("Alle Daten aus %1 zur Steuerung gesendet.\n").arg(file);
        return 0;
    }
    ParameterSet readBack;
    if (const int code = readEverything(session, readBack, err))
        return code;
    // Compared as the file holds them: what it cannot tell apart is no difference.
    const QStringList differences =
        parameterDifferences(asControllerKeeps(asSettingsFileHolds(params)),
                             asControllerKeeps(asSettingsFileHolds(readBack)), session.model());
    if (!differences.isEmpty()) {
        err << QStringLiteral("Pr\u00FCfung fehlgeschlagen: die Steuerung h\u00E4lt nicht, was "
                              "gesendet wurde (gesendet \u2192 gelesen):\n")
            << differences.join(u'\n') << '\n';
        return 2;
    }
    out << QStringLiteral("Alle Daten aus %1 zur Steuerung gesendet und gepr\u00FCft.\n").arg(file);
    return 0;
}

} // namespace korvane::cli
