// The "Verlauf" page: threshold lines, humidity only where measured, pause, CSV.
#include "HistoryCharts.h"
#include "HistoryPage.h"
#include "helpers/WindowHarness.h"
#include "history/HistoryStore.h"
#include "session/ModelInfo.h"

#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
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
        r.page.setClock([] { return kT0 + 2000; });
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

    // Ranges beyond the last day come from the database; "Früher" and
    // "Später" move them; the CSV holds the range shown; recording switches.
    void databaseRanges() {
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir dir;
        const QString file = dir.filePath("history.sqlite");
        constexpr qint64 kDay = 24 * 3600 * 1000;
        {
            HistoryStore earlier(file, HistoryStore::Options{});
            for (qint64 t = kT0 - 10 * kDay; t < kT0 - kDay / 2; t += 60 * 1000)
                earlier.append({.msecs = t, .wind = qint16(t / 60000 % 50)});
        }
        Rig r;
        QStringList notices;
        r.page.setNoticeSink([&](const QString& m) { notices << m; });
        r.page.setClock([] { return kT0; });
        r.page.useDatabase(file, true);
        QVERIFY(r.page.store()->isRecording());
        QVERIFY(!r.page.recorder().history().isEmpty()); // the last day, for the short ranges
        auto windPoints = [&] {
            r.page.redraw();
            qsizetype n = 0;
            for (QAbstractSeries* s : r.page.charts()->chart(HistoryChart::Wind)->series())
                if (auto* line = qobject_cast<QLineSeries*>(s); line && line->isVisible())
                    n += line->count();
            return n;
        };
        r.page.rangeCombo()->setCurrentIndex(r.page.rangeCombo()->findText("7 Tage"));
        QVERIFY(r.page.showsDatabase());
        QVERIFY(windPoints() > 300);
        QVERIFY(!r.page.laterButton()->isEnabled());
        r.page.earlierButton()->click();
        QCOMPARE(r.page.shownEnd(), kT0 - 7 * kDay);
        QVERIFY(windPoints() > 0 && r.page.laterButton()->isEnabled());
        r.page.earlierButton()->click(); // 14 to 21 days ago: nothing stored
        QCOMPARE(windPoints(), 0);
        r.page.rangeCombo()->setCurrentIndex(r.page.rangeCombo()->findText("24 h"));
        r.page.laterButton()->click();
        QCOMPARE(r.page.shownEnd(), kT0 - 13 * kDay);
        r.page.rangeCombo()->setCurrentIndex(r.page.rangeCombo()->findText("30 Tage"));
        r.page.laterButton()->click(); // past now: live again
        QCOMPARE(r.page.shownEnd(), kT0);
        QVERIFY(!r.page.laterButton()->isEnabled());
        r.page.setSaveDialog([&] { return dir.filePath("monat.csv"); });
        r.page.saveButton()->click(); // a row per stored minute of the 9.5 days
        QCOMPARE(test::fileBytes(dir.filePath("monat.csv")).count("\r\n"), 1 + 9 * 1440 + 720);

        QSignalSpy switched(&r.page, &HistoryPage::recordingSwitched);
        r.page.recordSwitch()->setChecked(false);
        QVERIFY(!r.page.store()->isRecording() && r.page.store()->isReadable());
        QCOMPARE(switched.count(), 1);
        {
            HistoryStore other(file, HistoryStore::Options{}); // the lock is free again
            QVERIFY(other.isRecording());
            r.page.recordSwitch()->setChecked(true); // refused while the other records
        }
        QVERIFY(!r.page.store()->isRecording());
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices[0].contains("bereits von einem anderen Korvane-Programm"));
    }
};

QTEST_MAIN(TestHistoryPage)
#include "tst_historypage.moc"
