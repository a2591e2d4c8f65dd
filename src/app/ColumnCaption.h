#pragma once

#include <QLabel>
#include <QList>

namespace korvane {

// Column captions over a fixed-pitch list. The caption keeps its text, but
// each of its words (parts separated by two or more blanks) is drawn at the
// character column of the list field it names, so that captions and columns
// line up in any font.
class ColumnCaption : public QLabel {
    Q_OBJECT
public:
    ColumnCaption(const QString& text, QList<int> columns, QWidget* parent = nullptr);

    // Where the list's characters are: pixels from the caption's left edge
    // to the first one, and the width of one.
    void setGrid(int offset, qreal charWidth);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<int> m_columns;
    int m_offset = 0;
    qreal m_charWidth = 0;
};

} // namespace korvane
