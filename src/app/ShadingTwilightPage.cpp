#include "ShadingTwilightPage.h"

#include "BlockEditor.h"
#include "ClickableField.h"
#include "PageWidgets.h"
#include "TemperatureDisplay.h"
#include "session/LiveValues.h"
#include "session/ModelInfo.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace korvane {
namespace {

struct GroupDescription {
    BlockId block;
    const char* groupName;
    QString title;
    const char* luxField;
    const char* luxLabel;
};

const std::array<GroupDescription, 3> kGroups{{
    {BlockId::Shading, "GroupBox_Beschattung", QStringLiteral("Beschattungsautomatik"),
     "BA_LuxAktuell", "BA_Label5"},
    {BlockId::TwilightMorning, "GroupBox_DM", QStringLiteral("D\u00E4mmerungsautomatik Morgen"),
     "DM_LuxAktuell", "DM_Label4"},
    {BlockId::TwilightEvening, "GroupBox_DA", QStringLiteral("D\u00E4mmerungsautomatik Abend"),
     "DA_LuxAktuell", "DA_Label4"},
}};

const QString kLuxMean = QStringLiteral("Lux mittel");
const QString kLuxNow = QStringLiteral("Lux aktuell");
const QString kInitialLux = QStringLiteral("250");

} // namespace

ShadingTwilightPage::ShadingTwilightPage(QWidget* parent)
    : ControllerPage(QStringLiteral("Beschattung_Maske"), parent),
      m_inside(new TemperatureDisplay(QStringLiteral("Innentemperatur"),
                                      {QStringLiteral("GroupBoxInnentemperatur"),
                                       QStringLiteral("IT_Aktuell"), QStringLiteral("IT_Min"),
                                       QStringLiteral("IT_Max")},
                                      this)),
      m_outside(new TemperatureDisplay(QStringLiteral("Au\u00DFentemperatur"),
                                       {QStringLiteral("GroupBoxAussentemperatur"),
                                        QStringLiteral("AT_Aktuell"), QStringLiteral("AT_Min"),
                                        QStringLiteral("AT_Max")},
                                       this)) {
    for (std::size_t i = 0; i < kGroups.size(); ++i) {
        const GroupDescription& d = kGroups[i];
        QGroupBox* group = makeGroup(QLatin1String(d.groupName), d.title, this);
        m_luxFields[i] = new ClickableField(QLatin1String(d.luxField), kInitialLux, group);
        m_luxFields[i]->setToolTip(kLuxFieldHint);
        m_luxFields[i]->setFixedWidth(
            m_luxFields[i]->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 8);
        m_luxLabels[i] = makeLabel(QLatin1String(d.luxLabel), kLuxMean, group);
        // Both show with the value editors of their block.
        m_luxFields[i]->hide();
        m_luxLabels[i]->hide();
        connect(m_luxFields[i], &ClickableField::clicked, this,
                &ShadingTwilightPage::luxFieldClicked);
        m_groups[i] = group;
    }
    // Shading beside the live temperatures, the two twilight groups below it.
    layOutGroupsBesideLiveValues(QStringLiteral("AP_Label1"), {m_groups.begin(), m_groups.end()},
                                 {m_inside, m_outside});
}

void ShadingTwilightPage::attachParameters(ParameterSet& params) {
    for (std::size_t i = 0; i < kGroups.size(); ++i) {
        BlockEditor* editor = addBlockEditor(kGroups[i].block, params, m_groups[i]);
        editor->addColumn(m_luxLabels[i], m_luxFields[i]);
    }
}

void ShadingTwilightPage::applyModel(const ModelInfo& model) {
    m_inside->setVisible(model.conservatory);
}

void ShadingTwilightPage::showLiveValues(const LiveDisplay& display) {
    for (ClickableField* field : m_luxFields)
        field->setText(display.lux);
    m_inside->setValues(display.insideNow, display.insideMin, display.insideMax);
    m_outside->setValues(display.outsideNow, display.outsideMin, display.outsideMax);
}

void ShadingTwilightPage::setLuxMeanShown(bool meanShown) {
    for (QLabel* label : m_luxLabels)
        label->setText(meanShown ? kLuxMean : kLuxNow);
}

} // namespace korvane
