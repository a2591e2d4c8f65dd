#include "params/MotorNames.h"

namespace korvane {

void MotorNames::resetToDefaults() {
    for (int m = 0; m < kCount; ++m)
        m_names[m] = defaultName(m);
}

QString MotorNames::defaultName(int motor) {
    return QStringLiteral("Motor %1").arg(motor + 1);
}

QString MotorNames::name(int motor) const {
    return isValidMotor(motor) ? m_names[motor] : QString();
}

bool MotorNames::setName(int motor, const QString& name) {
    if (!isValidMotor(motor))
        return false;
    m_names[motor] = name;
    return true;
}

QString MotorNames::nameCell(const QString& name) {
    // Padded to the full cell also for an empty name, so that the columns
    // after it stay in place.
    return name.leftJustified(kCellWidth, QLatin1Char(' '), true);
}

QStringList MotorNames::toList() const {
    return QStringList(m_names.begin(), m_names.end());
}

} // namespace korvane
