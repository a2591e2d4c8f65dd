#pragma once

#include "ControllerPage.h"

#include <array>

class QGroupBox;
class QLabel;

namespace korvane {

class ClickableField;
class TemperatureDisplay;

// Tab "Beschattungs-/Dämmer.-Autom.": the shading group and the two twilight
// groups, each with its live brightness field and label, the inside and
// outside temperature displays and the alternative-profile label. The block
// editors go into the three groups.
class ShadingTwilightPage : public ControllerPage {
    Q_OBJECT
public:
    enum Group { Shading = 0, Morning = 1, Evening = 2 };

    explicit ShadingTwilightPage(QWidget* parent = nullptr);

    void attachParameters(ParameterSet& params) override;
    void applyModel(const ModelInfo& model) override;
    void showLiveValues(const LiveDisplay& display) override;
    // The captions of the three brightness labels: mean or current brightness.
    void setLuxMeanShown(bool meanShown);

    QGroupBox* group(Group which) const { return m_groups.at(which); }

Q_SIGNALS:
    // One of the three live brightness fields was clicked.
    void luxFieldClicked();

private:
    std::array<QGroupBox*, 3> m_groups{};
    std::array<ClickableField*, 3> m_luxFields{};
    std::array<QLabel*, 3> m_luxLabels{};
    TemperatureDisplay* m_inside;
    TemperatureDisplay* m_outside;
};

} // namespace korvane
