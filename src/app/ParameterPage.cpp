#include "ParameterPage.h"

#include "ChoiceList.h"
#include "ClickableField.h"
#include "LogoShape.h"
#include "PageWidgets.h"
#include "params/ParameterSet.h"
#include "session/LiveValues.h"
#include "session/ModelInfo.h"
#include "text/SymbolText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace korvane {
namespace {

constexpr int kAlarmMotors = 8;

constexpr int kLedSize = 16;
constexpr int kAlarmSymbolPixels = 18;

// Where each system parameter sits: its label, the hint of its drop-down and
// the group that holds it (0 random time, 1 sensor types, 2 conservatory).
struct ParamPlace {
    const char* labelName;
    QString labelText;
    QString hint;
    int group;
};
const ParamPlace kParamPlaces[kSystemParamCount] = {
    {"Parameter_Label1", QStringLiteral("Zufalls-Zeitspanne"),
     QStringLiteral("Für die Zufallsfunktion im Bereich \"Schaltzeiten\""), 0},
    {"Parameter_Label2", QStringLiteral("Beschattungs-Hysterese"),
     QStringLiteral("Schalt-Hysterese des Helligkeitswertes bei Beschattungs-Automatik"), 1},
    {"Parameter_Label3", QStringLiteral("Offset Außentemperatur"),
     QStringLiteral("Offset Außentemperatur"), 1},
    {"Parameter_Label4", QStringLiteral("Offset Innentemperatur"),
     QStringLiteral("Offset Innentemperatur"), 2},
    {"Parameter_Label5", QStringLiteral("Aktives Profil"),
     QStringLiteral("Umschalten zwischen Standard- und Alternativ-Profil"), 2},
};

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
      m_profileCopy(new QPushButton(QStringLiteral("Jetzt kopieren"), m_conservatoryGroup)),
      m_alarmStatus(
          makeLiveField(QStringLiteral("AlarmStatus"), QStringLiteral("Kein Alarm"), m_alarmGroup)),
      m_dcfLed(new LogoShape(QStringLiteral("DCF_LED"), kLedDark, LogoShape::Form::Circle, kLedSize,
                             this)),
      m_dcfText(makeLabel(QStringLiteral("Label_DCF77"), kDcfExplanation, this)) {
    // The five parameters, each a label and a drop-down in its group.
    const std::array<QGroupBox*, 3> groups{m_randomGroup, m_sensorGroup, m_conservatoryGroup};
    std::array<QGridLayout*, 3> grids{};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        grids[g] = new QGridLayout;
        groups[g]->layout()->addItem(grids[g]);
    }
    for (const SystemParamDescription& d : systemParamDescriptions()) {
        const ParamPlace& place = kParamPlaces[int(d.id)];
        QGroupBox* group = groups[place.group];
        auto* combo = new QComboBox(group);
        combo->setObjectName(QLatin1String(d.editor));
        for (int i = 0; i < d.itemCount; ++i)
            combo->addItem(d.itemText(i));
        combo->setCurrentIndex(d.defaultIndex);
        combo->setToolTip(place.hint);
        combo->setMaxVisibleItems(20);
        QGridLayout* grid = grids[place.group];
        const int row = grid->rowCount();
        grid->addWidget(makeLabel(QLatin1String(place.labelName), place.labelText, group), row, 0);
        grid->addWidget(combo, row, 1);
        connect(combo, &QComboBox::activated, this, [this, id = d.id](int index) {
            if (!m_data)
                return;
            m_data->param(id) = index;
            if (id == SystemParam::StoredProfile) {
                m_data->activeProfile = index;
                Q_EMIT activeProfileChosen();
            }
        });
        m_params.append(combo);
    }
    m_profileCopy->setObjectName(QStringLiteral("Profil_Kopieren"));
    m_profileCopy->setToolTip(QStringLiteral(
        "Kopiert alle Einstellungen des Standard-Profils auf das Alternativ-Profil"));
    const int copyRow = grids[2]->rowCount();
    grids[2]->addWidget(makeLabel(QStringLiteral("Parameter_Label6"),
                                  QStringLiteral("Standard-Profil kopieren "), m_conservatoryGroup),
                        copyRow, 0);
    grids[2]->addWidget(m_profileCopy, copyRow, 1);
    connect(m_profileCopy, &QPushButton::clicked, this, [this] {
        if (!m_data)
            return;
        copyStandardToAlternative(*m_data);
        Q_EMIT profileCopied();
    });

    // Alarm group: one choice list per motor, its name above it.
    const MotorChoiceColumns alarm = makeMotorChoiceColumns(
        QStringLiteral("AS"), kAlarmSymbolPixels, kAlarmDefaultChoice, m_alarmGroup);
    m_alarmLabels = alarm.labels;
    m_alarmLists = alarm.lists;
    for (int motor = 1; motor <= kAlarmMotors; ++motor) {
        connect(m_alarmLists[motor - 1], &ChoiceList::chosen, this, [this, motor](int choice) {
            if (m_data)
                m_data->alarmSetup[motor - 1] = choice;
        });
    }
    m_alarmGroup->layout()->addItem(alarm.grid);

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

void ParameterPage::attachParameters(ParameterSet& params) {
    m_data = &params;
}

void ParameterPage::refreshView() {
    if (!m_data)
        return;
    for (int i = 0; i < kAlarmMotors; ++i) {
        m_alarmLabels[i]->setText(m_data->motorNames.name(i));
        const int choice = m_data->alarmSetup[i];
        m_alarmLists[i]->setCurrentRow(choice >= 0 && choice < kAlarmChoiceCount ? choice : -1);
    }
    for (int p = 0; p < kSystemParamCount; ++p) {
        const int index = m_data->systemParams[p];
        m_params[p]->setCurrentIndex(index >= 0 && index < m_params[p]->count() ? index : -1);
    }
}

void ParameterPage::applyModel(const ModelInfo& model) {
    const bool outdoor = model.hasOutdoorAutomatics();
    m_sensorGroup->setVisible(outdoor);
    m_alarmGroup->setVisible(outdoor);
    m_conservatoryGroup->setVisible(model.conservatory);
    activeProfile()->setVisible(model.conservatory);
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
