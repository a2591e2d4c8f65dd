#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace korvane {

// The eight motor (room) names. In memory and in the settings file a name has
// no length limit; the controller keeps 12 characters, and every per-motor
// list row shows the name in a 12-character cell.
class MotorNames {
public:
    static constexpr int kCount = 8;
    static constexpr int kCellWidth = 12;

    MotorNames() { resetToDefaults(); }

    // "Motor 1" .. "Motor 8".
    void resetToDefaults();
    static QString defaultName(int motor);

    // motor 0 .. 7. name() of an invalid index is an empty string; setName()
    // of an invalid index stores nothing and returns false.
    QString name(int motor) const;
    bool setName(int motor, const QString& name);
    static constexpr bool isValidMotor(int motor) { return motor >= 0 && motor < kCount; }

    // The name padded with blanks or cut to 12 characters.
    QString cell(int motor) const { return nameCell(name(motor)); }
    static QString nameCell(const QString& name);

    QStringList toList() const;

    friend bool operator==(const MotorNames&, const MotorNames&) = default;

private:
    std::array<QString, kCount> m_names;
};

} // namespace korvane
