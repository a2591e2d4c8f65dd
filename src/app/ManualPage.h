#pragma once

#include "ChoiceList.h"
#include "ControllerPage.h"

#include <QList>

class QGroupBox;
class QLabel;

namespace korvane {

// Tab "Handsteuerung, Tast-Aut., Reversier-Aut.": one up/stop/down list per
// motor, the reversing group and the key-press group, which only key-press
// models show. Entering the page switches the controller into manual mode,
// leaving it switches manual mode off and sets every list back to stop.
class ManualPage : public ControllerPage {
    Q_OBJECT
public:
    static constexpr int kMotorCount = 8;
    static constexpr int kStopRow = 1;

    explicit ManualPage(QWidget* parent = nullptr);

    void attachParameters(ParameterSet& params) override;
    void applyModel(const ModelInfo& model) override;
    void refreshView() override;
    void enterPage() override;
    void leavePage() override;
    // The captions above the eight motor lists.
    void setMotorNames(const QStringList& names);

    QListWidget* motorList(int motor) const { return m_motorLists.at(motor - 1); }
    QGroupBox* reversingGroup() const { return m_reversingGroup; }
    QGroupBox* keyPressGroup() const { return m_keyPressGroup; }

Q_SIGNALS:
    void manualModeEntered();
    void manualModeLeft();
    // A click, Enter or Space on motor `motor`'s list (1..8): 0 up, 1 stop, 2 down.
    void motorCommand(int motor, int action);

private:
    QList<QLabel*> m_motorLabels;
    QList<ChoiceList*> m_motorLists;
    QGroupBox* m_reversingGroup;
    QGroupBox* m_keyPressGroup;
    ParameterSet* m_params = nullptr;
};

} // namespace korvane
