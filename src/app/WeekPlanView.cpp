#include "WeekPlanView.h"

#include "params/SwitchTimeTexts.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace korvane {
namespace {

constexpr double kLeft = 30; // day captions
constexpr double kTop = 16;  // hour captions
constexpr double kRight = 8;
constexpr double kMarkHalf = 6; // half the width of a mark's triangle
const QColor kUp(0, 140, 0);
const QColor kDown(0, 70, 200);

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
    update();
}

QRectF WeekPlanView::plotArea() const {
    return QRectF(kLeft, kTop, std::max(1.0, width() - kLeft - kRight),
                  std::max(7.0, height() - kTop - 2));
}

double WeekPlanView::rowHeight() const {
    return plotArea().height() / kSwitchDays;
}

double WeekPlanView::rowTop(int day) const {
    return plotArea().top() + day * rowHeight();
}

double WeekPlanView::xOf(double minute) const {
    const QRectF a = plotArea();
    return a.left() + a.width() * minute / (24 * 60);
}

QPointF WeekPlanView::markCentre(int i) const {
    const WeekPlanMark& m = m_marks.at(i);
    return {xOf(m.minute), rowTop(m.day) + rowHeight() / 2};
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

void WeekPlanView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = plotArea();
    const double rh = rowHeight();
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 2));

    // Grid: day rows, hour lines, captions.
    for (int day = 0; day < kSwitchDays; ++day) {
        const QRectF row(area.left(), rowTop(day), area.width(), rh);
        p.fillRect(row, isWeekend(day) ? QColor(245, 245, 250) : QColor(Qt::white));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, row.top(), kLeft - 4, rh), Qt::AlignRight | Qt::AlignVCenter,
                   dayAbbreviation(day));
    }
    p.setFont(small);
    for (int hour = 0; hour <= 24; ++hour) {
        const double x = xOf(hour * 60);
        p.setPen(QPen(QColor(hour % 6 == 0 ? 170 : 220, hour % 6 == 0 ? 170 : 220, 220), 1));
        p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        if (hour % 2 == 0) {
            p.setPen(Qt::black);
            p.drawText(QRectF(x - 15, 0, 30, kTop), Qt::AlignCenter, QString::number(hour));
        }
    }
    p.setPen(QColor(150, 150, 150));
    for (int day = 0; day <= kSwitchDays; ++day)
        p.drawLine(QPointF(area.left(), rowTop(day)), QPointF(area.right(), rowTop(day)));

    // Random spans first, so that the marks stay on top.
    const int span = randomSpanMinutes();
    for (const WeekPlanMark& m : m_marks) {
        if (m.function != kFunctionRandom)
            continue;
        const double a = xOf(std::max(0, m.minute - span));
        const double b = xOf(std::min(24 * 60, m.minute + span));
        p.fillRect(QRectF(a, rowTop(m.day) + rh * 0.3, b - a, rh * 0.4), QColor(255, 160, 0, 90));
    }

    for (int i = 0; i < m_marks.size(); ++i) {
        const WeekPlanMark& m = m_marks[i];
        const QPointF c = markCentre(i);
        const double h = kMarkHalf * (i == m_hovered ? 1.4 : 1.0);
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
        p.drawText(QRectF(c.x() - 20, c.y() - h - 12, 40, 11), Qt::AlignCenter,
                   timeText(m.minute + 1));
        QStringList below;
        if (m.group != kGroupSingleDay)
            below << groupCodeText(m.group);
        if (m.function == kFunctionAstro)
            below << QStringLiteral("Astro");
        else if (m.function == kFunctionRandom)
            below << QStringLiteral("Zufall");
        if (!below.isEmpty())
            p.drawText(QRectF(c.x() - 40, c.y() + h, 80, 11), Qt::AlignCenter,
                       below.join(QLatin1Char(' ')));
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
