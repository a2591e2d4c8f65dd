// korvane-cli refuses bad files and ports before any transfer, naming the path, and ends
// cleanly on SIGINT and SIGTERM.
#include "FileBytes.h"
#include "Simulator.h"

#include "files/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace {

QString cliPath() {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../src/cli/korvane-cli"));
}

} // namespace

class TestCliFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFile::exists(cliPath()), qPrintable(cliPath())); }

    // "%D" is the working folder; every port is missing or no tty. No ini: no Korvane.ini.
    void refusedBeforeTransfer() {
        // args, ini, exit code, texts said ('|' between)
        const std::tuple<const char*, const char*, int, const char*> cases[] = {
            {"--port %D/kein-port send leer.vts", "", 3,
             "keine Korvane-Einstellungsdatei|Es wurde nichts geladen."},
            {"--port %D/kein-port read %D/kein/x.vts", "", 3,
             "Den Ordner \u201E%D/kein\u201C gibt es nicht."},
            {"--port %D status", "", 7,
             "Can't open specified device %D (Error 21, Is a directory)"},
            {"--port COM2 status", "2\rCOM2=%D/usb0\rfoo\r", 4, // CR line ends
             "Specified device not found (%D/usb0).|\u201Efoo\u201C wird ignoriert"},
            {"--port COM1 status", "COM1=%D/usb1\r\n", 4, // a mapping on line 1
             "Specified device not found (%D/usb1).|in Zeile 1 ist keine Portnummer"},
            {"--help", "", 0,
             "4  serial port not found|5  serial port busy|7  other input/output error"}};
        for (const auto& [args, ini, exitCode, said] : cases) {
            QTemporaryDir dir;
            const QString d = dir.path();
            const auto fill = [&](const char* text) { return QString(text).replace("%D", d); };
            QVERIFY(korvane::test::writeBytes(dir.filePath(QStringLiteral("leer.vts")), {}));
            if (*ini)
                QVERIFY(korvane::test::writeBytes(dir.filePath(QStringLiteral("Korvane.ini")),
                                                  QFile::encodeName(fill(ini))));
            QProcess cli;
            cli.setWorkingDirectory(d);
            cli.start(cliPath(), fill(args).split(' '));
            QVERIFY2(cli.waitForFinished(3000), args); // no wait for any controller
            QCOMPARE(cli.exitCode(), exitCode);
            const QString output = cli.readAllStandardOutput() + cli.readAllStandardError();
            for (const QString& text : fill(said).split('|'))
                QVERIFY2(output.contains(text), qPrintable(output));
            QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("kein"))));
        }
    }

    // A signal during a transfer against the paced simulator, sent when the controller emits
    // the first frame of the row's kind. A send finishes the step on the line and sends no
    // more (every write that began arrived whole); the days after the step it names keep
    // their old switch times. The others stop at once and leave no file and no list.
    void signalDuringTransfer() {
        const QString stoppedSend = QStringLiteral(
            "%S empfangen: das Senden endet nach dem Schritt, der gerade \u00FCbertragen wird.\n"
            "Senden abgebrochen durch %S. Zuletzt hat die Steuerung den Schritt \u201ESchaltzeiten "
            "%W\u201C quittiert. Die Steuerung hat jetzt teils alte, teils neue Einstellungen. "
            "Bitte senden Sie die Datei %D/neu.vts erneut.");
        // args, the frame that triggers the signal, the signal, exit code, all said on stderr
        // but progress (%S the signal's name, %W a weekday, %D the folder)
        const std::tuple<const char*, const char*, int, int, QString> rows[] = {
            {"send %D/neu.vts", "start_stc", SIGINT, 130, stoppedSend},
            {"send %D/neu.vts", "start_stc", SIGTERM, 143, stoppedSend},
            {"read %D/aus.vts", "start_sbp", SIGINT, 130, "Lesen abgebrochen durch %S"},
            {"diff %D/neu.vts", "start_sbp", SIGTERM, 143, "Lesen abgebrochen durch %S"},
            {"logbook %D/aus.vlf", "start_slf", SIGINT, 130,
             "Logbuch-Export abgebrochen durch %S. Die Datei wurde nicht geschrieben."},
            {"logbook --list", "start_sld", SIGTERM, 143, "Logbuch lesen abgebrochen durch %S."},
            {"status", "start_sfi", SIGINT, 130, "Abgebrochen durch %S."},
            // A mute controller: the wait for it ends with the signal, long before its time.
            {"--timeout 60 status", "", SIGTERM, 143, "Abgebrochen durch %S."},
            {"monitor", "start_skd", SIGINT, 0, ""}};
        for (const auto& [args, trigger, sig, exitCode, message] : rows) {
            QTemporaryDir dir;
            const QString d = dir.path();
            korvane::ParameterSet file; // every switch time differs from the controller's
            for (int day = 0; day < korvane::kSwitchDays; ++day)
                for (int m = 0; m < korvane::kSwitchMotors; ++m)
                    for (int slot = 0; slot < korvane::kSlotsPerMotor; ++slot)
                        file.switchTimes.at(day, m, slot).time = 600 + 10 * m + slot;
            QVERIFY(korvane::saveSettingsFile(dir.filePath(QStringLiteral("neu.vts")), file).ok);

            korvane::Simulator sim;
            QVERIFY(sim.start());
            sim.setPaced(true);
            korvane::SimController& controller = sim.controller();
            QList<std::array<qint32, 6>> before;
            for (int day = 1; day <= 7; ++day)
                before << controller.parameters().switchTime(day, 1, 1);
            QByteArray line; // what the program wrote
            connect(&sim.pty(), &korvane::SimPty::received, this,
                    [&line](const QByteArray& bytes) { line += bytes; });
            QProcess cli;
            bool signalled = false;
            connect(&controller, &korvane::SimController::replyReady, this,
                    [&cli, &signalled, trigger = trigger, sig = sig](const QByteArray& frame) {
                        if (!signalled && frame.startsWith(trigger)) {
                            signalled = true;
                            ::kill(cli.processId(), sig);
                        }
                    });
            if (!*trigger) {
                sim.setAnswering(false);
                QTimer::singleShot(700, this, [&cli, &signalled, sig = sig] {
                    signalled = true;
                    ::kill(cli.processId(), sig);
                });
            }
            cli.setWorkingDirectory(d);
            cli.start(cliPath(), (QStringLiteral("--port ") + sim.slavePath() + u' ' +
                                  QString(args).replace("%D", d))
                                     .split(' '));
            QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 30000);
            QVERIFY(signalled);
            QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
            QCOMPARE(cli.exitCode(), exitCode);
            const QStringList said =
                QString::fromUtf8(cli.readAllStandardError())
                    .split(u'\n', Qt::SkipEmptyParts)
                    .filter(
                        QRegularExpression(QStringLiteral("^(?!(Senden|Lesen|Logbuch) \\d+ %$)")));
            const QString name =
                sig == SIGINT ? QStringLiteral("SIGINT (Strg+C)") : QStringLiteral("SIGTERM");
            const QRegularExpression expected(
                u'^' +
                QRegularExpression::escape(QString(message).replace("%S", name).replace("%D", d))
                    .replace(QLatin1String("\\%W"), QLatin1String("(\\w+)")) +
                u'$');
            const auto match = expected.match(said.join(u'\n'));
            QVERIFY2(exitCode == 0 || match.hasMatch(), qPrintable(said.join(u'\n')));
            QCOMPARE(QDir(d).entryList(QDir::Files), QStringList{"neu.vts"});
            if (QString(args).startsWith("logbook"))
                QCOMPARE(cli.readAllStandardOutput(), QByteArray());
            if (!QString(args).startsWith("send"))
                continue;

            // Every write that began on the line arrived whole, and nothing after the step.
            QTRY_COMPARE(sim.pty().queuedInput(), 0);
            QVERIFY(line.endsWith('\r'));
            QCOMPARE(line.count(" rfs"), controller.writesStored() + controller.writesRefused());
            QVERIFY(!controller.stepPending());
            const QStringList days{"Montag",  "Dienstag", "Mittwoch", "Donnerstag",
                                   "Freitag", "Samstag",  "Sonntag"};
            const qsizetype acked = days.indexOf(match.captured(1)) + 1;
            QVERIFY(acked > 0);
            QCOMPARE(controller.stepsAcknowledged(), acked);
            // The days sent hold the file's times, the others (still marked) their old ones.
            for (int day = 1; day <= 7; ++day)
                QCOMPARE(controller.parameters().switchTime(day, 1, 1) != before[day - 1],
                         day <= acked);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliFiles)
#include "tst_cli_files.moc"
