// The live-value history: bounded store, chart view, CSV and the automatics' thresholds.
#include "FileBytes.h"
#include "history/HistoryCsv.h"
#include "history/HistoryView.h"
#include "history/LiveHistory.h"
#include "history/ThresholdLines.h"
#include "params/ParameterSet.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

namespace {

constexpr qint64 kSec = 1000;
constexpr qint64 kHour = 3600 * kSec;
const qint64 kT0 = QDateTime(QDate(2026, 12, 5), QTime(7, 0)).toMSecsSinceEpoch();

LiveSample sample(qint64 msecs, int lux = 100, quint8 flags = 0) {
    return {.msecs = msecs, .luxNow = qint16(lux), .flags = flags};
}

void fill(LiveHistory& h, qint64 from, qint64 spanMs, qint64 stepMs) {
    for (qint64 t = from; t < from + spanMs; t += stepMs)
        h.append(sample(t));
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ordering() {
        LiveHistory h;
        QVERIFY(h.append(sample(kT0 + 2 * kSec)));
        QVERIFY(!h.append(sample(kT0 + 2 * kSec))); // same time
        QVERIFY(!h.append(sample(kT0 + 1 * kSec))); // older
        QVERIFY(h.append(sample(kT0 + 3 * kSec)));
        QCOMPARE((QList<qint64>{h.size(), h.at(1).msecs, h.lowerBound(kT0 + 2500)}),
                 (QList<qint64>{2, kT0 + 3 * kSec, 1}));
    }

    // Segment starts after a silence of more than 5 s or a lost connection.
    void gaps() {
        // Seconds, -1 marks a lost connection; the indices of samples that start a segment.
        auto check = [](const QList<qint64>& times, const QList<int>& starts) {
            LiveHistory h;
            for (qint64 t : times)
                if (t < 0)
                    h.markGap();
                else // the input flag is ignored
                    h.append(sample(kT0 + t * kSec, 0, LiveSample::SegmentStart));
            QList<int> found;
            for (int i = 0; i < h.size(); ++i)
                if (h.at(i).startsSegment())
                    found << i;
            QCOMPARE(found, starts);
        };
        check({0, 1, 2, 3}, {});
        check({0, 1, 2, 9, 10}, {3});
        check({0, 5, 11}, {2}); // at the limit
        check({0, 1, -1, 2, 3}, {2});
        check({-1, 0, 1}, {0});
    }

    // Samples younger than 24 h at full rate, older ones thinned to one a minute, at most a week.
    void bounds() {
        auto check = [](qint64 spanMs, qint64 stepMs, int fullRate, int thinned) {
            LiveHistory h;
            fill(h, kT0, spanMs, stepMs);
            const qint64 newest = h.last().msecs;
            const int old = h.lowerBound(newest - 24 * kHour);
            QCOMPARE(h.size() - old, fullRate);
            QVERIFY2(qAbs(old - thinned) <= 1, qPrintable(QString::number(old)));
            for (int i = 1; i < old; ++i) // thinned samples are at least a minute apart
                QVERIFY(h.at(i).msecs - h.at(i - 1).msecs >= 60 * kSec);
            QVERIFY(newest - h.at(0).msecs <= 7 * 24 * kHour);
            QVERIFY(h.memoryBytes() < 10 * 1024 * 1024 &&
                    h.memoryBytes() >= qint64(h.size() * sizeof(LiveSample)));
        };
        check(kHour, 900, 4000, 0);
        check(24 * kHour, 900, 96000, 0);
        check(30 * kHour, 900, 96001, 360);
        check(216 * kHour, 60 * kSec, 1441, 7 * 1440 - 1440);
        // The cap: 120000 at full rate, the 20 minutes before thinned.
        check(kHour, 20, 120020, 0);
    }

    void thinningKeepsGaps() {
        LiveHistory h;
        fill(h, kT0, 10 * kSec, 900);
        h.markGap();
        fill(h, kT0 + 20 * kSec, 26 * kHour, 900);
        int starts = 0;
        for (int i = 0; i < h.size(); ++i)
            starts += h.at(i).startsSegment();
        QCOMPARE((QList<qint64>{starts, h.at(0).msecs, h.at(1).msecs}),
                 (QList<qint64>{1, kT0, kT0 + 20 * kSec}));
    }

    void view() {
        LiveHistory h;
        const QList<int> lux{10, 50, 20, 30, 40, 35};
        for (int i = 0; i < lux.size(); ++i)
            h.append(sample(kT0 + i * kSec, lux[i], i >= 1 && i <= 2 ? LiveSample::Rain : 0));
        h.markGap();
        h.append({.msecs = kT0 + 6 * kSec,
                  .luxNow = 60,
                  .insideTenths = 215,
                  .flags = LiveSample::Rain});
        // Three-second buckets: [0,3) [3,6) [6,9)
        const HistoryView v = buildHistoryView(h, kT0, kT0 + 9 * kSec, 3);
        auto pt = [](qint64 sec, double y) { return QPointF(double(kT0 + sec * kSec), y); };
        using Curve = QList<QList<QPointF>>;
        QCOMPARE(v.curve(HistoryChannel::LuxNow),
                 (Curve{{pt(0, 10), pt(1, 50), pt(3, 30), pt(4, 40)}, {pt(6, 60)}}));
        QCOMPARE(v.curve(HistoryChannel::Inside), (Curve{{pt(6, 21.5)}}));
        QCOMPARE(v.rain,
                 (QList<TimeSpan>{{kT0 + kSec, kT0 + 3 * kSec}, {kT0 + 6 * kSec, kT0 + 6 * kSec}}));
        QVERIFY(v.alarm.isEmpty());
    }

    void csv() {
        LiveHistory h;
        const ModelInfo conservatory{.sensor = true, .conservatory = true};
        h.append(sampleFromReply({180, -3, 5, 0, 0, 999, 0, 0, 0, 12, 30, 1, 0, 12, 175, 0},
                                 conservatory, kT0 + 9 * kSec));
        h.append(sampleFromReply({7, 21, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 1, 0, 9, 64}, conservatory,
                                 kT0 + 10 * kSec));
        // Below zero by less than a degree: the sign stands before the zero.
        h.append({.msecs = kT0 + 11 * kSec, .insideTenths = -5, .outsideTenths = -10});
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("verlauf.csv"));
        QString error;
        QVERIFY(saveHistoryCsv(h, path, &error));
        QCOMPARE(
            test::fileBytes(path),
            "\xEF\xBB\xBFZeit;Helligkeit aktuell (Lux);Helligkeit Mittel (Lux);Innentemperatur "
            "(\xC2\260C);Au\xC3\237entemperatur (\xC2\260C);Wind (km/h);Max. Wind (km/h);"
            "Regen (0/1);Alarm (0/1);Luftfeuchte (%)\r\n"
            "05.12.2026 07:00:09;180;175;-3,5;;12;30;0;1;\r\n"
            "05.12.2026 07:00:10;7;9;21,0;0,4;0;0;1;0;64\r\n"
            "05.12.2026 07:00:11;0;0;-0,5;-1,0;0;0;0;0;\r\n");
        QVERIFY(!saveHistoryCsv(h, dir.filePath(QStringLiteral("no/such/dir.csv")), &error));
        QVERIFY(error.startsWith(QStringLiteral("Kann ")));
    }

    // One reply with every value set but the outside temperature (999), as
    // each model's controller means it:
    // the cells it fills ('x') and leaves empty ('.'), and the chart values.
    void missingSensorsPerModel() {
        const ReplyValues v{180, 21, 5, 0, 0, 999, 0, 0, 0, 12, 30, 1, 1, 12, 175, 64};
        const std::pair<ModelInfo, QString> models[] = {
            {{}, "..x......"},
            {{.sensor = true}, "xxx.xxxx."},
            {{.sensor = true, .keyAutomatic = true}, "xxx.xxxx."},
            {{.sensor = true, .conservatory = true}, "xxx.xxxxx"}};
        for (const auto& [model, filled] : models) {
            const LiveSample sample = sampleFromReply(v, model, kT0);
            QString cells;
            for (const QString& cell : HistoryCsvWriter::cells(sample).mid(1))
                cells += cell.isEmpty() ? u'.' : u'x';
            QCOMPARE(cells, filled);
            QCOMPARE(channelValue(sample, HistoryChannel::LuxNow).has_value(), filled[0] == u'x');
            QCOMPARE(channelValue(sample, HistoryChannel::Wind).has_value(), filled[4] == u'x');
            QCOMPARE(sample.rain(), filled[6] == u'x');
        }
    }

    void thresholds() {
        ParameterSet set;
        auto on = [&](BlockId id, int profile, int motor, int field, int index) {
            set.record(id, profile, motor).value[0] = kOn;
            set.record(id, profile, motor).value[field] = index;
        };
        QVERIFY(thresholdLines(set, 0, 2).isEmpty()); // every automatic off by default
        on(BlockId::Shading, 0, 2, BA_Record::Lux, 144);
        on(BlockId::TwilightEvening, 0, 2, DA_Record::Lux, 9);
        on(BlockId::Wind, 0, 2, EW_Record::kmh, 3);
        on(BlockId::InsideTemp, 0, 2, IT_Record::Schwelle_2, 29);
        on(BlockId::Humidity, 0, 2, RelF_Record::Schwelle_1, 74);
        on(BlockId::Wind, 1, 2, EW_Record::kmh, 7);    // other profile
        on(BlockId::Shading, 0, 3, BA_Record::Lux, 0); // other motor
        auto values = [&](int profile, int motor) {
            QList<std::pair<HistoryChart, double>> out;
            for (const ThresholdLine& l : thresholdLines(set, profile, motor))
                out.append({l.chart, l.value});
            return out;
        };
        using C = HistoryChart;
        const QList<std::pair<C, double>> motor3Standard{
            {C::Brightness, 244}, {C::Brightness, 10}, {C::Wind, 20},    {C::Temperature, 22},
            {C::Temperature, 20}, {C::Humidity, 75},   {C::Humidity, 66}};
        QCOMPARE(values(0, 2), motor3Standard);
        QCOMPARE(values(1, 2), (QList<std::pair<C, double>>{{C::Wind, 40}}));
        QCOMPARE(values(0, 3), (QList<std::pair<C, double>>{{C::Brightness, 100}}));
        set.record(BlockId::Shading, 0, 3).value[0] = kOff;
        QVERIFY(values(0, 3).isEmpty());
        QCOMPARE(thresholdLines(set, 0, 2)[0].label, QStringLiteral("Beschattung (244)"));
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
