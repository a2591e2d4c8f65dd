#pragma once

#include "params/WeekPlan.h"

#include <QWidget>
#include <functional>

namespace korvane {

// The week of one motor's switch times as a drawing: seven day rows over
// 24 hours, a triangle per used slot (up green and pointing up, down blue and
// pointing down), its time above it, its day group and function below, and
// the random function's span as a band. Hovering over a mark tells the slot;
// clicking it reports the slot.
class WeekPlanView : public QWidget {
    Q_OBJECT
public:
    using RandomSpan = std::function<int()>; // minutes either side

    WeekPlanView(const SwitchTimeTable& table, QWidget* parent = nullptr);

    void setRandomSpan(RandomSpan span) { m_randomSpan = std::move(span); }
    int randomSpanMinutes() const { return m_randomSpan ? m_randomSpan() : 0; }
    // Draws `motor` afresh from the table.
    void showMotor(int motor);
    int motor() const { return m_motor; }

    const QList<WeekPlanMark>& marks() const { return m_marks; }
    // Centre of mark `i` in widget coordinates.
    QPointF markCentre(int i) const;
    // The mark under `pos`, or -1.
    int markAt(const QPointF& pos) const;
    QSize sizeHint() const override { return {700, 300}; }

Q_SIGNALS:
    void markClicked(int day, int slot);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRectF plotArea() const;
    double xOf(double minute) const;
    double rowTop(int day) const;
    double rowHeight() const;

    const SwitchTimeTable& m_table;
    RandomSpan m_randomSpan;
    int m_motor = 0;
    int m_hovered = -1;
    QList<WeekPlanMark> m_marks;
};

} // namespace korvane
