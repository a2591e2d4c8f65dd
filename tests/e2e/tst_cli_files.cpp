// korvane-cli refuses bad files and ports before any transfer, naming the path.
#include "FileBytes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
             "Serielle Schnittstelle %D l\u00E4sst sich nicht \u00F6ffnen: das ist ein Ordner."},
            {"--port COM2 status", "2\rCOM2=%D/usb0\rfoo\r", 4, // CR line ends
             "Serielle Schnittstelle %D/usb0 nicht gefunden.|\u201Efoo\u201C wird ignoriert"},
            {"--port COM1 status", "COM1=%D/usb1\r\n", 4, // a mapping on line 1
             "Serielle Schnittstelle %D/usb1 nicht gefunden.|in Zeile 1 ist keine Portnummer"},
            {"--help", "", 0,
             "4  serial port not found|5  serial port busy|7  other input/output error|"
             "8  connection to the controller lost"}};
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
};

QTEST_GUILESS_MAIN(TestCliFiles)
#include "tst_cli_files.moc"
