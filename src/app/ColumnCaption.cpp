#include "ColumnCaption.h"

#include <QPainter>
#include <QRegularExpression>

namespace korvane {

ColumnCaption::ColumnCaption(const QString& text, QList<int> columns, QWidget* parent)
    : QLabel(text, parent), m_columns(std::move(columns)) {}

void ColumnCaption::setGrid(int offset, qreal charWidth) {
    m_offset = offset;
    m_charWidth = charWidth;
    update();
}

void ColumnCaption::paintEvent(QPaintEvent*) {
    static const QRegularExpression kGap(QStringLiteral("\\s{2,}"));
    const QStringList words = text().trimmed().split(kGap);
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    for (int i = 0; i < words.size() && i < m_columns.size(); ++i) {
        const QRectF cell(m_offset + m_columns[i] * m_charWidth, 0, width(), height());
        painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, words[i]);
    }
}

} // namespace korvane
