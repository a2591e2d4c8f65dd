// Options, exit codes, and only `logbook --list` moves the logbook position.

#include "helpers/SimRig.h"

#include "CliOptions.h"

using namespace korvane;

class TestCliCommands : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void options() {
        const std::pair<QStringList, QString> cases[] = {
            // error; empty: accepted
            {{"status"}, ""},
            {{"--port", "COM3", "--timeout", "2", "--json", "status"}, ""},
            {{"--json"}, "no command given"},
            {{"status", "--port"}, "--port needs a value"},
            {{"--timeout", "0", "status"}, "--timeout needs a positive number"},
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
            if (o && args.contains("--csv"))
                QCOMPARE(o->csvPath + ' ' + QString::number(o->durationSeconds), "a.csv 7");
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
            {"read", "VX-4000 W x 8ST", true, 2, "keine gültige Motor"},   // counts not digits
            {"status", "VDX-2000W-9-9ST", true, 2, "keine gültige Motor"}, // nor 1 .. 8
            {"read", "VDX-2000W-0-0ST", true, 2, "keine gültige Motor"},
            {"send", "VDX-2000W-9-9ST", true, 2, "keine gültige Motor"},
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
            // Only a send writes to the controller; a failed command leaves no file.
            QCOMPARE(rig.sim.writesStored() > 0, command == QLatin1String("send") && code == 0);
            QVERIFY(code == 0 || !QFile::exists(file));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliCommands)
#include "tst_clicommands.moc"
