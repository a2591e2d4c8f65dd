// Controller faults through the commands (and the desktop's send): the message,
// the file left, what the controller keeps and what memory holds.

#include "helpers/SimRig.h"

#include "DiffCommand.h"
#include "ExitCodes.h"
#include "Simulator.h"
#include "session/ParameterTransfer.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>

using namespace korvane;

namespace {

const char* const kList = "logbook --list";

struct CliRun {
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;
    QString err;
};

// korvane-cli as a process, while this thread's simulator answers it.
CliRun runCli(const QStringList& args, const QString& workDir) {
    QProcess cli;
    cli.setWorkingDirectory(workDir);
    QEventLoop loop;
    QObject::connect(&cli, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    cli.start(QDir(QCoreApplication::applicationDirPath()).filePath("../src/cli/korvane-cli"),
              args);
    loop.exec();
    if (cli.state() != QProcess::NotRunning) {
        cli.kill();
        cli.waitForFinished();
        return {};
    }
    return {cli.exitStatus(), cli.exitCode(), QString::fromUtf8(cli.readAllStandardError())};
}

bool anyChanged(const ParameterSet& set) {
    if (set.switchTimes.changedCount() > 0)
        return true;
    for (const BlockTable& t : set.blocks)
        for (const auto& profile : t)
            for (const BlockRecord& r : profile)
                if (r.changed)
                    return true;
    return false;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_sendFile;
    QHash<QString, QByteArray> m_reference; // clean result per command
    QMap<QByteArray, QByteArray> m_sentState;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    std::unique_ptr<SimRig> makeRig(int logEntries) {
        auto rig = std::make_unique<SimRig>();
        rig->sim.logbook().seed(logEntries - rig->sim.logbook().count());
        // A read position away from the start shows whether a command rewound it.
        rig->feedAside("sld");
        return rig;
    }

    int run(SimRig& rig, const QString& command, const QString& file) {
        return rig.run(command, command == QLatin1String("send") ? m_sendFile : file, 5);
    }

    QByteArray result(SimRig& rig, const QString& command, const QString& file) {
        return command == kList ? rig.outText.toUtf8() : fileBytes(file);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_sendFile = path("send.vts");
        // Every name and Monday slot differs from what the controller holds.
        ParameterSet sent;
        for (int m = 0; m < MotorNames::kCount; ++m) {
            sent.motorNames.setName(m, QStringLiteral("Raum %1").arg(m + 1));
            for (int slot = 0; slot < kSlotsPerMotor; ++slot)
                sent.switchTimes.at(0, m, slot).time = 600 + 10 * m + slot;
        }
        QVERIFY(saveSettingsFile(m_sendFile, sent).ok);
        for (const QString command : {"read", "send", "logbook", kList}) {
            auto rig = makeRig(command == kList ? 250 : 42);
            const QString file = path(QStringLiteral("clean-") + command);
            QCOMPARE(run(*rig, command, file), 0);
            m_reference.insert(command, result(*rig, command, file));
            if (command == QLatin1String("send"))
                m_sentState = rig->state();
        }
        QVERIFY(m_reference.value("read").contains("[Parameter_]"));
        QVERIFY(m_reference.value(kList).count('\n') > 250);
    }

    // The tag's first word names the command: read, send, export (logbook) or list.
    void faults_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        auto row = [](const char* tag, const char* faults, int code, const char* message = "") {
            QTest::newRow(tag) << QString(faults).split(' ', Qt::SkipEmptyParts) << code
                               << QString(message);
        };
        row("read clean", "", 0);
        row("read one bad shading record", "bad-check=sbp:3", 0);
        row("read 5 % bad frames", "bad-check-share=5", 0);
        row("read names always dropped", "drop=smn", 2, "Lesen unvollständig: Motornamen fehlen");
        row("read one record bad in every round",
            "bad-check=sbp:3 bad-check=sbp:19 bad-check=sbp:35 drop=smn", 2,
            "Lesen unvollständig: Beschattung Motor 3 Profil 1, Motornamen fehlen");
        row("read a second-profile record bad in every round",
            "bad-check=sbp:11 bad-check=sbp:27 bad-check=sbp:43", 2,
            "Lesen unvollständig: Beschattung Motor 3 Profil 2");

        row("send clean", "", 0);
        row("send shading refused", "refuse=rbp", 2,
            "von der Steuerung abgelehnt: Beschattung. Die Steuerung hat jetzt teils alte, teils "
            "neue Einstellungen. Bitte senden Sie die ");
        row("send one Monday slot refused", "refuse=rfs:3", 2, "abgelehnt: Schaltzeiten Montag");
        row("send names refused", "refuse=rmn:2", 2, "abgelehnt: Motornamen");

        row("export clean", "", 0);
        row("export one bad entry", "bad-check=slf:3", 0);
        row("export an entry bad in each pass", "bad-check=slf:3 bad-check=slf:47", 0);
        row("export an entry bad twice", "bad-check=slf:3 bad-check=slf:46", 2,
            "es fehlen: Eintrag Nr. 40.");
        row("export without count", "drop=sla", 2, "es fehlen: Anzahl der Einträge.");

        row("list clean", "", 0);
        row("list bad entry on page 2", "bad-check=sld:150", 0);
        // A pass reads three pages (frames 1-253); the second one's page 2 is 355-455.
        row("list bad entries on page 2 in both passes", "bad-check=sld:150 bad-check=sld:404", 0);
        row("list an entry bad in both passes", "bad-check=sld:150 bad-check=sld:403", 2,
            "Logbuch unvollständig, es fehlen: Eintrag Nr. 102\n");
    }

    void faults() {
        QFETCH(QStringList, faults);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        // A refused write "rXX" leaves the answer to "sXX" different.
        const QByteArray refused =
            faults.value(0).startsWith("refuse=") ? 's' + faults[0].mid(8, 2).toLatin1() : "";
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString word = tag.section(' ', 0, 0);
        const QString command = word == "export" ? "logbook" : word == "list" ? kList : word;
        auto rig = makeRig(command == kList ? 250 : 42);
        const auto before = rig->state();
        const int position = rig->sim.logbook().readPosition();
        rig->setFaults(faults);
        const QString file = path(tag);

        QCOMPARE(run(*rig, command, file), exitCode);
        QVERIFY2(rig->errText.contains(message), qPrintable(rig->errText));
        // A result only when it is the clean one; nothing at all otherwise.
        if (command != QLatin1String("send")) {
            if (exitCode == 0)
                QCOMPARE(result(*rig, command, file), m_reference.value(command));
            else
                QVERIFY(command == kList ? rig->outText.isEmpty() : !QFile::exists(file));
        }

        const auto after = rig->state();
        if (command == QLatin1String("send")) {
            for (auto it = m_sentState.cbegin(); it != m_sentState.cend(); ++it)
                QCOMPARE(after.value(it.key()) == it.value(), it.key() != refused);
            if (!refused.isEmpty())
                QVERIFY(after.value(refused) != before.value(refused) || refused == "sbp");
            checkDesktopMemory(faults, exitCode, message, refused);
        } else {
            QVERIFY(after == before);
            if (command != kList) // only the list may rewind the log
                QCOMPARE(rig->sim.logbook().readPosition(), position);
        }
    }

    // Check values corrupted at random (one fixed seed per run): the passes merge, so
    // nearly every export and list of a long log completes, each with the clean result.
    void randomBadChecksMergePasses() {
        for (const QString command : {"logbook", kList}) {
            auto clean = makeRig(250);
            const QString cleanFile = path(QStringLiteral("clean-250-") + command);
            QCOMPARE(clean->run(command, cleanFile, 0.5), 0);
            const QByteArray reference = result(*clean, command, cleanFile);
            for (int share : {2, 5}) {
                int complete = 0;
                for (int seed = 1; seed <= 16; ++seed) {
                    auto rig = makeRig(250);
                    rig->setFaults({QStringLiteral("bad-check-share=%1:%2").arg(share).arg(seed)});
                    const QString file =
                        path(QStringLiteral("%1-%2-%3").arg(command).arg(share).arg(seed));
                    if (rig->run(command, file, 0.5) == 0) {
                        QCOMPARE(result(*rig, command, file), reference);
                        ++complete;
                    } else {
                        QVERIFY(command == kList ? rig->outText.isEmpty() : !QFile::exists(file));
                    }
                }
                qInfo("%s, %d %% bad check values: %d of 16 complete", qPrintable(command), share,
                      complete);
                QVERIFY(complete >= 15);
            }
        }
    }

    // The port goes away halfway through a command's traffic: the simulator
    // closes its end of a real pseudo-terminal. No crash; the loss is said once,
    // as the last word; exit 8 (diff: 2); the folder and the sent file as they were.
    void hangUp_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("cleanExitCode");
        QTest::addColumn<int>("exitCode");
        for (const char* args : {"status", "read %D/neu.vts", "send %S", "send --verify %S",
                                 "logbook %D/log.vlf", "logbook --list", "monitor --duration 2"})
            QTest::newRow(args) << QString(args) << 0 << int(cli::kExitPortLost);
        QTest::newRow("diff %S") << QStringLiteral("diff %S") << int(cli::kDiffDifferent)
                                 << int(cli::kDiffTrouble);
    }

    void hangUp() {
        QFETCH(QString, arguments);
        QFETCH(int, cleanExitCode);
        QFETCH(int, exitCode);
        QTemporaryDir work;
        QTemporaryDir line; // the simulator's link comes and goes
        const QString tty = line.filePath("tty");
        Simulator sim;
        QVERIFY(sim.start(tty));
        const QStringList args =
            QStringList{"--port", tty} +
            arguments.replace("%D", work.path()).replace("%S", m_sendFile).split(' ');
        const QByteArray sendFile = fileBytes(m_sendFile);
        // A clean run tells how much the controller says; the line dies halfway.
        const CliRun clean = runCli(args, work.path());
        QVERIFY2(clean.code == cleanExitCode, qPrintable(clean.err));
        for (const QString& name : QDir(work.path()).entryList(QDir::Files))
            QVERIFY(QFile::remove(work.filePath(name)));
        sim.setFaults(
            *SimFaults::fromName(QStringLiteral("hangup=%1").arg(sim.pty().bytesSent() / 2)));

        const CliRun run = runCli(args, work.path());
        QCOMPARE(run.status, QProcess::NormalExit);
        QCOMPARE(run.code, exitCode);
        const QString lost =
            QStringLiteral(
                "Verbindung zur Steuerung verloren: die Schnittstelle %1 wurde getrennt.")
                .arg(tty);
        QVERIFY2(run.err.count(lost) == 1 && run.err.trimmed().endsWith(lost), qPrintable(run.err));
        QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(fileBytes(m_sendFile), sendFile);
    }

private:
    // Through ParameterTransfer only refused records stay marked (names carry none).
    void checkDesktopMemory(const QStringList& faults, int exitCode, const QString& message,
                            const QByteArray& refused) {
        SimRig rig;
        QVERIFY(cli::waitForController(rig.session, 5, rig.err));
        rig.setFaults(faults);
        ParameterSet mem;
        QVERIFY(loadSettingsFile(m_sendFile, mem).ok());
        applyChangedEvent(mem, ChangedEvent::Startup);
        ParameterTransfer transfer(rig.session, mem);
        transfer.setTimeouts(100, 200);
        QSignalSpy sent(&transfer, &ParameterTransfer::sendAllFinished);
        QVERIFY(transfer.startSendAll());
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, 10000);
        QCOMPARE(sent.first().at(0).toBool(), exitCode == 0);
        QVERIFY(sent.first().at(1).toString().contains(message));
        QCOMPARE(rig.session.activity(), Activity::Idle);
        QCOMPARE(anyChanged(mem), exitCode != 0 && refused != "smn");
        QVERIFY(!mem.record(BlockId::Wind, 1, 7).changed);
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
