#pragma once

#include <QGroupBox>

class QLineEdit;

namespace korvane {

// A live temperature display: current value, minimum and maximum of one
// sensor, each a read-only field with its own object name.
class TemperatureDisplay : public QGroupBox {
    Q_OBJECT
public:
    struct Names {
        QString group, now, min, max;
    };

    TemperatureDisplay(const QString& title, const Names& names, QWidget* parent = nullptr);

    void setValues(const QString& now, const QString& min, const QString& max);
    QLineEdit* nowField() const { return m_now; }
    QLineEdit* minField() const { return m_min; }
    QLineEdit* maxField() const { return m_max; }

private:
    QLineEdit* m_now;
    QLineEdit* m_min;
    QLineEdit* m_max;
};

} // namespace korvane
