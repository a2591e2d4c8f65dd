#pragma once

#include "ControllerPage.h"

#include <QList>

class QGridLayout;
class QGroupBox;
class QLabel;
class QListWidget;

namespace korvane {

// Tab "Handsteuerung, Tast-Aut., Reversier-Aut.": the manual control group
// with one column per motor, the reversing group and the key-press group
// with its list, which only key-press models show.
class ManualPage : public ControllerPage {
    Q_OBJECT
public:
    static constexpr int kMotorCount = 8;

    explicit ManualPage(QWidget* parent = nullptr);

    void applyModel(const ModelInfo& model) override;
    // The captions above the eight manual-control columns.
    void setMotorNames(const QStringList& names);

    // Row 0 holds the motor labels; the controls of each motor go below them.
    QGridLayout* manualGrid() const { return m_manualGrid; }
    QGroupBox* reversingGroup() const { return m_reversingGroup; }
    QGroupBox* keyPressGroup() const { return m_keyPressGroup; }
    QListWidget* keyPressList() const { return m_keyPressList; }

private:
    QGridLayout* m_manualGrid;
    QList<QLabel*> m_motorLabels;
    QGroupBox* m_reversingGroup;
    QGroupBox* m_keyPressGroup;
    QLabel* m_keyPressHeading;
    QListWidget* m_keyPressList;
};

} // namespace korvane
