#pragma once

#include "ControllerPage.h"

#include <array>

class QGroupBox;

namespace korvane {

class TemperatureDisplay;

// Tab "Wintergarten-Strg.": the proportional, inside and outside temperature
// control groups, the second inside and outside temperature displays and the
// alternative-profile label.
class ConservatoryPage : public ControllerPage {
    Q_OBJECT
public:
    enum Group { Proportional = 0, Inside = 1, Outside = 2 };

    explicit ConservatoryPage(QWidget* parent = nullptr);

    void attachParameters(ParameterSet& params) override;
    void applyModel(const ModelInfo& model) override;
    void showLiveValues(const LiveDisplay& display) override;

    QGroupBox* group(Group which) const { return m_groups.at(which); }

private:
    std::array<QGroupBox*, 3> m_groups{};
    TemperatureDisplay* m_inside;
    TemperatureDisplay* m_outside;
};

} // namespace korvane
