#include "LogoShape.h"

#include <QPainter>

namespace korvane {

LogoShape::LogoShape(const QString& objectName, const QColor& color, Form form, int size,
                     QWidget* parent)
    : QWidget(parent), m_color(color), m_form(form) {
    setObjectName(objectName);
    setFixedSize(size, size);
    // Opaque: a blink repaints the shape alone, not the header beneath it.
    setAutoFillBackground(true);
}

void LogoShape::setColor(const QColor& color) {
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void LogoShape::setForm(Form form) {
    if (m_form == form)
        return;
    m_form = form;
    update();
}

void LogoShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_form == Form::Circle);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_color);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (m_form == Form::Circle)
        painter.drawEllipse(box);
    else
        painter.drawRect(box);
}

} // namespace korvane
