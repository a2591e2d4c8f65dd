// The controller through a serial server on the network: a real ser2net in
// raw mode in front of the simulator, a slow network, a cut connection.
#include "DelayProxy.h"
#include "FileBytes.h"
#include "Ser2Net.h"
#include "Simulator.h"
#include "serial/PortLink.h"
#include "serial/TcpLink.h"
#include "session/ControllerSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>

using namespace korvane;
using Kind = SerialError::Kind;

namespace {

struct CliRun {
    int exitCode = -1;
    QString output;
};

// korvane-cli as its own process, while this test's loop serves the simulator.
CliRun runCli(const QString& folder, const QStringList& args, int ms = 90000) {
    QProcess cli;
    cli.setWorkingDirectory(folder);
    cli.setProcessChannelMode(QProcess::MergedChannels);
    QSignalSpy finished(&cli, &QProcess::finished);
    cli.start(QDir(QCoreApplication::applicationDirPath()).filePath("../src/cli/korvane-cli"),
              args);
    if (!finished.wait(ms)) {
        cli.kill();
        cli.waitForFinished();
        return {-2, QStringLiteral("still running after %1 ms").arg(ms)};
    }
    return {cli.exitCode(), QString::fromUtf8(cli.readAll())};
}

} // namespace

class TestNetwork : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openErrors() {
        const quint16 nobody = test::freeTcpPort();
        const auto url = [](const char* text, quint16 port) {
            return QString::fromLatin1(text).arg(port);
        };
        const std::tuple<QString, Kind, int> rows[] = {
            {url("tcp://127.0.0.1:%1", nobody), Kind::NotFound, ECONNREFUSED},
            {url("tcp://localhost:%1", nobody), Kind::NotFound, ECONNREFUSED},
            {url("tcp://host.invalid:%1", nobody), Kind::NotFound, EHOSTUNREACH},
            {"tcp://127.0.0.1", Kind::NotFound, EINVAL},
            {"tcp://127.0.0.1:4001/pfad", Kind::NotFound, EINVAL},
        };
        PortLink link;
        for (const auto& [device, kind, osError] : rows) {
            const SerialError e = link.open(device);
            QCOMPARE(std::tuple(e.kind, e.osError, e.device), std::tuple(kind, osError, device));
            QVERIFY(!link.isOpen());
        }
    }

    // The server going away is an unplugged adapter: "Keine Verbindung", then
    // the link comes back by itself when the server does.
    void lostServerReconnects() {
        Simulator sim;
        QVERIFY(sim.start());
        test::Ser2Net server(sim.slavePath());
        QVERIFY(server.start());
        PortLink link;
        ControllerSession session(&link);
        session.setTimerIntervals(100, 500, 100);
        session.setReopenInterval(100);
        QVERIFY(session.openDevice(server.url()));
        QTRY_VERIFY_WITH_TIMEOUT(session.isConnected(), 5000);

        server.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!session.isConnected(), 5000);
        QCOMPARE(session.panels().text(StatusPanels::Model), kNoConnectionText);
        QVERIFY(server.start());
        QTRY_VERIFY_WITH_TIMEOUT(session.isConnected(), 10000);
        QCOMPARE(link.device(), server.url());
    }

    // read, send --verify and logbook give the same files through ser2net and
    // through 300 ms of delay each way as on the pseudo-terminal itself.
    void sameResultsOverNetwork() {
        Simulator sim;
        QVERIFY(sim.start());
        test::Ser2Net server(sim.slavePath());
        QVERIFY(server.start());
        test::DelayProxy slow(server.port(), 300);
        QTemporaryDir dir;
        const QString d = dir.path();
        const std::pair<const char*, QString> ports[] = {
            {"direct", sim.slavePath()}, {"ser2net", server.url()}, {"slow", slow.url()}};
        for (const auto& [name, port] : ports) {
            const QString vts = QStringLiteral("%1/%2.vts").arg(d, name);
            const QString vlf = QStringLiteral("%1/%2.vlf").arg(d, name);
            for (const QStringList& args : {QStringList{"read", vts},
                                            {"send", "--verify", vts},
                                            QStringList{"logbook", vlf}}) {
                const CliRun run = runCli(d, QStringList{"--port", port} + args);
                QVERIFY2(run.exitCode == 0, qPrintable(name + (": " + run.output)));
            }
        }
        for (const char* ext : {"vts", "vlf"}) {
            const QByteArray direct = test::fileBytes(QStringLiteral("%1/direct.%2").arg(d, ext));
            QVERIFY(!direct.isEmpty());
            for (const char* name : {"ser2net", "slow"})
                QCOMPARE(test::fileBytes(QStringLiteral("%1/%2.%3").arg(d, name, ext)), direct);
        }
    }

    // A connection cut in the middle of a read-all fails the read and writes
    // no file.
    void cutConnectionFailsRead() {
        Simulator sim;
        QVERIFY(sim.start());
        test::Ser2Net server(sim.slavePath());
        QVERIFY(server.start());
        test::DelayProxy cut(server.port(), 0);
        cut.cutAfter(3000);
        QTemporaryDir dir;
        const CliRun run = runCli(dir.path(), {"--port", cut.url(), "read", "x.vts"}, 30000);
        QVERIFY2(run.exitCode != 0 && run.exitCode != -2, qPrintable(run.output));
        QVERIFY(!QFile::exists(dir.filePath("x.vts")));
    }
};

QTEST_GUILESS_MAIN(TestNetwork)
#include "tst_network.moc"
