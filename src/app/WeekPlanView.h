#pragma once

#include "params/WeekPlan.h"

#include <QWidget>
#include <array>
#include <functional>

namespace korvane {

// The week of one motor's switch times as a drawing: seven day rows over
// 24 hours, a triangle per used slot (up green and pointing up, down blue and
// pointing down) with its time beside it, and the random function's span as a
// band. Where there is room, the day group and function stand under the time.
// Every mark and its label keep inside their day's row: marks whose labels
// would touch go to lanes one under the other, and the view asks for the
// height that this needs. Hovering over a mark tells the slot; clicking it
// reports the slot.
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
    // Centre of mark `i`, its label and a day's row, in widget coordinates.
    QPointF markCentre(int i) const;
    QRectF labelRect(int i) const;
    QRectF rowRect(int day) const;
    // The mark under `pos`, or -1.
    int markAt(const QPointF& pos) const;
    QSize sizeHint() const override { return {700, m_fullHeight}; }
    QSize minimumSizeHint() const override { return {200, m_compactHeight}; }
    // Whether the labels show the day group and function under the time.
    bool showsDetails() const { return m_details; }

Q_SIGNALS:
    void markClicked(int day, int slot);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Where a mark and its label are drawn.
    struct Placed {
        int lane = 0;
        QPointF centre;
        QRectF label;
        bool labelLeft = false; // the label stands left of the mark
        QString details;        // day group and function, or empty
    };
    QFont labelFont() const;
    double xOf(double minute) const;
    double laneHeight(bool details) const;
    // Lanes of each day when the labels carry their details or not.
    std::array<int, kSwitchDays> assignLanes(bool details);
    // Places every mark for the current size and asks for the height needed.
    void placeMarks();

    const SwitchTimeTable& m_table;
    RandomSpan m_randomSpan;
    int m_motor = 0;
    int m_hovered = -1;
    QList<WeekPlanMark> m_marks;
    QList<Placed> m_placed;
    std::array<double, kSwitchDays + 1> m_rowTops{};
    bool m_details = false;
    int m_compactHeight = 0;
    int m_fullHeight = 0;
};

} // namespace korvane
