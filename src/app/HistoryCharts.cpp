#include "HistoryCharts.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QVBoxLayout>
#include <QValueAxis>

namespace korvane {
namespace {

struct Curve {
    HistoryChannel channel;
    const char16_t* name;
    QColor color;
};

struct ChartInfo {
    const char16_t* title;
    QList<Curve> curves;
};

const ChartInfo& chartInfo(HistoryChart which) {
    static const ChartInfo kInfo[] = {
        {u"Helligkeit (Lux)",
         {{HistoryChannel::LuxNow, u"aktuell", QColor(230, 160, 0)},
          {HistoryChannel::LuxMean, u"Mittel", QColor(150, 90, 0)}}},
        {u"Wind (km/h)",
         {{HistoryChannel::Wind, u"Wind", QColor(0, 120, 200)},
          {HistoryChannel::WindMax, u"Max. Wind", QColor(120, 120, 120)}}},
        {u"Temperatur (\u00B0C)",
         {{HistoryChannel::Inside, u"innen", QColor(200, 40, 40)},
          {HistoryChannel::Outside, u"au\u00DFen", QColor(40, 140, 40)}}},
        {u"Luftfeuchte (%)", {{HistoryChannel::Humidity, u"relativ", QColor(80, 60, 180)}}},
    };
    return kInfo[int(which)];
}

} // namespace

HistoryCharts::HistoryCharts(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < int(m_panels.size()); ++i) {
        Panel& p = m_panels[i];
        p.chart = new QChart;
        p.chart->setTitle(QString::fromUtf16(chartInfo(HistoryChart(i)).title));
        // Above the plot the legend has the chart's whole width for its entries,
        // and takes none from the time axis.
        p.chart->legend()->setAlignment(Qt::AlignTop);
        // Entries that do not fit are shortened rather than widen the chart.
        p.chart->legend()->setMinimumWidth(1);
        p.chart->setMargins(QMargins(kMargin, kMargin, kMargin, kMargin));
        p.chart->setAnimationOptions(QChart::NoAnimation);
        p.chart->setLocalizeNumbers(true);
        p.chart->setLocale(QLocale(QLocale::German, QLocale::Germany));
        p.time = new QDateTimeAxis;
        p.values = new QValueAxis;
        p.values->setLabelFormat(i == int(HistoryChart::Temperature) ? QStringLiteral("%.1f")
                                                                     : QStringLiteral("%.0f"));
        p.chart->addAxis(p.time, Qt::AlignBottom);
        p.chart->addAxis(p.values, Qt::AlignLeft);
        // The first piece of every curve and the two span areas exist from
        // the start, so that the legend keeps its order.
        for (const Curve& c : chartInfo(HistoryChart(i)).curves) {
            QLineSeries* s = newLine(p);
            s->setName(QString::fromUtf16(c.name));
            s->setPen(QPen(c.color, 2));
            p.curves << s;
        }
        p.rain = newArea(p, QStringLiteral("Regen"), QColor(0, 90, 255, 50));
        p.alarm = newArea(p, QStringLiteral("Alarm"), QColor(255, 0, 0, 50));
        connect(p.chart, &QChart::plotAreaChanged, this, [this, i](const QRectF& area) {
            Panel& panel = m_panels[i];
            const QMargins m = panel.chart->margins();
            const bool first = panel.bareRight <= panel.bareLeft;
            panel.bareLeft = area.left() - m.left();
            panel.bareRight = area.right() + m.right();
            if (first) {
                // A range set before the first layout leaves the value axis as
                // wide as its first labels: set it again now that it is laid out.
                const double lo = panel.values->min(), hi = panel.values->max();
                panel.values->setRange(lo, hi + (hi - lo));
                panel.values->setRange(lo, hi);
            }
            alignPlotAreas();
        });
        p.view = new QChartView(p.chart);
        p.view->setMinimumHeight(160);
        p.view->setObjectName(QStringLiteral("Verlauf_Chart%1").arg(i));
        layout->addWidget(p.view, 1);
    }
}

void HistoryCharts::setHumidityShown(bool shown) {
    m_panels[int(HistoryChart::Humidity)].view->setVisible(shown);
    alignPlotAreas();
}

bool HistoryCharts::humidityShown() const {
    return !m_panels[int(HistoryChart::Humidity)].view->isHidden();
}

QChart* HistoryCharts::chart(HistoryChart which) const {
    return m_panels[int(which)].chart;
}

QStringList HistoryCharts::thresholdNames(HistoryChart which) const {
    return m_panels[int(which)].thresholds;
}

void HistoryCharts::draw(const HistoryView& view, const QList<ThresholdLine>& thresholds,
                         qint64 from, qint64 to) {
    for (int i = 0; i < int(m_panels.size()); ++i)
        drawPanel(m_panels[i], HistoryChart(i), view, thresholds, from, to);
}

QLineSeries* HistoryCharts::newLine(Panel& p) {
    auto* s = new QLineSeries;
    p.chart->addSeries(s);
    s->attachAxis(p.time);
    s->attachAxis(p.values);
    return s;
}

QAreaSeries* HistoryCharts::newArea(Panel& p, const QString& name, const QColor& color) {
    auto* a = new QAreaSeries(new QLineSeries, new QLineSeries);
    // The area does not own its bounding lines.
    a->upperSeries()->setParent(a);
    a->lowerSeries()->setParent(a);
    a->setName(name);
    a->setPen(Qt::NoPen);
    a->setBrush(color);
    p.chart->addSeries(a);
    a->attachAxis(p.time);
    a->attachAxis(p.values);
    return a;
}

QLineSeries* HistoryCharts::nextLine(Panel& p) {
    if (p.usedLines == p.lines.size())
        p.lines << newLine(p);
    QLineSeries* s = p.lines[p.usedLines++];
    s->setVisible(true);
    return s;
}

// Series are reused from draw to draw: creating them and attaching axes
// costs more than their points.
void HistoryCharts::drawPanel(Panel& p, HistoryChart which, const HistoryView& view,
                              const QList<ThresholdLine>& thresholds, qint64 from, qint64 to) {
    p.usedLines = 0;
    p.thresholds.clear();
    double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
    auto extend = [&](double v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    };
    QList<QLineSeries*> hiddenMarkers;
    const QList<Curve>& curves = chartInfo(which).curves;
    for (int k = 0; k < curves.size(); ++k) {
        const QList<QList<QPointF>>& segments = view.curve(curves[k].channel);
        p.curves[k]->setVisible(!segments.isEmpty());
        for (int i = 0; i < segments.size(); ++i) {
            QLineSeries* s = p.curves[k];
            if (i > 0) {
                s = nextLine(p);
                s->setName(p.curves[k]->name());
                s->setPen(p.curves[k]->pen());
                hiddenMarkers << s;
            }
            s->replace(segments[i]);
            for (const QPointF& pt : segments[i])
                extend(pt.y());
        }
    }
    for (const ThresholdLine& t : thresholds) {
        if (t.chart != which)
            continue;
        QLineSeries* s = nextLine(p);
        s->setName(t.label);
        s->setPen(QPen(Qt::black, 1, Qt::DashLine));
        s->replace({QPointF(double(from), t.value), QPointF(double(to), t.value)});
        extend(t.value);
        p.thresholds << t.label;
    }
    if (lo > hi)
        lo = 0, hi = 1;
    const double margin = std::max(1.0, (hi - lo) * 0.05);
    // Brightness, wind and humidity are never below 0: their axes start there.
    lo = which == HistoryChart::Temperature ? lo - margin : 0;
    hi += margin;
    setSpans(p.rain, view.rain, lo, hi);
    setSpans(p.alarm, view.alarm, lo, hi);
    for (int i = p.usedLines; i < p.lines.size(); ++i)
        p.lines[i]->setVisible(false);
    for (QLegendMarker* m : p.chart->legend()->markers())
        m->setVisible(m->series()->isVisible() &&
                      !hiddenMarkers.contains(qobject_cast<QLineSeries*>(m->series())));
    p.values->setRange(lo, hi);
    p.time->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(to));
    constexpr qint64 kDayMs = 24 * 3600 * 1000;
    const qint64 span = to - from;
    p.time->setFormat(span <= 3600 * 1000   ? QStringLiteral("HH:mm:ss")
                      : span <= kDayMs      ? QStringLiteral("HH:mm")
                      : span <= 7 * kDayMs  ? QStringLiteral("dd.MM. HH:mm")
                      : span <= 31 * kDayMs ? QStringLiteral("dd.MM.")
                                            : QStringLiteral("MM.yyyy"));
}

// The value axes' labels differ in width from chart to chart: widen the
// margins of each chart so that all plot areas share the edges of the
// narrowest, and the same moment stands above itself in every chart.
void HistoryCharts::alignPlotAreas() {
    double left = std::numeric_limits<double>::lowest();
    double right = std::numeric_limits<double>::max();
    for (const Panel& p : m_panels)
        if (!p.view->isHidden() && p.bareRight > p.bareLeft) {
            left = std::max(left, p.bareLeft);
            right = std::min(right, p.bareRight);
        }
    for (Panel& p : m_panels) {
        if (p.view->isHidden() || p.bareRight <= p.bareLeft)
            continue;
        const QMargins m(kMargin + qRound(left - p.bareLeft), kMargin,
                         kMargin + qRound(p.bareRight - right), kMargin);
        if (p.chart->margins() != m)
            p.chart->setMargins(m);
    }
}

// One area series for all spans of a kind: a step curve between the bottom
// and the top of the chart.
void HistoryCharts::setSpans(QAreaSeries* area, const QList<TimeSpan>& spans, double bottom,
                             double top) {
    area->setVisible(!spans.isEmpty());
    QList<QPointF> up, low;
    for (const TimeSpan& s : spans) {
        const double a = double(s.from), b = double(std::max(s.to, s.from + 1000));
        up << QPointF(a, bottom) << QPointF(a, top) << QPointF(b, top) << QPointF(b, bottom);
        low << QPointF(a, bottom) << QPointF(b, bottom);
    }
    area->upperSeries()->replace(up);
    area->lowerSeries()->replace(low);
}

} // namespace korvane
