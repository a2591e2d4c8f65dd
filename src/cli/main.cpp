#include "CliOptions.h"
#include "DiffCommand.h"
#include "ExitCodes.h"
#include "HistoryCommand.h"
#include "LogbookCommand.h"
#include "MonitorCommand.h"
#include "PortsCommand.h"
#include "StatusCommand.h"
#include "TransferCommands.h"

#include "files/FileAccess.h"
#include "files/SettingsFile.h"
#include "history/HistoryStore.h"
#include "serial/QtSerialLink.h"
#include "session/ControllerSession.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace korvane;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << cli::usageText();
        return 0;
    }
    QString usageError;
    const auto options = cli::parseCliOptions(args, &usageError);
    if (!options) {
        err << "korvane-cli: " << usageError << "\n\n" << cli::usageText();
        // diff keeps 1 for "different".
        return args.contains(QStringLiteral("diff")) ? int(cli::kDiffTrouble) : cli::kExitUsage;
    }

    const QString& command = options->command;
    const QString file = options->arguments.value(0);
    const QStringList commands{QStringLiteral("status"),  QStringLiteral("read"),
                               QStringLiteral("send"),    QStringLiteral("logbook"),
                               QStringLiteral("diff"),    QStringLiteral("ports"),
                               QStringLiteral("monitor"), QStringLiteral("history")};
    if (!commands.contains(command)) {
        err << "korvane-cli: unknown command " << command << "\n\n" << cli::usageText();
        return cli::kExitUsage;
    }
    if ((command == QLatin1String("read") || command == QLatin1String("send")) && file.isEmpty()) {
        err << "korvane-cli: " << command << " needs a file name\n";
        return cli::kExitUsage;
    }

    if (command == QLatin1String("history"))
        return cli::runHistoryCommand({options->dbPath, options->from, options->to,
                                       options->minutes, options->csvPath, options->thresholdsPath},
                                      out, err);
    if (command == QLatin1String("ports")) {
        QString note;
        const QString ini = cli::settingsPath(&note);
        if (!note.isEmpty())
            err << "korvane-cli: " << note << '\n';
        return cli::runPortsCommand(ini, options->json, out, err);
    }
    if ((options->verify && command != QLatin1String("send")) ||
        (!options->scope.isEmpty() && command != QLatin1String("diff"))) {
        err << "korvane-cli: --verify belongs to send, --scope to diff\n";
        return command == QLatin1String("diff") ? int(cli::kDiffTrouble) : cli::kExitUsage;
    }
    if (command == QLatin1String("diff")) {
        if (const auto settled = cli::runDiffWithoutPort(*options, out, err))
            return *settled;
    }

    // The file a command reads or writes is checked before the port is
    // opened, so that a bad file costs no transfer.
    ParameterSet fileSet;
    if (command == QLatin1String("send") || command == QLatin1String("diff")) {
        const LoadResult loaded = loadSettingsFile(file, fileSet);
        if (!loaded.ok()) {
            err << loaded.message() << '\n';
            return command == QLatin1String("diff") ? int(cli::kDiffTrouble) : cli::kExitFile;
        }
    }
    const bool writesFile =
        command == QLatin1String("read") ||
        (command == QLatin1String("logbook") && !options->list && !file.isEmpty());
    const bool logsCsv = command == QLatin1String("monitor") && !options->csvPath.isEmpty();
    const QString written = logsCsv ? options->csvPath : file;
    if (writesFile || logsCsv) {
        if (const QString problem = fileWriteProblem(written); !problem.isEmpty()) {
            err << problem << '\n';
            return cli::kExitFile;
        }
    }

    QString iniWarning;
    const QString device = cli::resolveDevice(options->port, &iniWarning);
    if (!iniWarning.isEmpty())
        err << "korvane-cli: " << iniWarning << '\n';

    QtSerialLink link;
    ControllerSession session(&link);
    QObject::connect(&session, &ControllerSession::userMessage, [&](const QString& text) {
        err << text.trimmed() << '\n';
        err.flush();
    });
    if (!session.openDevice(device)) {
        err << serialErrorText(session.openError()) << '\n';
        return command == QLatin1String("diff") ? int(cli::kDiffTrouble)
                                                : cli::exitCodeFor(session.openError());
    }

    if (command == QLatin1String("monitor")) {
        // The history database records what the monitor sees; its problems
        // are told and the monitor goes on.
        std::unique_ptr<HistoryStore> store;
        if (!options->dbPath.isEmpty() && !options->noHistory) {
            store = std::make_unique<HistoryStore>();
            QObject::connect(store.get(), &HistoryStore::problem, [&](const QString& text) {
                err << "korvane-cli: " << text << '\n';
                err.flush();
            });
            store->open(options->dbPath);
            store->recordFrom(session);
        }
        cli::installStopSignals();
        return cli::runMonitorCommand(
            session, {options->csvPath, options->durationSeconds, options->timeoutSeconds}, out,
            err);
    }
    if (command == QLatin1String("status"))
        return cli::runStatusCommand(session, options->timeoutSeconds, options->json, out, err);
    if (command == QLatin1String("read"))
        return cli::runReadCommand(session, file, options->timeoutSeconds, out, err);
    if (command == QLatin1String("send"))
        return cli::runSendCommand(session, fileSet, file, options->verify, options->timeoutSeconds,
                                   out, err);
    if (command == QLatin1String("diff"))
        return cli::runControllerDiff(session, fileSet, options->timeoutSeconds, out, err);
    return cli::runLogbookCommand(session, file, options->list, options->timeoutSeconds, out, err);
}
