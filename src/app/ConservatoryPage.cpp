#include "ConservatoryPage.h"

#include "PageWidgets.h"
#include "TemperatureDisplay.h"
#include "session/LiveValues.h"
#include "session/ModelInfo.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace korvane {

ConservatoryPage::ConservatoryPage(QWidget* parent)
    : ControllerPage(QStringLiteral("Wintergarten_Maske"), parent),
      m_inside(new TemperatureDisplay(QStringLiteral("Innentemperatur"),
                                      {QStringLiteral("GroupBoxInnentemperatur2"),
                                       QStringLiteral("IT_Aktuell2"), QStringLiteral("IT_Min2"),
                                       QStringLiteral("IT_Max2")},
                                      this)),
      m_outside(new TemperatureDisplay(QStringLiteral("Au\u00DFentemperatur"),
                                       {QStringLiteral("GroupBoxAussentemperatur2"),
                                        QStringLiteral("AT_Aktuell2"), QStringLiteral("AT_min2"),
                                        QStringLiteral("AT_Max2")},
                                       this)) {
    m_groups = {
        makeGroup(QStringLiteral("GroupBox_PT"),
                  QStringLiteral("Proportionale Temperatursteuerung"), this),
        makeGroup(QStringLiteral("GroupBox_IT"), QStringLiteral("Innen-Temperatursteuerung"), this),
        makeGroup(QStringLiteral("GroupBox_AT"), QStringLiteral("Au\u00DFen-Temperatursteuerung"),
                  this),
    };

    // The proportional control beside the live temperatures, the two
    // threshold controls below.
    layOutGroupsBesideLiveValues(QStringLiteral("AP_Label3"), {m_groups.begin(), m_groups.end()},
                                 {m_inside, m_outside});
}

void ConservatoryPage::attachParameters(ParameterSet& params) {
    addBlockEditor(BlockId::Proportional, params, m_groups[0]);
    addBlockEditor(BlockId::InsideTemp, params, m_groups[1]);
    addBlockEditor(BlockId::OutsideTemp, params, m_groups[2]);
}

void ConservatoryPage::applyModel(const ModelInfo& model) {
    m_inside->setVisible(model.conservatory);
}

void ConservatoryPage::showLiveValues(const LiveDisplay& display) {
    m_inside->setValues(display.insideNow, display.insideMin, display.insideMax);
    m_outside->setValues(display.outsideNow, display.outsideMin, display.outsideMax);
}

} // namespace korvane
