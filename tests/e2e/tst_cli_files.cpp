// korvane-cli refuses bad files, ports and arguments before any transfer, naming the path,
// and ends cleanly on SIGINT and SIGTERM.
#include "FileBytes.h"
#include "Simulator.h"

#include "files/SettingsFile.h"
#include "serial/QtSerialLink.h"
#include "text/Cp1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/stat.h>

using namespace korvane;

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString cliPath() {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../src/cli/korvane-cli"));
}

// Root opens any device whatever its rights. Run as root, the program is
// started without the capabilities that override file rights (dropped from
// the bounding set, so that they do not come back at exec), which needs
// CAP_SETPCAP; any other user is refused by the rights themselves.
bool rightsApplyToChild() {
    if (::geteuid() != 0)
        return true;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("CapEff:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> CAP_SETPCAP) & 1;
    return false;
}

void dropFileRightOverrides() {
    if (::geteuid() != 0)
        return;
    ::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    ::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
}

} // namespace

class TestCliFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFile::exists(cliPath()), qPrintable(cliPath())); }

    // "%D" is the working folder, "%F" a folder of bad files, "%P" the simulator's port, which
    // no row may reach; every other port is missing or no tty. No ini: no Korvane.ini.
    void refusedBeforeTransfer() {
        QTemporaryDir files;
        const QString f = files.path();
        ParameterSet set;
        set.motorNames.setName(0, QStringLiteral("K\u00FCche"));
        const QByteArray ref = settingsFileBytes(set);
        const QByteArray name = toCp1252(u"Motor1=K\u00FCche\r\n");
        const std::pair<const char*, QByteArray> badFiles[] = {
            {"ref.vts", ref},
            {"gross.vts", ref + QByteArray(kSettingsFileMaxBytes + 1 - ref.size(), '\n')},
            {"wort.vts",
             QByteArray(ref).replace("Richtung=Auf", toCp1252(u"Richtung=Seitw\u00E4rts"))},
            {"nul.vts", QByteArray(ref).replace(name, QByteArray("Motor1=K\0che\r\n", 14))},
            {"utf8.vts", fromCp1252(ref).toUtf8()},
            {"cr.vts", QByteArray(ref).replace("\r\n", "\r")}};
        for (const auto& [file, bytes] : badFiles)
            QVERIFY(test::writeBytes(files.filePath(file), bytes));
        QCOMPARE(mkfifo(QFile::encodeName(files.filePath("fifo.vts")).constData(), 0600), 0);
        Simulator sim;
        QVERIFY(sim.start());
        int replies = 0;
        connect(&sim.controller(), &SimController::replyReady, this, [&] { ++replies; });

        korvane::Simulator held, locked;
        QVERIFY(held.start() && locked.start());
        korvane::QtSerialLink other; // another program has the port open, with its lock
        QVERIFY(other.open(held.slavePath()).ok());
        QCOMPARE(::chmod(QFile::encodeName(locked.slavePath()).constData(), 0), 0);
        // args, ini, exit code, texts said ('|' between)
        const std::tuple<const char*, const char*, int, const char*> cases[] = {
            {"--port %D/kein-port send leer.vts", "", 3,
             "keine Korvane-Einstellungsdatei|Es wurde nichts geladen."},
            {"--port %D/kein-port read %D/kein/x.vts", "", 3,
             "Den Ordner \u201E%D/kein\u201C gibt es nicht."},
            {"--port %D status", "", 7,
             "Serielle Schnittstelle %D l\u00E4sst sich nicht \u00F6ffnen: das ist ein Ordner."},
            {"--port ordner status", "", 7, "%D/ordner"},       // relative: not below /dev
            {"--port COM2 status", "2\rCOM2=%D/usb0\rfoo\r", 4, // CR line ends
             "Serielle Schnittstelle %D/usb0 nicht gefunden.|\u201Efoo\u201C wird ignoriert"},
            {"--port COM1 status", "COM1=%D/usb1\r\n", 4, // a mapping on line 1
             "Serielle Schnittstelle %D/usb1 nicht gefunden.|in Zeile 1 ist keine Portnummer"},
            {"--port %D/kein-port monitor --csv fremd.csv", "", 3, // rows are only added
             "\u201Efremd.csv\u201C ist keine Werte-CSV"},
            {"--port %B status", "", 5,
             "Serielle Schnittstelle %B ist belegt: ein anderes Programm hat sie ge\u00F6ffnet "
             "oder gesperrt."},
            {"--port %N status", "", 6,
             "Keine Berechtigung f\u00FCr die serielle Schnittstelle %N|dialout"},
            {"--help", "", 0,
             "4  serielle Schnittstelle nicht gefunden|5  serielle Schnittstelle belegt|"
             "7  anderer Ein-/Ausgabefehler|8  Verbindung zur Steuerung verloren"},
            // Only a regular settings file of sane size is read, at once.
            {"--port %P send %F/fifo.vts", "", 3,
             "\u201E%F/fifo.vts\u201C ist keine gew\u00F6hnliche Datei, sondern eine Pipe (FIFO)."},
            {"--port %P diff %F/fifo.vts", "", 2, "%F/fifo.vts\u201C ist keine gew\u00F6hnliche"},
            {"diff %F/ref.vts %F/fifo.vts", "", 2, "%F/fifo.vts\u201C ist keine gew\u00F6hnliche"},
            {"--port %P send /dev/zero", "", 3,
             "\u201E/dev/zero\u201C ist keine gew\u00F6hnliche Datei, sondern eine "
             "Ger\u00E4tedatei."},
            {"--port %P send %F/gross.vts", "", 3,
             "\u201E%F/gross.vts\u201C ist zu gro\u00DF (mehr als 4.194.304 Bytes)"},
            // A word that is no value, a control byte in a name.
            {"--port %P send %F/wort.vts", "", 3,
             "Fehler in Zeile 12 der Datei:\nRichtung=Seitw\u00E4rts\nDer Wert ist keiner der "
             "Werte dieser Zeile (Auf, Ab).|Es wurde nichts geladen."},
            {"--port %P diff %F/nul.vts", "", 2,
             "Zeile 2 der Datei:\nMotor1=K\u2400che\nDer Name enth\u00E4lt ein Steuerzeichen."},
            // UTF-8 is converted and told, CR-only line ends are line ends: both equal the
            // Windows-1252 file.
            {"diff %F/utf8.vts %F/ref.vts", "", 0,
             "\u201E%F/utf8.vts\u201C: Die Datei ist als UTF-8 gespeichert, nicht als "
             "Windows-1252; sie wurde aus UTF-8 umgewandelt."},
            {"diff %F/cr.vts %F/ref.vts", "", 0, ""},
            {"--port %D/kein-port send %F/utf8.vts", "", 4, "sie wurde aus UTF-8 umgewandelt."},
            // Arguments that were ignored are usage errors.
            {"--port  status", "", 1,
             "--port braucht COM1 bis COM8, einen Ger\u00E4tepfad oder tcp://HOST:PORT"},
            {"--port %P status extra", "", 1,
             "status nimmt kein Argument; \u00FCberz\u00E4hlig: extra"},
            {"--port %P read %D/a.vts %D/b.vts", "", 1,
             "read nimmt eine Datei; \u00FCberz\u00E4hlig: %D/b.vts"},
            // An output file that cannot be replaced is named before the port opens.
            {"--port %P read /proc/version", "", 3, "\u201E/proc/version\u201C"},
            {"--port %P logbook /proc/log.vlf", "", 3, "\u201E/proc"}};
        for (const auto& [args, ini, exitCode, said] : cases) {
            if (QByteArray(args).contains("%N") && !rightsApplyToChild()) {
                qWarning("root without CAP_SETPCAP: a device's rights cannot refuse the program");
                continue;
            }
            QTemporaryDir dir;
            const QString d = dir.path();
            const auto fill = [&](const char* text) {
                return QString(text)
                    .replace("%D", d)
                    .replace("%F", f)
                    .replace("%P", sim.slavePath())
                    .replace("%B", held.slavePath())
                    .replace("%N", locked.slavePath());
            };
            QVERIFY(test::writeBytes(dir.filePath(QStringLiteral("leer.vts")), {}));
            QVERIFY(QDir(d).mkdir(QStringLiteral("ordner")));
            const QByteArray foreign = "Konto;Betrag\r\n";
            QVERIFY(test::writeBytes(dir.filePath(QStringLiteral("fremd.csv")), foreign));
            if (*ini)
                QVERIFY(test::writeBytes(dir.filePath(QStringLiteral("Korvane.ini")),
                                         QFile::encodeName(fill(ini))));
            QProcess cli;
            cli.setWorkingDirectory(d);
            cli.setChildProcessModifier(dropFileRightOverrides);
            cli.start(cliPath(), fill(args).split(' '));
            // No wait for any controller; the simulator answers while this waits.
            QTRY_VERIFY2_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, args, 3000);
            QCOMPARE(cli.exitCode(), exitCode);
            const QString output = cli.readAllStandardOutput() + cli.readAllStandardError();
            for (const QString& text : fill(said).split('|'))
                QVERIFY2(output.contains(text), qPrintable(output));
            QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("kein"))));
            QCOMPARE(korvane::test::fileBytes(dir.filePath(QStringLiteral("fremd.csv"))), foreign);
            // Nothing asked of the controller, no file written.
            QCOMPARE(replies, 0);
            QCOMPARE(QDir(d).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name),
                     QStringList({"Korvane.ini", "fremd.csv", "leer.vts"}).mid(*ini ? 0 : 1));
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
