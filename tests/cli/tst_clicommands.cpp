// The command line's options, the exit codes of its commands and the rule
// that only `logbook --list` may move the controller's logbook position.

#include "helpers/SimRig.h"

#include "CliOptions.h"

#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

class TestCliCommands : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void options_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error"); // empty: accepted
        QTest::newRow("status") << QStringList{"status"} << QString();
        QTest::newRow("all options")
            << QStringList{"--port", "COM3", "--timeout", "2", "--json", "status"} << QString();
        QTest::newRow("no command") << QStringList{"--json"} << QStringLiteral("no command given");
        QTest::newRow("port without value")
            << QStringList{"status", "--port"} << QStringLiteral("--port needs a value");
        QTest::newRow("zero timeout") << QStringList{"--timeout", "0", "status"}
                                      << QStringLiteral("--timeout needs a positive number");
        QTest::newRow("monitor") << QStringList{"monitor", "--csv", "a.csv", "--duration", "7"}
                                 << QString();
        QTest::newRow("zero duration") << QStringList{"monitor", "--duration", "0"}
                                       << QStringLiteral("--duration needs a positive number");
        QTest::newRow("unknown option")
            << QStringList{"--fast", "status"} << QStringLiteral("unknown option --fast");
    }
    void options() {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        QString message;
        const auto o = cli::parseCliOptions(QStringList{"korvane-cli"} + args, &message);
        QCOMPARE(o.has_value(), error.isEmpty());
        QVERIFY2(message.startsWith(error), qPrintable(message));
        if (o && args.contains("--port"))
            QCOMPARE(o->port, QStringLiteral("COM3"));
        if (o && args.contains("--csv")) {
            QCOMPARE(o->csvPath, QStringLiteral("a.csv"));
            QCOMPARE(o->durationSeconds, 7);
        }
    }

    void commands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("answering");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // on out for 0, on err otherwise
        const QString model = SimModel().text();
        const QString badModel = QStringLiteral("VX-4000 W x 8ST");
        QTest::newRow("status") << "status" << model << true << 0 << "Modell:";
        QTest::newRow("status json") << "status --json" << model << true << 0 << "\"motors\": 8";
        QTest::newRow("status, no answer")
            << "status" << model << false << 2 << "Keine Antwort von der Steuerung";
        QTest::newRow("read") << "read" << model << true << 0 << "Alle Daten gelesen";
        QTest::newRow("read, counts not digits")
            << "read" << badModel << true << 2 << "keine gültige Motor";
        QTest::newRow("send") << "send" << model << true << 0 << "zur Steuerung gesendet";
        QTest::newRow("logbook export") << "logbook" << model << true << 0 << "42 Einträge";
        QTest::newRow("logbook list") << "logbook --list" << model << true << 0 << "Nr.";
        QTest::newRow("logbook, file and list")
            << "logbook both" << model << true << 1 << "either FILE.vlf or --list";
    }
    void commands() {
        QFETCH(QString, command);
        QFETCH(QString, model);
        QFETCH(bool, answering);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        SimRig rig(SimModel::fromText(model));
        if (!answering)
            QObject::disconnect(rig.toLink); // the cable is pulled
        const QString file = m_dir.filePath(QStringLiteral("out"));
        QFile::remove(file);
        const QString sendFile = m_dir.filePath(QStringLiteral("send.vts"));
        QVERIFY(saveSettingsFile(sendFile, ParameterSet()).ok);
        // A read position away from the start shows any rewind.
        rig.link.write("sld");
        QTRY_COMPARE(rig.sim.logbook().readPosition(), 42);

        const int code = rig.run(command, command == "send" ? sendFile : file, 1);
        QCOMPARE(code, exitCode);
        rig.out.flush();
        rig.err.flush();
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
};

QTEST_GUILESS_MAIN(TestCliCommands)
#include "tst_clicommands.moc"
