#include "ManualPage.h"

#include "PageWidgets.h"
#include "session/ModelInfo.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace korvane {

ManualPage::ManualPage(QWidget* parent)
    : ControllerPage(QStringLiteral("Handsteuerung_Maske"), parent),
      m_reversingGroup(makeGroup(QStringLiteral("GroupBox_Reversier"),
                                 QStringLiteral("Reversier-Automatik"), this)),
      m_keyPressGroup(makeGroup(QStringLiteral("GroupBox_Tast_Automatik"),
                                QStringLiteral("Tast-Automatik"), this)),
      m_keyPressHeading(makeListHeading(
          QStringLiteral("Tast_Label2"),
          QStringLiteral("Motor / Raum        Ein/Aus     Aktivierungszeit"), this)),
      m_keyPressList(makeMotorList(QStringLiteral("Tast_Liste"), this)) {
    auto* manual = new QGroupBox(QStringLiteral("Handsteuerung"), this);
    manual->setObjectName(QStringLiteral("GroupBox_Handsteuerung"));
    m_manualGrid = new QGridLayout(manual);
    for (int motor = 1; motor <= kMotorCount; ++motor) {
        QLabel* label = makeLabel(QStringLiteral("HS_%1_Label").arg(motor),
                                  QStringLiteral("Motor %1").arg(motor), manual);
        label->setAlignment(Qt::AlignCenter);
        m_manualGrid->addWidget(label, 0, motor - 1);
        m_motorLabels.append(label);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(manual);
    auto* automatics = new QHBoxLayout;
    automatics->addWidget(m_reversingGroup);
    automatics->addWidget(m_keyPressGroup);
    layout->addLayout(automatics);
    layout->addWidget(m_keyPressHeading);
    layout->addWidget(m_keyPressList);
    layout->addStretch(1);
}

void ManualPage::applyModel(const ModelInfo& model) {
    m_keyPressGroup->setVisible(model.keyAutomatic);
    m_keyPressHeading->setVisible(model.keyAutomatic);
    m_keyPressList->setVisible(model.keyAutomatic);
}

void ManualPage::setMotorNames(const QStringList& names) {
    for (int i = 0; i < m_motorLabels.size() && i < names.size(); ++i)
        m_motorLabels[i]->setText(names[i]);
}

} // namespace korvane
