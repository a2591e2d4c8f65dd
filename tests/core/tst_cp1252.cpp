// Bytes 0x80..0x9F through the receiver, the settings file and the logbook export, against
// glibc's CP1252 converter; the five bytes it leaves undefined pass as C1 controls.

#include "FakeLink.h"

#include "files/SettingsFile.h"
#include "logbook/LogExportFile.h"
#include "logbook/LogFormat.h"
#include "session/ControllerSession.h"
#include "session/ParameterTransfer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <iconv.h>

using namespace korvane;

namespace {

const QByteArray kHighBytes = QByteArray::fromHex("808182838485868788898a8b8c8d8e8f"
                                                  "909192939495969798999a9b9c9d9e9f");

QString referenceText(const QByteArray& bytes) {
    QString text;
    iconv_t cd = iconv_open("UTF-16LE", "CP1252");
    for (char c : bytes) {
        char16_t out = 0;
        char *in = &c, *outPtr = reinterpret_cast<char*>(&out);
        size_t inLeft = 1, outLeft = sizeof out;
        const bool defined = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1);
        text += QChar(defined ? out : char16_t(static_cast<unsigned char>(c)));
    }
    iconv_close(cd);
    return text;
}

} // namespace

class TestCp1252 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void highBytesEverywhere() {
        const QString expected = referenceText(kHighBytes);
        QCOMPARE(expected.size(), 32);
        QCOMPARE(expected.at(0), QChar(0x20AC)); // the reference converter works

        // From the controller: a motor name.
        FakeLink link;
        ControllerSession session(&link);
        ParameterSet params;
        ParameterTransfer transfer(session, params);
        session.openDevice(QStringLiteral("/dev/fake"));
        link.reply("smn", "4," + kHighBytes);
        QCOMPARE(params.motorNames.name(3), expected);

        // The settings file holds the same bytes and gives the name back.
        const QByteArray file = settingsFileBytes(params);
        QVERIFY(file.contains(kHighBytes));
        ParameterSet loaded;
        QVERIFY(loadSettingsBytes(file, loaded).ok());
        QCOMPARE(loaded.motorNames.name(3), expected);

        // The logbook export writes them as they came.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.vlf"));
        LogExportFile exportFile;
        QVERIFY(exportFile.open(path, nullptr));
        exportFile.writeLine(logExportLine({1, 4, 1, 3, 2, 0, 6, 5, 0}, 1, expected));
        QVERIFY(exportFile.commit(nullptr));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains(";" + kHighBytes + ";"));
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
