#include "CliOptions.h"
#include "LogbookCommand.h"
#include "StatusCommand.h"
#include "TransferCommands.h"

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
        return 1;
    }

    QtSerialLink link;
    ControllerSession session(&link);
    const QString device = cli::resolveDevice(options->port);
    QObject::connect(&session, &ControllerSession::userMessage, [&](const QString& text) {
        err << text.trimmed() << '\n';
        err.flush();
    });
    if (!session.openDevice(device))
        return 3;

    const QString& command = options->command;
    const QString file = options->arguments.value(0);
    if (command == QLatin1String("status"))
        return cli::runStatusCommand(session, options->timeoutSeconds, options->json, out, err);
    if ((command == QLatin1String("read") || command == QLatin1String("send")) && file.isEmpty()) {
        err << "korvane-cli: " << command << " needs a file name\n";
        return 1;
    }
    if (command == QLatin1String("read"))
        return cli::runReadCommand(session, file, options->timeoutSeconds, out, err);
    if (command == QLatin1String("send"))
        return cli::runSendCommand(session, file, options->timeoutSeconds, out, err);
    if (command == QLatin1String("logbook"))
        return cli::runLogbookCommand(session, file, options->list, options->timeoutSeconds, out,
                                      err);

    err << "korvane-cli: unknown command " << options->command << "\n\n" << cli::usageText();
    return 1;
}
