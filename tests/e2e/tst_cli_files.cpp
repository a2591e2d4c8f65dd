// korvane-cli refuses bad files, ports and arguments before any transfer, naming the path.
#include "FileBytes.h"
#include "Simulator.h"

#include "files/SettingsFile.h"
#include "text/Cp1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace korvane;

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
             "4  serial port not found|5  serial port busy|7  other input/output error"},
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
            {"--port  status", "", 1, "--port needs COM1 .. COM8 or a device path"},
            {"--port %P status extra", "", 1, "status takes no argument; extra argument: extra"},
            {"--port %P read %D/a.vts %D/b.vts", "", 1,
             "read takes one file; extra argument: %D/b.vts"},
            // An output file that cannot be replaced is named before the port opens.
            {"--port %P read /proc/version", "", 3, "\u201E/proc/version\u201C"},
            {"--port %P logbook /proc/log.vlf", "", 3, "\u201E/proc"}};
        for (const auto& [args, ini, exitCode, said] : cases) {
            QTemporaryDir dir;
            const QString d = dir.path();
            const auto fill = [&](const char* text) {
                return QString(text).replace("%D", d).replace("%F", f).replace("%P",
                                                                               sim.slavePath());
            };
            QVERIFY(test::writeBytes(dir.filePath(QStringLiteral("leer.vts")), {}));
            if (*ini)
                QVERIFY(test::writeBytes(dir.filePath(QStringLiteral("Korvane.ini")),
                                         QFile::encodeName(fill(ini))));
            QProcess cli;
            cli.setWorkingDirectory(d);
            cli.start(cliPath(), fill(args).split(' '));
            // No wait for any controller; the simulator answers while this waits.
            QTRY_VERIFY2_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, args, 3000);
            QCOMPARE(cli.exitCode(), exitCode);
            const QString output = cli.readAllStandardOutput() + cli.readAllStandardError();
            for (const QString& text : fill(said).split('|'))
                QVERIFY2(output.contains(text), qPrintable(output));
            // Nothing asked of the controller, no file written.
            QCOMPARE(replies, 0);
            QCOMPARE(QDir(d).entryList(QDir::Files | QDir::NoDotAndDotDot),
                     QStringList({"Korvane.ini", "leer.vts"}).mid(*ini ? 0 : 1));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliFiles)
#include "tst_cli_files.moc"
