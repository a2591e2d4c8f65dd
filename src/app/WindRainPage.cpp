#include "WindRainPage.h"

#include "BlockEditor.h"
#include "ClickableField.h"
#include "PageWidgets.h"
#include "session/LiveValues.h"
#include "session/ModelInfo.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

WindRainPage::WindRainPage(QWidget* parent)
    : ControllerPage(QStringLiteral("Wind_Regen_Maske"), parent),
      m_windGroup(
          makeGroup(QStringLiteral("GroupBox_Wind"), QStringLiteral("Einfahren bei Wind"), this)),
      m_rainGroup(
          makeGroup(QStringLiteral("GroupBox_Regen"), QStringLiteral("Einfahren bei Regen"), this)),
      m_humidityGroup(makeGroup(QStringLiteral("FeuchteSteuerung"),
                                QStringLiteral("Luftfeuchtigkeits-Steuerung"), this)),
      m_windNow(makeLiveField(QStringLiteral("AktWind"))), m_windBar(new QProgressBar),
      m_windMax(new ClickableField(QStringLiteral("MaxWind"), QStringLiteral("74 km/h"))),
      m_rain(makeLiveField(QStringLiteral("RegenStatus"))),
      m_humidity(makeLiveField(QStringLiteral("RelFeuchte"))) {
    m_windBar->setObjectName(QStringLiteral("WindProgressBar"));
    m_windBar->setRange(0, kWindBarMaximum);
    m_windBar->setTextVisible(false);
    m_windBar->setFixedWidth(80);
    // Shown and hidden as the wind rises and drops: the fields beside it stay
    // where they are, and nothing is laid out again.
    QSizePolicy barPolicy = m_windBar->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    m_windBar->setSizePolicy(barPolicy);
    m_windBar->setAutoFillBackground(true);
    m_windBar->hide();
    m_windMax->setToolTip(QStringLiteral("Wird durch Anklicken zur\u00FCckgesetzt"));
    connect(m_windMax, &ClickableField::clicked, this, &WindRainPage::maxWindClicked);

    auto* weather = new QGroupBox(QStringLiteral("Wetter"), this);
    weather->setObjectName(QStringLiteral("GroupBox_Wetter"));
    // The live weather in one strip above the automatics.
    auto* weatherLayout = new QHBoxLayout(weather);
    const auto addValue = [&](const QString& caption, QWidget* field) {
        weatherLayout->addWidget(new QLabel(caption, weather));
        weatherLayout->addWidget(field);
    };
    addValue(QStringLiteral("Wind"), m_windNow);
    weatherLayout->addWidget(m_windBar);
    addValue(QStringLiteral("max. Wind"), m_windMax);
    addValue(QStringLiteral("Regen"), m_rain);
    addValue(QStringLiteral("rel. Feuchte"), m_humidity);
    weatherLayout->addStretch(1);
    for (QLineEdit* field : {static_cast<QLineEdit*>(m_windNow), static_cast<QLineEdit*>(m_windMax),
                             m_rain, m_humidity})
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("Kein Regen")) +
                             12);

    // The live weather on top, wind and rain side by side, humidity below.
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(weather, 1);
    top->addWidget(createAlternativeProfileLabel(QStringLiteral("AP_Label2")), 0, Qt::AlignTop);
    layout->addLayout(top);
    auto* automatics = new QHBoxLayout;
    automatics->addWidget(m_windGroup, 0, Qt::AlignTop);
    automatics->addWidget(m_rainGroup, 0, Qt::AlignTop);
    automatics->addStretch(1);
    layout->addLayout(automatics);
    layout->addWidget(m_humidityGroup);
    layout->addStretch(1);
}

void WindRainPage::attachParameters(ParameterSet& params) {
    BlockEditor* wind = addBlockEditor(BlockId::Wind, params, m_windGroup);
    BlockEditor* rain = addBlockEditor(BlockId::Rain, params, m_rainGroup);
    addBlockEditor(BlockId::Humidity, params, m_humidityGroup);
    // Wind and rain share the direction of each motor: an edit in one group
    // shows in the other at once.
    connect(wind, &BlockEditor::edited, rain, &BlockEditor::refreshView);
    connect(rain, &BlockEditor::edited, wind, &BlockEditor::refreshView);
}

void WindRainPage::applyModel(const ModelInfo& model) {
    m_humidityGroup->setVisible(model.conservatory);
}

void WindRainPage::showLiveValues(const LiveDisplay& display) {
    m_windNow->setText(display.windNow);
    // A value beyond the range would be ignored by the bar: clamp it instead.
    m_windBar->setValue(std::clamp(display.windBar, 0, kWindBarMaximum));
    m_windBar->setVisible(display.windBarVisible);
    m_windMax->setText(display.windMax);
    m_rain->setText(display.rain);
    m_humidity->setText(display.humidity);
}

} // namespace korvane
