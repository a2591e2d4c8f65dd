#pragma once

#include "FileBytes.h"
#include "LogbookCommand.h"
#include "SimController.h"
#include "SimLoopbackLink.h"
#include "StatusCommand.h"
#include "TransferCommands.h"
#include "files/SettingsFile.h"
#include "session/ControllerSession.h"

#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace korvane {

using test::fileBytes;
using test::writeBytes;

// The simulated controller behind a loopback link, a session and the printed text.
struct SimRig {
    SimController sim;
    SimLoopbackLink link{[this](const QByteArray& request) {
        sim.feed(request);
        return QList<QByteArray>{};
    }};
    ControllerSession session{&link};
    QString outText;
    QString errText;
    QTextStream out{&outText};
    QTextStream err{&errText};
    QMetaObject::Connection toLink;

    explicit SimRig(const SimModel& model = SimModel(), const QStringList& faults = {})
        : sim(model) {
        sim.setClock([] { return QDateTime(QDate(2026, 12, 5), QTime(7, 5, 9)); });
        sim.setAckQuietMs(1);
        setFaults(faults);
        toLink = connectLink();
        QObject::connect(&session, &ControllerSession::userMessage,
                         [this](const QString& text) { err << text << '\n'; });
        session.openDevice(QStringLiteral("/dev/sim"));
    }

    void setFaults(const QStringList& names) {
        SimFaults faults;
        for (const QString& name : names) {
            const auto f = SimFaults::fromName(name);
            if (!f)
                qFatal("unknown fault %s", qPrintable(name));
            faults.merge(*f);
        }
        sim.setFaults(faults);
    }

    // Runs "status [--json]", "read", "send", "logbook", "logbook --list" or
    // "logbook both" (a file and --list) as korvane-cli does.
    int run(const QString& command, const QString& file, double timeoutSeconds) {
        if (command.startsWith(QLatin1String("status")))
            return cli::runStatusCommand(session, timeoutSeconds, command.endsWith("json"), out,
                                         err);
        if (command == QLatin1String("read"))
            return cli::runReadCommand(session, file, timeoutSeconds, out, err);
        if (ParameterSet set; command == QLatin1String("send"))
            return loadSettingsFile(file, set).ok()
                       ? cli::runSendCommand(session, set, file, false, timeoutSeconds, out, err)
                       : -1;
        const bool list = command.endsWith("list");
        return cli::runLogbookCommand(session, list ? QString() : file,
                                      list || command.endsWith("both"), timeoutSeconds, out, err);
    }

    QMetaObject::Connection connectLink() {
        return QObject::connect(&sim, &SimController::replyReady, &link, &SimLoopbackLink::receive);
    }
    // What the controller answers to `request`, kept off the line.
    QByteArray feedAside(const QByteArray& request) {
        QObject::disconnect(toLink);
        QByteArray reply;
        const auto c = QObject::connect(&sim, &SimController::replyReady,
                                        [&](const QByteArray& f) { reply += f; });
        sim.feed(request);
        QObject::disconnect(c);
        toLink = connectLink();
        return reply;
    }
    // The controller's answers to the read-all requests, without faults.
    QMap<QByteArray, QByteArray> state() {
        setFaults({});
        QMap<QByteArray, QByteArray> s;
        for (const char* code :
             {"sbp", "sdm", "sda", "swp", "srp", "sjp", "soa", "sbh", "sas", "spp",
              "sip", "sfp", "sap", "ssp", "soi", "sta", "smn", "szz", "sfs", "sla"})
            s.insert(code, feedAside(code));
        return s;
    }
};

} // namespace korvane
