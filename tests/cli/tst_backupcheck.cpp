// Checking backups: `diff`, `send --verify` and `ports` with the simulator mapped.

#include "helpers/SimRig.h"

#include "DiffCommand.h"
#include "PortsCommand.h"
#include "Simulator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace korvane;

class TestBackupCheck : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString save(const QString& name, const ParameterSet& set) {
        const QString file = m_dir.filePath(name);
        if (!saveSettingsFile(file, set).ok)
            qFatal("cannot save %s", qPrintable(file));
        return file;
    }

private Q_SLOTS:
    // Two files (1 on differences, 2 on errors) or one and the controller (-1).
    void fileDiff() {
        ParameterSet set;
        const QString fileA = save("a.vts", set);
        set.alarmSetup[4] = 0;
        const QString fileB = save("b.vts", set);
        const std::pair<QStringList, int> calls[] = {
            {{"diff", fileA, fileB}, 1},
            {{"diff", "--scope", "basic", fileA, fileB}, 0},
            {{"diff", fileA, m_dir.filePath("missing.vts")}, 2},
            {{"diff", fileA}, -1},
            {{"--port", "COM2", "diff", fileA}, -1},
            {{"diff", "--scope", "nope", fileA, fileA}, 2},
            {{"diff", "--scope", "basic", fileA}, 2},
            {{"--port", "COM2", "diff", fileA, fileA}, 2},
            {{"diff", fileA, fileA, fileA}, 2},
        };
        QString out, err;
        QTextStream o(&out), e(&err);
        for (const auto& [args, expected] : calls) {
            QString error;
            const auto options = cli::parseCliOptions(QStringList{"korvane-cli"} + args, &error);
            QVERIFY2(options, qPrintable(error));
            QCOMPARE(cli::runDiffWithoutPort(*options, o, e).value_or(-1), expected);
        }
        QCOMPARE(out, QStringLiteral("Alarm Setup · Motor 5 (Motor 5): ○ → ↑\n"));

        // sensor, conservatory, key-press automatic, motors, slots
        const std::pair<const char*, std::optional<ModelInfo>> scopes[] = {
            {"conservatory", ModelInfo{true, true, true, 8, 8}},
            {"sensor", ModelInfo{true, false, false, 8, 8}},
            {"sensor-key", ModelInfo{true, false, true, 8, 8}},
            {"basic", ModelInfo{false, false, false, 8, 8}},
            {"VX-4000 W 4 6ST", ModelInfo{true, true, true, 4, 6}},
            {"VX-4000 W x 8ST", {}}};
        for (const auto& [word, model] : scopes)
            QVERIFY2(cli::parseScope(QString::fromUtf8(word)) == model, word);
    }

    // send --verify and a controller diff both name a wrong value; the diff writes nothing.
    // A read-back that fails says that the send itself was complete (exit 9).
    void verifyAndControllerDiff() {
        const QString unchecked = QStringLiteral(
            "Alle Daten aus %1 wurden vollst\u00E4ndig gesendet und von der Steuerung quittiert, "
            "aber die Pr\u00FCfung danach ist fehlgeschlagen: Lesen unvollst\u00E4ndig: "
            "Motornamen fehlen. Ob die Steuerung alles richtig gespeichert hat, ist nicht "
            "gepr\u00FCft.\n");
        // fault, exit code of the send, what it says; the diff lists it too when exit 2
        const std::tuple<const char*, int, QString> cases[] = {
            {"", 0, "gepr\u00FCft"}, // clean
            {"corrupt=rbp:1", 2,
             "Beschattung · Motor 1 (Raum 1 mit l) · Standard · Aktivie- rungszeit: 10s → 11s"},
            {"corrupt=rsp", 2, "Parameter · Profil: Standard → Alternativ"},
            {"corrupt=rfs:3", 2,
             "Schaltzeiten · Mo · Motor 1 (Raum 1 mit l) · Nr. 3 · Dauer: 40s → 41s"},
            {"corrupt=ras:2", 2, "Alarm Setup · Motor 2 (Motor 2): ○ → ↓"},
            // The controller keeps "110" for the file's "100", which the file cannot tell
            // apart: a backup read now would be the same file.
            {"corrupt=rfs:1", 0, "gepr\u00FCft"},
            {"drop=smn", 9, unchecked}};
        for (const auto& [fault, exitCode, said] : cases) {
            ParameterSet sent;
            // A name longer than the controller keeps is no difference.
            sent.motorNames.setName(0, QStringLiteral("Raum 1 mit langem Namen"));
            sent.switchTimes.at(0, 0, 0).duration = 99; // "100"
            const QString file = save("sent.vts", sent);
            ParameterSet loaded;
            QVERIFY(loadSettingsFile(file, loaded).ok());
            SimRig rig(SimModel(), QString(fault).split(' ', Qt::SkipEmptyParts));
            QCOMPARE(cli::runSendCommand(rig.session, loaded, file, true, 5, rig.out, rig.err),
                     exitCode);
            const QString line = exitCode == 2 ? said : QString();
            const QString expected = exitCode == 9 ? said.arg(file) : said;
            QVERIFY2((exitCode == 0 ? rig.outText : rig.errText)
                         .contains(exitCode == 2 ? line + u'\n' : expected),
                     qPrintable(rig.errText));
            QVERIFY(exitCode == 0 || rig.outText.isEmpty());

            rig.setFaults({});
            const int stored = rig.sim.writesStored();
            QString out;
            QTextStream o(&out);
            QCOMPARE(cli::runControllerDiff(rig.session, sent, 5, o, rig.err),
                     line.isEmpty() ? 0 : 1);
            QCOMPARE(out, line.isEmpty() ? QString() : line + u'\n');
            // A name as the controller shows it, without the blanks of its cell.
            out.clear();
            sent.motorNames.setName(1, QStringLiteral("Bad"));
            QCOMPARE(cli::runControllerDiff(rig.session, sent, 5, o, rig.err), 1);
            QVERIFY2(
                out.startsWith(QStringLiteral("Motornamen \u00B7 Motor 2: Bad \u2192 Motor 2\n")),
                qPrintable(out));
            QCOMPARE(rig.sim.writesStored(), stored);
        }
    }

    // The simulator's pseudo-terminal mapped to COM 2 through a link.
    void portsWithSimulator() {
        Simulator sim;
        QVERIFY(sim.start());
        const QString link = m_dir.filePath("ttyKorvane");
        const QString resolved = QFileInfo(sim.slavePath()).canonicalFilePath();
        QVERIFY(QFile::link(sim.slavePath(), link));
        const QString ini = m_dir.filePath("Korvane.ini");
        QVERIFY(writeBytes(
            ini,
            QStringLiteral("1\r\nCOM2=%1\r\nCOM4=tcp://keller:4001\r\n").arg(link).toLocal8Bit()));
        QString out, err;
        QTextStream o(&out), e(&err);
        QCOMPARE(cli::runPortsCommand(ini, true, o, e), 0);
        const QJsonObject root = QJsonDocument::fromJson(out.toUtf8()).object();
        const QJsonArray com = root.value("com").toArray();
        QCOMPARE(com.size(), 8);
        QCOMPARE(com.at(1).toObject(), (QJsonObject{{"com", 2},
                                                    {"device", link},
                                                    {"resolved", resolved},
                                                    {"mapped", true},
                                                    {"present", true},
                                                    {"network", false}}));
        QCOMPARE((QList<QJsonValue>{com.at(2)["device"], com.at(2)["mapped"]}),
                 (QList<QJsonValue>{"/dev/ttyS2", false}));
        QCOMPARE((QList<QJsonValue>{com.at(3)["device"], com.at(3)["network"]}),
                 (QList<QJsonValue>{"tcp://keller:4001", true}));
        QVERIFY(root.value("ports").isArray());

        out.clear();
        QCOMPARE(cli::runPortsCommand(ini, false, o, e), 0);
        QVERIFY2(out.contains(QStringLiteral("COM 2 \u2192 %1 (%2)").arg(link, resolved)),
                 qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral(
                     "COM 4 \u2192 tcp://keller:4001 \u2013 serieller Server im Netzwerk")),
                 qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestBackupCheck)
#include "tst_backupcheck.moc"
