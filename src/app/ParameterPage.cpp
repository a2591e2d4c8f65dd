#include "ParameterPage.h"

#include "ClickableField.h"
#include "LogoShape.h"
#include "PageWidgets.h"
#include "session/LiveValues.h"
#include "session/ModelInfo.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {
namespace {

constexpr int kLedSize = 16;

const QString kDcfExplanation = QStringLiteral(
    "Indikator sollte bei st\u00F6rungsfreiem Empfang des DCF77-Zeitsignals regelm\u00E4\u00DFig "
    "blinken. Ist dies nicht der Fall, muss die Antennen-Ausrichtung angepasst werden.");

} // namespace

ParameterPage::ParameterPage(QWidget* parent)
    : ControllerPage(QStringLiteral("Parameter"), parent),
      m_randomGroup(
          makeGroup(QStringLiteral("GroupBox_Zufall"), QStringLiteral("Zufalls-Steuerung"), this)),
      m_sensorGroup(
          makeGroup(QStringLiteral("GroupBox_SensorTypen"), QStringLiteral("Sensor-Typen"), this)),
      m_conservatoryGroup(makeGroup(QStringLiteral("GroupBox_WintergStrg"),
                                    QStringLiteral("Wintergartensteuerungen"), this)),
      m_alarmGroup(
          makeGroup(QStringLiteral("GroupBox_AlarmSetUp"), QStringLiteral("Alarm-Setup"), this)),
      m_activeProfile(new QComboBox(m_conservatoryGroup)),
      m_profileCopy(new QPushButton(QStringLiteral("Jetzt kopieren"), m_conservatoryGroup)),
      m_alarmStatus(
          makeLiveField(QStringLiteral("AlarmStatus"), QStringLiteral("Kein Alarm"), m_alarmGroup)),
      m_dcfLed(new LogoShape(QStringLiteral("DCF_LED"), kLedDark, LogoShape::Form::Circle, kLedSize,
                             this)),
      m_dcfText(makeLabel(QStringLiteral("Label_DCF77"), kDcfExplanation, this)) {
    // Conservatory group: the profile switch and the profile copy.
    m_activeProfile->setObjectName(QStringLiteral("AktivesProfil"));
    m_activeProfile->addItems({QStringLiteral("Standard"), QStringLiteral("Alternativ")});
    m_activeProfile->setToolTip(
        QStringLiteral("Umschalten zwischen Standard- und Alternativ-Profil"));
    m_profileCopy->setObjectName(QStringLiteral("Profil_Kopieren"));
    m_profileCopy->setToolTip(QStringLiteral(
        "Kopiert alle Einstellungen des Standard-Profils auf das Alternativ-Profil"));
    auto* profileGrid = new QGridLayout;
    profileGrid->addWidget(makeLabel(QStringLiteral("Parameter_Label5"),
                                     QStringLiteral("Aktives Profil"), m_conservatoryGroup),
                           0, 0);
    profileGrid->addWidget(m_activeProfile, 0, 1);
    profileGrid->addWidget(makeLabel(QStringLiteral("Parameter_Label6"),
                                     QStringLiteral("Standard-Profil kopieren "),
                                     m_conservatoryGroup),
                           1, 0);
    profileGrid->addWidget(m_profileCopy, 1, 1);
    m_conservatoryGroup->layout()->addItem(profileGrid);

    // Alarm group: the per-motor setup goes above the live alarm state.
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(
        makeLabel(QStringLiteral("AS_StatusLabel"), QStringLiteral("Status"), m_alarmGroup));
    statusRow->addWidget(m_alarmStatus);
    statusRow->addStretch(1);
    m_alarmGroup->layout()->addItem(statusRow);

    // Radio-clock indicator.
    auto* dcfButton = new QPushButton(QStringLiteral("DCF-77 Empfangs-Indikator"), this);
    dcfButton->setObjectName(QStringLiteral("DCF77Button"));
    dcfButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(dcfButton, &QPushButton::clicked, this, &ParameterPage::dcfButtonClicked);
    m_dcfText->setWordWrap(true);
    m_dcfLed->hide();
    m_dcfText->hide();
    auto* dcfRow = new QHBoxLayout;
    dcfRow->addWidget(dcfButton, 0, Qt::AlignTop);
    dcfRow->addWidget(m_dcfLed, 0, Qt::AlignTop);
    dcfRow->addWidget(m_dcfText, 1, Qt::AlignTop);
    dcfRow->addStretch(0);

    auto* layout = new QVBoxLayout(this);
    auto* parameters = new QHBoxLayout;
    parameters->addWidget(m_randomGroup);
    parameters->addWidget(m_sensorGroup);
    parameters->addWidget(m_conservatoryGroup);
    layout->addLayout(parameters);
    layout->addWidget(m_alarmGroup);
    layout->addLayout(dcfRow);
    layout->addStretch(1);
}

void ParameterPage::applyModel(const ModelInfo& model) {
    const bool outdoor = model.hasOutdoorAutomatics();
    m_sensorGroup->setVisible(outdoor);
    m_alarmGroup->setVisible(outdoor);
    m_conservatoryGroup->setVisible(model.conservatory);
    m_activeProfile->setVisible(model.conservatory);
    m_profileCopy->setVisible(model.conservatory);
}

void ParameterPage::showLiveValues(const LiveDisplay& display) {
    m_alarmStatus->setText(display.alarm);
}

void ParameterPage::setDcfIndicatorShown(bool shown) {
    m_dcfLed->setVisible(shown);
    m_dcfText->setVisible(shown);
}

void ParameterPage::setDcfLed(bool lit) {
    m_dcfLed->setColor(lit ? kLedLit : kLedDark);
}

} // namespace korvane
