// Why a serial device does not open: kind, OS error number and the text shown.
#include "Simulator.h"
#include "serial/QtSerialLink.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace korvane;
using Kind = SerialError::Kind;

Q_DECLARE_METATYPE(SerialError::Kind)

class TestSerialLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void errorKindsAndTexts_data() {
        QTest::addColumn<int>("osError");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("text");
        const QString hint = QStringLiteral(
            "\nKeine Berechtigung: Benutzer in die Gruppe \u201Edialout\u201C aufnehmen "
            "(sudo usermod -aG dialout $USER) und neu anmelden.");
        QTest::newRow("opened") << 0 << Kind::None << QString();
        QTest::newRow("ENOENT") << ENOENT << Kind::NotFound
                                << "Specified device not found (/dev/x).";
        QTest::newRow("ENXIO") << ENXIO << Kind::NotFound << "Specified device not found (/dev/x).";
        QTest::newRow("EBUSY") << EBUSY << Kind::Busy
                               << "Can't open specified device /dev/x (Error 16, Device or "
                                  "resource busy)";
        QTest::newRow("EACCES") << EACCES << Kind::Permission
                                << "Can't open specified device /dev/x (Error 13, Permission "
                                   "denied)" +
                                       hint;
        QTest::newRow("EIO") << EIO << Kind::Io
                             << "Can't open specified device /dev/x (Error 5, Input/output error)";
    }

    void errorKindsAndTexts() {
        QFETCH(int, osError);
        const SerialError e = SerialError::fromOsError(QStringLiteral("/dev/x"), osError);
        QTEST(e.kind, "kind");
        QCOMPARE(e.osError, osError);
        QTEST(serialErrorText(e), "text");
    }

    void realOpens() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile plain(dir.filePath(QStringLiteral("datei")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        Simulator sim;
        QVERIFY(sim.start());

        const struct {
            QString device;
            Kind kind;
            int osError;
        } rows[] = {
            {dir.filePath(QStringLiteral("fehlt")), Kind::NotFound, ENOENT},
            {dir.path(), Kind::Io, EISDIR},
            {plain.fileName(), Kind::Io, ENOTTY},
            {sim.slavePath(), Kind::None, 0},
        };
        QtSerialLink first;
        for (const auto& row : rows) {
            const SerialError e = first.open(row.device);
            QCOMPARE(e.kind, row.kind);
            QCOMPARE(e.osError, row.osError);
            QVERIFY(e.ok() || e.device == row.device);
            QCOMPARE(first.isOpen(), row.kind == Kind::None);
        }
        // The port that `first` holds is busy for everyone else.
        QtSerialLink second;
        const SerialError busy = second.open(sim.slavePath());
        QCOMPARE(busy.kind, Kind::Busy);
        QCOMPARE(busy.osError, EBUSY);
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
