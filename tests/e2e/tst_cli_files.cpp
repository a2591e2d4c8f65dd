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
             "Can't open specified device %D (Error 21, Is a directory)"},
            {"--port ordner status", "", 7, "%D/ordner"},       // relative: not below /dev
            {"--port COM2 status", "2\rCOM2=%D/usb0\rfoo\r", 4, // CR line ends
             "Specified device not found (%D/usb0).|\u201Efoo\u201C wird ignoriert"},
            {"--port COM1 status", "COM1=%D/usb1\r\n", 4, // a mapping on line 1
             "Specified device not found (%D/usb1).|in Zeile 1 ist keine Portnummer"},
            {"--port %D/kein-port monitor --csv fremd.csv", "", 3, // rows are only added
             "\u201Efremd.csv\u201C ist keine Werte-CSV"},
            {"--help", "", 0,
             "4  serielle Schnittstelle nicht gefunden|5  serielle Schnittstelle belegt|"
             "7  anderer Ein-/Ausgabefehler"}};
        for (const auto& [args, ini, exitCode, said] : cases) {
            QTemporaryDir dir;
            const QString d = dir.path();
            const auto fill = [&](const char* text) { return QString(text).replace("%D", d); };
            QVERIFY(korvane::test::writeBytes(dir.filePath(QStringLiteral("leer.vts")), {}));
            QVERIFY(QDir(d).mkdir(QStringLiteral("ordner")));
            const QByteArray foreign = "Konto;Betrag\r\n";
            QVERIFY(korvane::test::writeBytes(dir.filePath(QStringLiteral("fremd.csv")), foreign));
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
            QCOMPARE(korvane::test::fileBytes(dir.filePath(QStringLiteral("fremd.csv"))), foreign);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliFiles)
#include "tst_cli_files.moc"
