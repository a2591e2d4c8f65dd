// The "Verlauf" page: threshold lines, humidity only where measured, pause, CSV.
#include "HistoryCharts.h"
#include "HistoryPage.h"
#include "helpers/WindowHarness.h"
#include "session/ModelInfo.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

using namespace korvane;

namespace {
constexpr qint64 kT0 = 1'765'000'000'000;

struct Rig {
    FakeLink link;
    ControllerSession session{&link};
    HistoryPage page{session};
};
} // namespace

class TestHistoryPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void thresholdsHumidityAndPause() {
        Rig r;
        HistoryPage& page = r.page;
        ParameterSet set;
        page.setClock([] { return kT0; });
        page.attachParameters(set);
        auto names = [&](HistoryChart c) {
            page.redraw();
            return page.charts()->thresholdNames(c);
        };
        set.record(BlockId::Wind, 0, 1).value[EW_Record::kmh] = 3;
        set.record(BlockId::Wind, 0, 1).value[0] = kOn;
        QVERIFY(names(HistoryChart::Wind).isEmpty()); // motor 1 chosen
        page.motorCombo()->setCurrentIndex(1);
        QCOMPARE(names(HistoryChart::Wind), QStringList{"Wind (20)"});
        set.activeProfile = 1;
        QVERIFY(names(HistoryChart::Wind).isEmpty());
        set.record(BlockId::Humidity, 1, 1).value[0] = kOn;
        QCOMPARE(names(HistoryChart::Humidity),
                 (QStringList{"Feuchte Schwelle 1 (76)", "Feuchte Schwelle 2 (66)"}));
        // The line spans the shown range at its value.
        QLineSeries* line = nullptr;
        for (QAbstractSeries* s : page.charts()->chart(HistoryChart::Humidity)->series())
            if (s->name() == QStringLiteral("Feuchte Schwelle 1 (76)") && s->isVisible())
                line = qobject_cast<QLineSeries*>(s);
        QVERIFY(line);
        QCOMPARE(line->points(),
                 (QList<QPointF>{{double(kT0 - page.rangeMs()), 76}, {double(kT0), 76}}));

        // Humidity only where measured; a pause freezes the time range.
        for (bool conservatory : {false, true}) {
            r.page.applyModel(ModelInfo{true, conservatory});
            QCOMPARE(r.page.charts()->humidityShown(), conservatory);
        }
        qint64 now = kT0;
        r.page.setClock([&] { return now; });
        auto timeRange = [&] {
            r.page.redraw();
            auto* axis = r.page.charts()->chart(HistoryChart::Wind)->axes(Qt::Horizontal).first();
            return qobject_cast<QDateTimeAxis*>(axis)->max().toMSecsSinceEpoch();
        };
        QCOMPARE(timeRange(), kT0);
        r.page.pauseButton()->setChecked(true);
        now += 5000;
        QCOMPARE(timeRange(), kT0);
        r.page.pauseButton()->setChecked(false);
        QCOMPARE(timeRange(), kT0 + 5000);
    }

    // The four plot areas share their edges, so that a moment stands above itself;
    // brightness, wind and humidity count from 0.
    void alignedChartsFromZero() {
        Rig r;
        r.page.applyModel(ModelInfo{true, true});
        for (int i = 0; i < 3; ++i) {
            LiveSample s{kT0 - 2000 + i * 900, qint16(20000 + i), 900, -35, 71, 4, 12, 60, 0};
            r.page.recorder().history().append(s);
        }
        r.page.setClock([] { return kT0; });
        r.page.resize(800, 700);
        r.page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&r.page));
        const auto edges = [&](HistoryChart c) {
            const QRectF area = r.page.charts()->chart(c)->plotArea();
            return std::pair(qRound(area.left()), qRound(area.right()));
        };
        const auto bottom = [&](HistoryChart c) {
            return qobject_cast<QValueAxis*>(r.page.charts()->chart(c)->axes(Qt::Vertical).first())
                ->min();
        };
        using C = HistoryChart;
        for (C c : {C::Wind, C::Temperature, C::Humidity})
            QTRY_COMPARE(edges(c), edges(C::Brightness));
        QCOMPARE((QList<double>{bottom(C::Brightness), bottom(C::Wind), bottom(C::Humidity)}),
                 (QList<double>{0, 0, 0}));
        QVERIFY(bottom(C::Temperature) < -3.5);
    }

    void savesCsv() {
        Rig r;
        for (int i = 0; i < 3; ++i) {
            ReplyValues v{};
            v[0] = 100 + i;
            r.page.recorder().history().append(sampleFromReply(v, ModelInfo{true}, kT0 + i * 900));
        }
        QTemporaryDir dir;
        QStringList messages;
        r.page.setSaveDialog([&] { return dir.filePath("v.csv"); });
        r.page.setMessageSink([&](const QString& m) { messages << m; });
        r.page.saveButton()->click();
        QCOMPARE(test::fileBytes(dir.filePath("v.csv")).count("\r\n"), 1 + 3); // heading, 3 rows
        r.page.setSaveDialog([&] { return dir.filePath("missing/v.csv"); });
        r.page.saveButton()->click();
        QCOMPARE(messages.size(), 1);
    }
};

QTEST_MAIN(TestHistoryPage)
#include "tst_historypage.moc"
