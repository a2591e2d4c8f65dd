// Why a serial device does not open: kind, OS error number and the text shown.
#include "Simulator.h"
#include "serial/QtSerialLink.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace korvane;
using Kind = SerialError::Kind;

class TestSerialLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void errorKindsAndTexts() {
        const QString notFound = QStringLiteral("Specified device not found (/dev/x).");
        const QString cannot = QStringLiteral("Can't open specified device /dev/x (Error ");
        const QString hint = QStringLiteral(
            "\nKeine Berechtigung: Benutzer in die Gruppe \u201Edialout\u201C aufnehmen "
            "(sudo usermod -aG dialout $USER) und neu anmelden.");
        const std::tuple<int, Kind, QString> rows[] = {
            {0, Kind::None, {}},
            {ENOENT, Kind::NotFound, notFound},
            {ENXIO, Kind::NotFound, notFound},
            {EBUSY, Kind::Busy, cannot + "16, Device or resource busy)"},
            {EACCES, Kind::Permission, cannot + "13, Permission denied)" + hint},
            {EIO, Kind::Io, cannot + "5, Input/output error)"}};
        for (const auto& [osError, kind, text] : rows) {
            const SerialError e = SerialError::fromOsError(QStringLiteral("/dev/x"), osError);
            QCOMPARE(std::pair(e.kind, e.osError), std::pair(kind, osError));
            QCOMPARE(serialErrorText(e), text);
        }
    }

    void realOpens() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString plain = dir.filePath(QStringLiteral("datei"));
        QVERIFY(QFile(plain).open(QIODevice::WriteOnly));
        Simulator sim;
        QVERIFY(sim.start());

        const std::tuple<QString, Kind, int> rows[] = {
            {dir.filePath(QStringLiteral("fehlt")), Kind::NotFound, ENOENT},
            {dir.path(), Kind::Io, EISDIR},
            {plain, Kind::Io, ENOTTY},
            {sim.slavePath(), Kind::None, 0},
        };
        QtSerialLink first;
        for (const auto& [device, kind, osError] : rows) {
            const SerialError e = first.open(device);
            QCOMPARE(std::pair(e.kind, e.osError), std::pair(kind, osError));
            QVERIFY(e.ok() || e.device == device);
            QCOMPARE(first.isOpen(), kind == Kind::None);
        }
        // The port that `first` holds is busy for everyone else.
        QCOMPARE(QtSerialLink().open(sim.slavePath()),
                 (SerialError{Kind::Busy, EBUSY, sim.slavePath()}));

        // A close whose last bytes cannot leave (the line is held by XOFF) waits for
        // them in vain, and that is no line error.
        QSignalSpy lineErrors(&first, &SerialLink::lineError);
        sim.pty().sendRaw(QByteArray(1, SimPty::kXoff));
        QTest::qWait(100);
        const qint64 received = sim.pty().bytesReceived();
        first.write(" rhe\r");
        first.close();
        QTest::qWait(50);
        QCOMPARE(sim.pty().bytesReceived(), received);
        QVERIFY(!first.isOpen() && lineErrors.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
