// Options, exit codes, and only `logbook --list` moves the logbook position.

#include "helpers/SimRig.h"

#include "CliOptions.h"

#include <QElapsedTimer>

using namespace korvane;

class TestCliCommands : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void options() {
        const std::pair<QStringList, QString> cases[] = {
            // error; empty: accepted
            {{"status"}, ""},
            {{"--port", "COM3", "--json", "status"}, ""},
            {{"--json"}, "no command given"},
            {{"status", "--port"}, "--port needs a value"},
            {{"--timeout", "0.5", "status"}, ""},
            {{"--timeout", "2,5", "status"}, ""},
            {{"--timeout", "3600", "status"}, ""},
            {{"--timeout", "0", "status"}, "--timeout needs a number of seconds from 0.1 to 3600"},
            {{"--timeout", "0.05", "status"}, "--timeout needs a number of seconds"},
            {{"--timeout", "3600.1", "status"}, "--timeout needs a number of seconds"},
            {{"--timeout", "-1", "status"}, "--timeout needs a number of seconds"},
            {{"monitor", "--csv", "a.csv", "--duration", "7"}, ""},
            {{"monitor", "--duration", "0"}, "--duration needs a positive number"},
            {{"--fast", "status"}, "unknown option --fast"}};
        for (const auto& [args, error] : cases) {
            QString message;
            const auto o = cli::parseCliOptions(QStringList{"korvane-cli"} + args, &message);
            QCOMPARE(o.has_value(), error.isEmpty());
            QVERIFY2(error.isEmpty() || message.startsWith(error), qPrintable(message));
            if (o && args.contains("--port"))
                QCOMPARE(o->port, QStringLiteral("COM3"));
            if (o && args.contains("--timeout"))
                QCOMPARE(o->timeoutSeconds, QString(args[1]).replace(',', '.').toDouble());
            if (o && args.contains("--csv"))
                QCOMPARE(o->csvPath + ' ' + QString::number(o->durationSeconds), "a.csv 7");
        }
    }

    // A read or export allows the controller --timeout seconds of silence: one that stops
    // answering mid-way fails after two of them (the silence ends the round or pass, the
    // second asking goes unanswered), not after fixed limits of 9 or 10 seconds.
    void silenceFollowsTimeout() {
        const std::tuple<const char*, const char*, QString> rows[] = {
            {"read", "start_sbp", QStringLiteral("\nLesen unvollst\u00E4ndig: ")},
            {"logbook", "start_slf",
             QStringLiteral("\nLogbuch-Export abgebrochen: keine Antwort")}};
        for (const auto& [command, lastFrame, said] : rows) {
            SimRig rig;
            QObject::connect(&rig.sim, &SimController::replyReady,
                             [&rig, last = lastFrame](const QByteArray& frame) {
                                 if (frame.startsWith(last))
                                     QObject::disconnect(rig.toLink); // the last frame heard
                             });
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(rig.run(command, m_dir.filePath(QStringLiteral("mute")), 0.4), 2);
            QVERIFY2(clock.elapsed() >= 700 && clock.elapsed() < 4000, // timers may fire 5 % early
                     qPrintable(QString::number(clock.elapsed())));
            QVERIFY2(rig.errText.contains(said), qPrintable(rig.errText));
        }
    }

    void commands() {
        const QString good = SimModel().text();
        // command, model, answering, exit code, message (on out for 0, else on err)
        const std::tuple<QString, QString, bool, int, QString> cases[] = {
            {"status", good, true, 0, "Modell:"},
            {"status --json", good, true, 0, "\"motors\": 8"},
            {"status", good, false, 2, "Keine Antwort von der Steuerung"},
            {"read", good, true, 0, "Alle Daten gelesen"},
            {"read", "VX-4000 W x 8ST", true, 2, "keine gültige Motor"}, // counts not digits
            {"send", good, true, 0, "zur Steuerung gesendet"},
            {"logbook", good, true, 0, "42 Einträge"},
            {"logbook --list", good, true, 0, "Nr."},
            {"logbook both", good, true, 1, "either FILE.vlf or --list"}};
        const QString file = m_dir.filePath(QStringLiteral("out"));
        const QString sendFile = m_dir.filePath(QStringLiteral("send.vts"));
        QVERIFY(saveSettingsFile(sendFile, ParameterSet()).ok);
        for (const auto& [command, model, answering, exitCode, message] : cases) {
            SimRig rig(SimModel::fromText(model));
            if (!answering)
                QObject::disconnect(rig.toLink); // the cable is pulled
            QFile::remove(file);
            // A read position away from the start shows any rewind.
            rig.link.write("sld");
            QTRY_COMPARE(rig.sim.logbook().readPosition(), 42);

            const int code = rig.run(command, command == "send" ? sendFile : file, 1);
            QCOMPARE(code, exitCode);
            QVERIFY2((code == 0 ? rig.outText : rig.errText).contains(message),
                     qPrintable(rig.outText + rig.errText));

            // A later poll tick must not rewind the log either.
            rig.session.pollTick();
            QTest::qWait(20);
            const bool rewound = rig.link.written().contains("slr");
            QCOMPARE(rewound, command == QLatin1String("logbook --list"));
            if (!rewound)
                QCOMPARE(rig.sim.logbook().readPosition(), 42);
            QVERIFY(!rig.link.written().contains("sll"));
            // Only send writes to the controller.
            QCOMPARE(rig.sim.writesStored() > 0, command == QLatin1String("send"));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliCommands)
#include "tst_clicommands.moc"
