// Why a serial device does not open: kind, OS error number and the text shown.
#include "Simulator.h"
#include "serial/QtSerialLink.h"

#include <QFile>
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
        const struct {
            int osError;
            Kind kind;
            QString text;
        } rows[] = {{0, Kind::None, {}},
                    {ENOENT, Kind::NotFound, notFound},
                    {ENXIO, Kind::NotFound, notFound},
                    {EBUSY, Kind::Busy, cannot + "16, Device or resource busy)"},
                    {EACCES, Kind::Permission, cannot + "13, Permission denied)" + hint},
                    {EIO, Kind::Io, cannot + "5, Input/output error)"}};
        for (const auto& row : rows) {
            const SerialError e = SerialError::fromOsError(QStringLiteral("/dev/x"), row.osError);
            QCOMPARE(std::pair(e.kind, e.osError), std::pair(row.kind, row.osError));
            QCOMPARE(serialErrorText(e), row.text);
        }
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
            QCOMPARE(std::pair(e.kind, e.osError), std::pair(row.kind, row.osError));
            QVERIFY(e.ok() || e.device == row.device);
            QCOMPARE(first.isOpen(), row.kind == Kind::None);
        }
        // The port that `first` holds is busy for everyone else.
        QCOMPARE(QtSerialLink().open(sim.slavePath()),
                 (SerialError{Kind::Busy, EBUSY, sim.slavePath()}));
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
