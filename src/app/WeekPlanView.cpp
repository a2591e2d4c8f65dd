#include "WeekPlanView.h"

#include "params/SwitchTimeTexts.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <numeric>

namespace korvane {
namespace {

constexpr double kLeft = 30; // day captions
constexpr double kTop = 14;  // hour captions
constexpr double kRight = 8;
constexpr double kBottom = 2;
constexpr double kMarkHalf = 5; // half the width of a mark's triangle
constexpr double kLabelGap = 2; // between a mark and its label
constexpr double kLaneGap = 6;  // between neighbouring marks and labels in a lane
const QColor kUp(0, 140, 0);
const QColor kDown(0, 70, 200);

QString detailsText(const WeekPlanMark& m) {
    QStringList parts;
    if (m.group != kGroupSingleDay)
        parts << groupCodeText(m.group);
    if (m.function == kFunctionAstro)
        parts << QStringLiteral("Astro");
    else if (m.function == kFunctionRandom)
        parts << QStringLiteral("Zufall");
    return parts.join(QLatin1Char(' '));
}

} // namespace

WeekPlanView::WeekPlanView(const SwitchTimeTable& table, QWidget* parent)
    : QWidget(parent), m_table(table), m_randomSpan([] { return 30; }) {
    setObjectName(QStringLiteral("Wochenplan"));
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    showMotor(0);
}

void WeekPlanView::showMotor(int motor) {
    m_motor = motor;
    m_marks = weekPlanMarks(m_table, motor);
    m_hovered = -1;
    placeMarks();
    update();
}

QFont WeekPlanView::labelFont() const {
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 2));
    return small;
}

double WeekPlanView::xOf(double minute) const {
    const double width = std::max(1.0, this->width() - kLeft - kRight);
    return kLeft + width * minute / (24 * 60);
}

double WeekPlanView::laneHeight(bool details) const {
    const double text = QFontMetricsF(labelFont()).height();
    return std::max(2 * kMarkHalf, (details ? 2 : 1) * text) + 3;
}

QPointF WeekPlanView::markCentre(int i) const {
    return m_placed.at(i).centre;
}

QRectF WeekPlanView::labelRect(int i) const {
    return m_placed.at(i).label;
}

QRectF WeekPlanView::rowRect(int day) const {
    return QRectF(kLeft, m_rowTops[day], std::max(1.0, width() - kLeft - kRight),
                  m_rowTops[day + 1] - m_rowTops[day]);
}

// Each day's marks in time order, each into the first lane where it and its
// label clear what is already there; a label goes left of its mark where it
// would run past the right edge.
std::array<int, kSwitchDays> WeekPlanView::assignLanes(bool details) {
    const QFontMetricsF metrics(labelFont());
    QList<int> order(m_marks.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return std::pair(m_marks[a].day, m_marks[a].minute) <
               std::pair(m_marks[b].day, m_marks[b].minute);
    });
    std::array<int, kSwitchDays> lanes;
    lanes.fill(1);
    QList<double> laneEnds;
    int day = -1;
    for (int i : order) {
        const WeekPlanMark& m = m_marks[i];
        if (m.day != day) {
            day = m.day;
            laneEnds.clear();
        }
        Placed& placed = m_placed[i];
        placed.details = details ? detailsText(m) : QString();
        const double textWidth = std::max(metrics.horizontalAdvance(timeText(m.minute + 1)),
                                          metrics.horizontalAdvance(placed.details));
        const double x = xOf(m.minute);
        placed.labelLeft = x + kMarkHalf + kLabelGap + textWidth > width() - kRight;
        const double labelX =
            placed.labelLeft ? x - kMarkHalf - kLabelGap - textWidth : x + kMarkHalf + kLabelGap;
        placed.label = QRectF(labelX, 0, textWidth, 0);
        const double from = std::min(labelX, x - kMarkHalf);
        const double to = std::max(labelX + textWidth, x + kMarkHalf);
        int lane = 0;
        while (lane < laneEnds.size() && laneEnds[lane] + kLaneGap > from)
            ++lane;
        if (lane == laneEnds.size())
            laneEnds.append(to);
        laneEnds[lane] = to;
        placed.lane = lane;
        lanes[m.day] = std::max(lanes[m.day], lane + 1);
    }
    return lanes;
}

void WeekPlanView::placeMarks() {
    m_placed = QList<Placed>(m_marks.size());
    const auto height = [this](const std::array<int, kSwitchDays>& lanes, bool details) {
        return int(std::ceil(
            kTop + std::accumulate(lanes.begin(), lanes.end(), 0) * laneHeight(details) + kBottom));
    };
    const int full = height(assignLanes(true), true);
    std::array<int, kSwitchDays> lanes = assignLanes(false);
    const int compact = height(lanes, false);
    // The details under the times only where the rows have room for them.
    m_details = this->height() >= full;
    if (m_details)
        lanes = assignLanes(true);
    if (full != m_fullHeight || compact != m_compactHeight) {
        m_fullHeight = full;
        m_compactHeight = compact;
        updateGeometry();
    }

    // Room beyond what the lanes need is shared out among the days.
    const double lane = laneHeight(m_details);
    const double extra =
        std::max(0, this->height() - (m_details ? full : compact)) / double(kSwitchDays);
    m_rowTops[0] = kTop;
    for (int day = 0; day < kSwitchDays; ++day)
        m_rowTops[day + 1] = m_rowTops[day] + lanes[day] * lane + extra;
    const double text = QFontMetricsF(labelFont()).height();
    for (int i = 0; i < m_marks.size(); ++i) {
        const WeekPlanMark& m = m_marks[i];
        Placed& placed = m_placed[i];
        const double top = m_rowTops[m.day] + extra / 2 + placed.lane * lane;
        placed.centre = QPointF(xOf(m.minute), top + lane / 2);
        const double lines = placed.details.isEmpty() ? 1 : 2;
        placed.label.setTop(placed.centre.y() - lines * text / 2);
        placed.label.setHeight(lines * text);
    }
}

int WeekPlanView::markAt(const QPointF& pos) const {
    int best = -1;
    double bestDistance = kMarkHalf + 3;
    for (int i = 0; i < m_marks.size(); ++i) {
        const QPointF d = pos - markCentre(i);
        const double distance = std::max(std::abs(d.x()), std::abs(d.y()));
        if (distance <= bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void WeekPlanView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeMarks();
}

void WeekPlanView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFont small = labelFont();
    const double lane = laneHeight(m_details);
    const double plotBottom = m_rowTops[kSwitchDays];

    // Grid: day rows, hour lines, captions.
    for (int day = 0; day < kSwitchDays; ++day) {
        const QRectF row = rowRect(day);
        p.fillRect(row, isWeekend(day) ? QColor(245, 245, 250) : QColor(Qt::white));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, row.top(), kLeft - 4, row.height()), Qt::AlignRight | Qt::AlignVCenter,
                   dayAbbreviation(day));
    }
    p.setFont(small);
    for (int hour = 0; hour <= 24; ++hour) {
        const double x = xOf(hour * 60);
        p.setPen(QPen(QColor(hour % 6 == 0 ? 170 : 220, hour % 6 == 0 ? 170 : 220, 220), 1));
        p.drawLine(QPointF(x, kTop), QPointF(x, plotBottom));
        if (hour % 2 == 0) {
            p.setPen(Qt::black);
            p.drawText(QRectF(x - 15, 0, 30, kTop), Qt::AlignCenter, QString::number(hour));
        }
    }
    p.setPen(QColor(150, 150, 150));
    for (int day = 0; day <= kSwitchDays; ++day)
        p.drawLine(QPointF(kLeft, m_rowTops[day]), QPointF(width() - kRight, m_rowTops[day]));

    // Random spans first, so that the marks stay on top.
    const int span = randomSpanMinutes();
    for (int i = 0; i < m_marks.size(); ++i) {
        const WeekPlanMark& m = m_marks[i];
        if (m.function != kFunctionRandom)
            continue;
        const double a = xOf(std::max(0, m.minute - span));
        const double b = xOf(std::min(24 * 60, m.minute + span));
        p.fillRect(QRectF(a, markCentre(i).y() - lane * 0.3, b - a, lane * 0.6),
                   QColor(255, 160, 0, 90));
    }

    const double text = QFontMetricsF(small).height();
    for (int i = 0; i < m_marks.size(); ++i) {
        const WeekPlanMark& m = m_marks[i];
        const Placed& placed = m_placed[i];
        const QPointF c = placed.centre;
        const double h = kMarkHalf * (i == m_hovered ? 1.3 : 1.0);
        QPainterPath triangle;
        if (m.down) {
            triangle.moveTo(c.x() - h, c.y() - h);
            triangle.lineTo(c.x() + h, c.y() - h);
            triangle.lineTo(c.x(), c.y() + h);
        } else {
            triangle.moveTo(c.x() - h, c.y() + h);
            triangle.lineTo(c.x() + h, c.y() + h);
            triangle.lineTo(c.x(), c.y() - h);
        }
        triangle.closeSubpath();
        p.setPen(QPen(Qt::black, i == m_hovered ? 1.5 : 0.5));
        p.setBrush(m.down ? kDown : kUp);
        p.drawPath(triangle);

        p.setPen(Qt::black);
        const Qt::Alignment side = placed.labelLeft ? Qt::AlignRight : Qt::AlignLeft;
        QRectF line = placed.label;
        line.setHeight(text);
        p.drawText(line, side | Qt::AlignVCenter, timeText(m.minute + 1));
        if (!placed.details.isEmpty())
            p.drawText(line.translated(0, text), side | Qt::AlignVCenter, placed.details);
    }
}

bool WeekPlanView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int i = markAt(help->pos());
        if (i >= 0)
            QToolTip::showText(help->globalPos(), weekPlanTip(m_marks[i], randomSpanMinutes()),
                               this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void WeekPlanView::mousePressEvent(QMouseEvent* event) {
    const int i = markAt(event->position());
    if (event->button() == Qt::LeftButton && i >= 0)
        Q_EMIT markClicked(m_marks[i].day, m_marks[i].slot);
    QWidget::mousePressEvent(event);
}

void WeekPlanView::mouseMoveEvent(QMouseEvent* event) {
    const int i = markAt(event->position());
    if (i != m_hovered) {
        m_hovered = i;
        setCursor(i >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void WeekPlanView::leaveEvent(QEvent* event) {
    m_hovered = -1;
    update();
    QWidget::leaveEvent(event);
}

} // namespace korvane
