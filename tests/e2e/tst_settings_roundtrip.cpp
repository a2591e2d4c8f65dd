// A parameter set travels controller -> file -> another controller and back
// unchanged: read-all, save, load, send-all, read-all again.

#include "Station.h"

#include "files/SettingsFile.h"
#include "serial/QtSerialLink.h"
#include "session/ControllerSession.h"
#include "session/ParameterTransfer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

namespace {

ParameterSet withoutFlags(ParameterSet set) {
    applyChangedEvent(set, ChangedEvent::SendAllDone);
    return set;
}

} // namespace

class TestSettingsRoundTrip : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controllerFileControllerRoundTrip_data() {
        QTest::addColumn<SimModel::Variant>("variant");
        QTest::newRow("sensor") << SimModel::Variant::Sensor;
        QTest::newRow("conservatory") << SimModel::Variant::Conservatory;
    }
    void controllerFileControllerRoundTrip() {
        QFETCH(SimModel::Variant, variant);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("anlage.vts"));

        // Controller A gets a set that differs from the factory data.
        Station a(SimModel(variant, 8, 8));
        QVERIFY(a.readAll());
        a.params.motorNames.setName(0, QStringLiteral("K\u00FCche"));
        a.params.motorNames.setName(7, QStringLiteral("Gew\u00E4chshaus"));
        for (int day = 0; day < 7; ++day)
            a.params.switchTimes.at(day, 2, 3) = {1, day * 60 + 15, 12, 1, 0, 1};
        editBlockField(a.params, BlockId::Shading, 1, 4, BA_Record::Lux, 77);
        editBlockField(a.params, BlockId::Wind, 0, 1, EW_Record::kmh, 3);
        a.params.alarmSetup[5] = 2;
        applyChangedEvent(a.params, ChangedEvent::Startup);
        QVERIFY(a.sendAll());
        QVERIFY(a.readAll());
        QCOMPARE(a.params.motorNames.name(0), QStringLiteral("K\u00FCche       "));
        QVERIFY(saveSettingsFile(file, a.params).ok);

        // Controller B starts from the factory data and receives the file.
        Station b(SimModel(variant, 8, 8));
        QVERIFY(loadSettingsFile(file, b.params).ok());
        applyChangedEvent(b.params, ChangedEvent::Startup);
        QVERIFY(b.sendAll());
        b.params = ParameterSet();
        QVERIFY(b.readAll());

        const ParameterSet expected = withoutFlags(a.params);
        const ParameterSet actual = withoutFlags(b.params);
        QCOMPARE(actual.motorNames.toList(), expected.motorNames.toList());
        QVERIFY(actual.switchTimes == expected.switchTimes);
        for (const BlockDescription& block : blockDescriptions())
            QVERIFY2(actual.table(block.id) == expected.table(block.id), block.recordName);
        QCOMPARE(actual.alarmSetup, expected.alarmSetup);
        QCOMPARE(actual.systemParams, expected.systemParams);
    }
};

QTEST_GUILESS_MAIN(TestSettingsRoundTrip)
#include "tst_settings_roundtrip.moc"
