// korvane-cli refuses bad files and ports before any transfer, naming the path.
#include "FileBytes.h"
#include "Simulator.h"

#include "serial/QtSerialLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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

    // "%D" is the working folder; every port is missing, no tty, held by another program
    // ("%B") or a device without rights for anybody ("%N"). No ini: no Korvane.ini.
    void refusedBeforeTransfer() {
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
             "Can't open specified device %D (Error 21, Is a directory)"},
            {"--port COM2 status", "2\rCOM2=%D/usb0\rfoo\r", 4, // CR line ends
             "Specified device not found (%D/usb0).|\u201Efoo\u201C wird ignoriert"},
            {"--port COM1 status", "COM1=%D/usb1\r\n", 4, // a mapping on line 1
             "Specified device not found (%D/usb1).|in Zeile 1 ist keine Portnummer"},
            {"--port %B status", "", 5,
             "Can't open specified device %B (Error 16, Device or "
             "resource busy)"},
            {"--port %N status", "", 6,
             "Can't open specified device %N (Error 13, Permission "
             "denied)|dialout"},
            {"--help", "", 0,
             "4  serial port not found|5  serial port busy|7  other input/output error"}};
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
                    .replace("%B", held.slavePath())
                    .replace("%N", locked.slavePath());
            };
            QVERIFY(korvane::test::writeBytes(dir.filePath(QStringLiteral("leer.vts")), {}));
            if (*ini)
                QVERIFY(korvane::test::writeBytes(dir.filePath(QStringLiteral("Korvane.ini")),
                                                  QFile::encodeName(fill(ini))));
            QProcess cli;
            cli.setWorkingDirectory(d);
            cli.setChildProcessModifier(dropFileRightOverrides);
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
