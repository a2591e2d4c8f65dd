#pragma once

#include <QColor>
#include <QWidget>

namespace korvane {

// A small filled shape of the top-area logo and the heartbeat and radio-clock
// lamps: a square or a circle in one colour.
class LogoShape : public QWidget {
    Q_OBJECT
public:
    enum class Form { Square, Circle };

    static constexpr int kDesignSize = 9;

    LogoShape(const QString& objectName, const QColor& color, Form form = Form::Square,
              int size = kDesignSize, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    Form form() const { return m_form; }
    void setColor(const QColor& color);
    void setForm(Form form);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    Form m_form;
};

} // namespace korvane
