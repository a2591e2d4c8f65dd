// korvane-cli refuses bad files and ports before any transfer, naming the path.
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

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestCliFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFile::exists(cliPath()), qPrintable(cliPath())); }

    // "%D" is the working folder; every port is missing or no tty.
    void refusedBeforeTransfer_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("ini"); // empty: no Korvane.ini
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("said");
        const QStringList noPort{"--port", "%D/kein-port"};
        auto row = [](const char* tag, const QStringList& args, const QByteArray& ini, int code,
                      const QStringList& said) {
            QTest::newRow(tag) << args << ini << code << said;
        };
        row("send empty file", noPort + QStringList{"send", "leer.vts"}, {}, 3,
            {"keine Korvane-Einstellungsdatei", "Es wurde nichts geladen."});
        row("read into missing folder", noPort + QStringList{"read", "%D/kein/x.vts"}, {}, 3,
            {"Den Ordner \u201E%D/kein\u201C gibt es nicht."});
        row("port is a folder", QStringList{"--port", "%D", "status"}, {}, 7,
            {"Can't open specified device %D (Error 21, Is a directory)"});
        row("ini with CR line ends", QStringList{"--port", "COM2", "status"},
            "2\rCOM2=%D/usb0\rfoo\r", 4,
            {"Specified device not found (%D/usb0).", "\u201Efoo\u201C wird ignoriert"});
        row("ini mapping on line 1", QStringList{"--port", "COM1", "status"}, "COM1=%D/usb1\r\n", 4,
            {"Specified device not found (%D/usb1).", "in Zeile 1 ist keine Portnummer"});
        row("help lists exit codes", QStringList{"--help"}, {}, 0,
            {"4  serial port not found", "5  serial port busy", "7  other input/output error"});
    }

    void refusedBeforeTransfer() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, ini);
        QFETCH(int, exitCode);
        QFETCH(QStringList, said);
        QTemporaryDir dir;
        const QString d = dir.path();
        writeFile(dir.filePath(QStringLiteral("leer.vts")), {});
        if (!ini.isEmpty())
            writeFile(dir.filePath(QStringLiteral("Korvane.ini")),
                      QByteArray(ini).replace("%D", QFile::encodeName(d)));
        for (QString& a : args)
            a.replace(QStringLiteral("%D"), d);

        QProcess cli;
        cli.setWorkingDirectory(d);
        cli.start(cliPath(), args);
        QVERIFY(cli.waitForFinished(3000)); // no wait for any controller
        QCOMPARE(cli.exitCode(), exitCode);
        const QString output = cli.readAllStandardOutput() + cli.readAllStandardError();
        for (QString text : said)
            QVERIFY2(output.contains(text.replace(QStringLiteral("%D"), d)), qPrintable(output));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("kein"))));
    }
};

QTEST_GUILESS_MAIN(TestCliFiles)
#include "tst_cli_files.moc"
