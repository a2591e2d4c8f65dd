#pragma once

#include "ControllerPage.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace korvane {

class ClickableField;

// Tab "Wind-, Regen-, Feuchte": the wind and rain groups, the humidity group
// with its list, the live weather display and the alternative-profile label.
class WindRainPage : public ControllerPage {
    Q_OBJECT
public:
    // The wind bar runs from calm to this speed; faster winds fill it.
    static constexpr int kWindBarMaximum = 100;

    explicit WindRainPage(QWidget* parent = nullptr);

    void attachParameters(ParameterSet& params) override;
    void applyModel(const ModelInfo& model) override;
    void showLiveValues(const LiveDisplay& display) override;

    QGroupBox* windGroup() const { return m_windGroup; }
    QGroupBox* rainGroup() const { return m_rainGroup; }
    QGroupBox* humidityGroup() const { return m_humidityGroup; }

Q_SIGNALS:
    // The maximum-wind field was clicked (it resets the controller's maximum).
    void maxWindClicked();

private:
    QGroupBox* m_windGroup;
    QGroupBox* m_rainGroup;
    QGroupBox* m_humidityGroup;
    QLineEdit* m_windNow;
    QProgressBar* m_windBar;
    ClickableField* m_windMax;
    QLineEdit* m_rain;
    QLineEdit* m_humidity;
};

} // namespace korvane
