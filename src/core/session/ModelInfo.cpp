#include "session/ModelInfo.h"

namespace korvane {
namespace {

QChar at(const QString& text, int position1) {
    return position1 <= text.size() ? text.at(position1 - 1) : QChar();
}

// A motor or slot count: one digit 1 .. 8.
std::optional<int> countAt(const QString& text, int position1) {
    const QChar c = at(text, position1);
    if (c < QLatin1Char('1') || c > QLatin1Char('8'))
        return std::nullopt;
    return c.unicode() - '0';
}

} // namespace

ModelParse parseModel(const QString& text, const ModelInfo& previous) {
    ModelParse result;
    result.info.conservatory = at(text, 9) == QLatin1Char('W');
    result.info.sensor = at(text, 14) == QLatin1Char('S');
    result.info.keyAutomatic = at(text, 15) == QLatin1Char('T');
    const auto motors = countAt(text, 11);
    const auto slots = countAt(text, 13);
    result.countsValid = motors && slots;
    result.info.motorCount = result.countsValid ? *motors : previous.motorCount;
    result.info.slotsPerMotor = result.countsValid ? *slots : previous.slotsPerMotor;
    return result;
}

} // namespace korvane
