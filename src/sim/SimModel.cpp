#include "SimModel.h"

#include <algorithm>

namespace korvane {

namespace {

int clampCount(int n) {
    return n >= 1 && n <= 8 ? n : 8;
}

} // namespace

SimModel::SimModel(Variant variant, int motors, int slots) {
    motors = std::clamp(motors, 1, 8);
    slots = std::clamp(slots, 1, 8);
    switch (variant) {
    case Variant::Basic:
        m_text = composeText(QStringLiteral("VX-1000"), false, motors, slots, false, false);
        break;
    case Variant::Sensor:
        m_text = composeText(QStringLiteral("VX-2000"), false, motors, slots, true, false);
        break;
    case Variant::SensorKeyPress:
        m_text = composeText(QStringLiteral("VX-2500"), false, motors, slots, true, true);
        break;
    case Variant::Conservatory:
        m_text = composeText(QStringLiteral("VX-4000"), true, motors, slots, true, true);
        break;
    }
    m_info = parseModel(m_text, ModelInfo{}).info;
}

SimModel SimModel::fromText(const QString& text) {
    SimModel model;
    model.m_text = text;
    model.m_info = parseModel(text, ModelInfo{}).info;
    return model;
}

int SimModel::motorCount() const {
    return clampCount(m_info.motorCount);
}

int SimModel::slotsPerMotor() const {
    return clampCount(m_info.slotsPerMotor);
}

QString SimModel::composeText(const QString& typeName, bool conservatory, int motors, int slots,
                              bool sensor, bool keyPress) {
    QString text = typeName.left(8).leftJustified(8, QLatin1Char(' '));
    text += conservatory ? QLatin1Char('W') : QLatin1Char(' ');
    text += QLatin1Char(' ');
    text += QString::number(std::clamp(motors, 0, 9));
    text += QLatin1Char(' ');
    text += QString::number(std::clamp(slots, 0, 9));
    text += sensor ? QLatin1Char('S') : QLatin1Char(' ');
    text += keyPress ? QLatin1Char('T') : QLatin1Char(' ');
    return text;
}

} // namespace korvane
