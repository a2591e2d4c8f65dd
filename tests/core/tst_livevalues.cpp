// Two-part temperatures of the live values: whole degrees and unsigned
// tenths, as text on the pages and as a number for the command line.
#include "session/LiveValues.h"

#include <QTest>

using namespace korvane;

class TestLiveValues : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void temperatures_data() {
        QTest::addColumn<int>("whole");
        QTest::addColumn<int>("tenths");
        QTest::addColumn<double>("degrees");
        QTest::addColumn<QString>("text");
        QTest::newRow("warm") << 21 << 5 << 21.5 << QStringLiteral("21,5°");
        QTest::newRow("frost") << -3 << 5 << -3.5 << QStringLiteral("-3,5°");
        QTest::newRow("frost, whole") << -12 << 0 << -12.0 << QStringLiteral("-12,0°");
        QTest::newRow("zero") << 0 << 7 << 0.7 << QStringLiteral("0,7°");
    }

    void temperatures() {
        QFETCH(int, whole);
        QFETCH(int, tenths);
        QFETCH(double, degrees);
        QFETCH(QString, text);
        QCOMPARE(temperatureDegrees(whole, tenths), degrees);
        ReplyValues v{};
        v[5] = whole; // outside
        v[6] = tenths;
        v[1] = kNoTemperatureSensor; // inside
        const LiveDisplay d = decodeLiveValues(v, true, true);
        QCOMPARE(d.outsideNow, text);
        QCOMPARE(d.outsidePanel, std::optional<QString>(QStringLiteral("AT: ") + text));
        QCOMPARE(d.insideNow, QStringLiteral("    -"));
        QVERIFY(!d.insidePanel);
    }
};

QTEST_GUILESS_MAIN(TestLiveValues)
#include "tst_livevalues.moc"
