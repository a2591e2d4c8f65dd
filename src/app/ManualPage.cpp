#include "ManualPage.h"

#include "ChoiceList.h"
#include "PageWidgets.h"
#include "params/ParameterSet.h"
#include "session/ModelInfo.h"
#include "text/SymbolText.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace korvane {
namespace {

constexpr int kSymbolPixels = 24;

} // namespace

ManualPage::ManualPage(QWidget* parent)
    : ControllerPage(QStringLiteral("Handsteuerung_Maske"), parent),
      m_reversingGroup(makeGroup(QStringLiteral("GroupBox_Reversier"),
                                 QStringLiteral("Reversier-Automatik"), this)),
      m_keyPressGroup(makeGroup(QStringLiteral("GroupBox_Tast_Automatik"),
                                QStringLiteral("Tast-Automatik"), this)) {
    auto* manual = new QGroupBox(QStringLiteral("Handsteuerung"), this);
    manual->setObjectName(QStringLiteral("GroupBox_Handsteuerung"));
    const MotorChoiceColumns columns =
        makeMotorChoiceColumns(QStringLiteral("HS"), kSymbolPixels, kStopRow, manual);
    manual->setLayout(columns.grid);
    m_motorLabels = columns.labels;
    m_motorLists = columns.lists;
    for (int motor = 1; motor <= kMotorCount; ++motor) {
        connect(m_motorLists[motor - 1], &ChoiceList::chosen, this,
                [this, motor](int action) { Q_EMIT motorCommand(motor, action); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(manual);
    auto* automatics = new QHBoxLayout;
    automatics->addWidget(m_reversingGroup, 0, Qt::AlignTop);
    automatics->addWidget(m_keyPressGroup, 0, Qt::AlignTop);
    automatics->addStretch(1);
    layout->addLayout(automatics);
    layout->addStretch(1);
}

void ManualPage::attachParameters(ParameterSet& params) {
    m_params = &params;
    // Entering the page refreshes the key-press group first.
    addBlockEditor(BlockId::KeyPress, params, m_keyPressGroup);
    addBlockEditor(BlockId::Reversing, params, m_reversingGroup);
}

void ManualPage::applyModel(const ModelInfo& model) {
    m_keyPressGroup->setVisible(model.keyAutomatic);
}

void ManualPage::refreshView() {
    ControllerPage::refreshView();
    if (m_params)
        setMotorNames(m_params->motorNames.toList());
}

void ManualPage::enterPage() {
    refreshView();
    Q_EMIT manualModeEntered();
}

void ManualPage::leavePage() {
    Q_EMIT manualModeLeft();
    for (ChoiceList* list : m_motorLists)
        list->setCurrentRow(kStopRow);
}

void ManualPage::setMotorNames(const QStringList& names) {
    for (int i = 0; i < m_motorLabels.size() && i < names.size(); ++i)
        m_motorLabels[i]->setText(names[i]);
}

} // namespace korvane
