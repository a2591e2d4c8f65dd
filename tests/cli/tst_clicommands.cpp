// Options, exit codes, and only `logbook --list` moves the logbook position.

#include "helpers/SimRig.h"

#include "CliOptions.h"
#include "HistoryCommand.h"

#include "history/HistoryCsv.h"
#include "history/HistoryStore.h"

#include <QStandardPaths>

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

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
            {{"--port", "com 3", "status"}, ""}, // as the drop-down and Korvane.ini write it
            {{"--port", "/dev/ttyUSB0", "status"}, ""},
            {{"--port", "COM9", "status"}, "--port COM9: es gibt nur COM1 bis COM8"},
            {{"--port", "com0", "status"}, "--port com0: es gibt nur COM1 bis COM8"},
            {{"--port", "12", "status"}, "--port 12: es gibt nur"},
            {{"--json"}, "kein Befehl angegeben"},
            {{"status", "--port"}, "--port braucht einen Wert"},
            {{"--timeout", "0.5", "status"}, ""},
            {{"--timeout", "2,5", "status"}, ""},
            {{"--timeout", "3600", "status"}, ""},
            {{"--timeout", "0", "status"},
             "--timeout braucht eine Zahl von Sekunden von 0,1 bis 3600"},
            {{"--timeout", "0.05", "status"}, "--timeout braucht eine Zahl von Sekunden"},
            {{"--timeout", "3600.1", "status"}, "--timeout braucht eine Zahl von Sekunden"},
            {{"--timeout", "-1", "status"}, "--timeout braucht eine Zahl von Sekunden"},
            {{"monitor", "--csv", "a.csv", "--duration", "7"}, ""},
            {{"monitor", "--duration", "0"}, "--duration braucht eine positive Zahl"},
            {{"--fast", "status"}, "unbekannte Option --fast"},
            {{"history", "--db", "h.sqlite", "--from", "01.12.2026", "--to", "x", "--minutes"}, ""},
            {{"monitor", "--db", "h.sqlite", "--no-history"}, ""},
            {{"history", "--thresholds"}, "--thresholds braucht einen Wert"}};
        for (const auto& [args, error] : cases) {
            QString message;
            const auto o = cli::parseCliOptions(QStringList{"korvane-cli"} + args, &message);
            QCOMPARE(o.has_value(), error.isEmpty());
            QVERIFY2(error.isEmpty() || message.startsWith(error), qPrintable(message));
            if (o && args.contains("--port"))
                QCOMPARE(cli::comPortNumber(o->port).value_or(0),
                         args.contains("/dev/ttyUSB0") ? 0 : 3);
            if (o && args.first() == "--timeout")
                QCOMPARE(o->timeoutSeconds, QString(args[1]).replace(',', '.').toDouble());
            if (o && args.contains("--csv"))
                QCOMPARE(o->csvPath + ' ' + QString::number(o->durationSeconds), "a.csv 7");
            if (o && args.contains("--db"))
                QCOMPARE(QStringList({o->dbPath, o->from, o->to, QString::number(o->minutes),
                                      QString::number(o->noHistory)}),
                         args.contains("--to")
                             ? QStringList({"h.sqlite", "01.12.2026", "x", "1", "0"})
                             : QStringList({"h.sqlite", "", "", "0", "1"}));
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

    // The help, every usage error and the notice about Korvane.ini's folder
    // are German: none holds an English word of this list.
    void germanThroughout() {
        static const QStringList english{
            "the",     "and",     "of",      "to",         "is",       "not",     "no",
            "or",      "with",    "without", "from",       "needs",    "need",    "unknown",
            "usage",   "command", "given",   "file",       "using",    "working", "directory",
            "value",   "seconds", "only",    "error",      "found",    "busy",    "permission",
            "other",   "success", "equal",   "different",  "trouble",  "compare", "print",
            "entries", "every",   "what",    "when",       "each",     "line",    "either",
            "belongs", "model",   "exit",    "device",     "default",  "mapped",  "until",
            "changes", "nothing", "back",    "controller", "transfer", "failed",  "writable"};
        auto englishIn = [](QString text) {
            static const QRegularExpression option(QStringLiteral("--[a-z]+"));
            static const QRegularExpression word(QStringLiteral("[A-Za-z]+"));
            text.remove(option); // option names are the interface
            QStringList found;
            for (auto it = word.globalMatch(text); it.hasNext();) {
                const QString w = it.next().captured().toLower();
                if (english.contains(w))
                    found << w;
            }
            return found;
        };
        QVERIFY(!englishIn(QStringLiteral("korvane-cli: no model given")).isEmpty());

        const QString cli = QCoreApplication::applicationDirPath() + "/../src/cli/korvane-cli";
        QVERIFY2(QFile::exists(cli), qPrintable(cli));
        // arguments, exit code
        const std::pair<QStringList, int> runs[] = {
            {{"--help"}, 0},
            {{}, 1},
            {{"--fast", "status"}, 1},
            {{"frobnicate"}, 1},
            {{"status", "--port"}, 1},
            {{"--timeout", "0", "status"}, 1},
            {{"monitor", "--duration", "x"}, 1},
            {{"read"}, 1},
            {{"send"}, 1},
            {{"--port", "./kein-port", "logbook"}, 1}, // before the port
            {{"logbook", "x.vlf", "--list"}, 1},
            {{"--verify", "status"}, 1},
            {{"--scope", "basic", "status"}, 1},
            {{"--port", "COM9", "status"}, 1},
            {{"send", "fehlt.vts"}, 3},
            {{"diff", "fehlt.vts", "auch.vts"}, 2},
            {{"diff"}, 2},
            {{"diff", "--scope", "nonsense", "a.vts", "b.vts"}, 2}};
        QStringList texts{cli::settingsFallbackNote("/root/.config/Korvane/Korvane.ini")};
        for (const auto& [args, exitCode] : runs) {
            QProcess p;
            p.setWorkingDirectory(m_dir.path());
            p.start(cli, args);
            QVERIFY(p.waitForFinished(3000));
            QCOMPARE(p.exitCode(), exitCode);
            texts << QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
            QVERIFY2(texts.last().size() > 20, qPrintable(args.join(' ')));
        }
        for (const QString& text : texts)
            QVERIFY2(englishIn(text).isEmpty(),
                     qPrintable(englishIn(text).join(' ') + "\n" + text));
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
            {"logbook both", good, true, 1, "entweder DATEI.vlf oder --list"}};
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

    // `history` over a known series: 05.12. 10:00 to 11:30 every 10 s, rain
    // and wind 10 km/h for an hour, no rain and 30 km/h after; 06.12. one
    // minute of wind 5.
    void history() {
        QStandardPaths::setTestModeEnabled(true);
        const QString db = m_dir.filePath(QStringLiteral("history.sqlite"));
        const qint64 day1 = QDateTime(QDate(2026, 12, 5), QTime(10, 0)).toMSecsSinceEpoch();
        const qint64 day2 = QDateTime(QDate(2026, 12, 6), QTime(12, 0)).toMSecsSinceEpoch();
        {
            HistoryStore store(db, HistoryStore::Options{});
            auto add = [&](qint64 t, int wind, quint8 flags) {
                store.append({.msecs = t,
                              .luxNow = 100,
                              .luxMean = 90,
                              .insideTenths = 215,
                              .wind = qint16(wind),
                              .windMax = 40,
                              .flags = flags});
            };
            for (qint64 s = 0; s < 90 * 60; s += 10)
                add(day1 + s * 1000, s < 3600 ? 10 : 30, s < 3600 ? LiveSample::Rain : 0);
            for (qint64 s = 0; s < 60; s += 10)
                add(day2 + s * 1000, 5, 0);
        }
        ParameterSet set;
        set.record(BlockId::Wind, 0, 1).value[0] = kOn;
        set.record(BlockId::Wind, 0, 1).value[EW_Record::kmh] = 3; // 20 km/h
        set.motorNames.setName(1, QStringLiteral("Küche"));
        const QString vts = m_dir.filePath(QStringLiteral("anlage.vts"));
        QVERIFY(saveSettingsFile(vts, set).ok);

        const QString csv = m_dir.filePath(QStringLiteral("verlauf.csv"));
        // options, exit code, expected on out (or err when the code is not 0)
        const std::tuple<cli::HistoryOptions, int, QString> cases[] = {
            {{db, {}, {}, false, {}, vts},
             0,
             "05.12.2026  Helligkeit 100 bis 100  Mittel 90 bis 90  Innen 21,5 bis 21,5 °C  "
             "Außen –  Wind 10 bis 30 km/h  Max. Wind 40 bis 40 km/h  Feuchte –  "
             "Regen 1,0 h\n"
             "            Wind über 20 km/h (Motor 2 (Küche)): 30 min\n"
             "06.12.2026  Helligkeit 100 bis 100  Mittel 90 bis 90  Innen 21,5 bis 21,5 °C  "
             "Außen –  Wind 5 bis 5 km/h  Max. Wind 40 bis 40 km/h  Feuchte –  "
             "Regen 0,0 h\n"
             "            Wind über 20 km/h (Motor 2 (Küche)): 0 min\n"},
            {{db, "06.12.2026", {}, false, {}, {}}, 0, "06.12.2026  Helligkeit"},
            {{db, "05.12.2026 11:00", "05.12.2026 11:10", true, csv, {}}, 0, ""},
            {{db, "05.12.2026", "05.12.2026", false, csv, {}}, 0, ""},
            {{db, "5.12.26", {}, false, {}, {}}, 1, "Ungültiges Datum „5.12.26“"},
            {{db, {}, {}, true, {}, {}}, 1, "--minutes gehört zu --csv"},
            {{db + "x", {}, {}, false, {}, {}}, 3, "Es gibt keinen Verlauf in"},
            {{vts, {}, {}, false, {}, {}}, 3, "keine Verlaufs-Datenbank oder beschädigt"}};
        for (const auto& [options, code, said] : cases) {
            QFile::remove(csv);
            const QByteArray vtsBefore = test::fileBytes(vts);
            QString outText, errText;
            QTextStream out(&outText), err(&errText);
            QCOMPARE(cli::runHistoryCommand(options, out, err), code);
            out.flush();
            err.flush();
            if (code == 0 && said.size() > 30)
                QCOMPARE(outText, said);
            else
                QVERIFY2((code == 0 ? outText : errText).contains(said), qPrintable(errText));
            QCOMPARE(test::fileBytes(vts), vtsBefore); // a foreign file is only read
            if (options.csvPath.isEmpty())
                continue;
            const QList<QByteArray> lines = test::fileBytes(csv).split('\n');
            if (options.minutes) { // the ten minutes of 11:00 to 11:10
                QCOMPARE(lines.size(), 1 + 10 + 1);
                QCOMPARE(lines[0].mid(3).chopped(1),
                         HistoryCsvWriter::minuteColumns().join(';').toUtf8());
                QCOMPARE(lines[1],
                         "05.12.2026 11:00:00;100;100,0;100;90;90,0;90;21,5;21,50;21,5;;;;"
                         "30;30,0;30;40;40,0;40;;;;0;0\r");
            } else { // every sample of the day
                QCOMPARE(lines.size(), 1 + 540 + 1);
                QCOMPARE(lines[361], "05.12.2026 11:00:00;100;90;21,5;;30;40;0;0;\r");
                QCOMPARE(lines[360], "05.12.2026 10:59:50;100;90;21,5;;10;40;1;0;\r");
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCliCommands)
#include "tst_clicommands.moc"
