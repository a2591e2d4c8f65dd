#pragma once

#include "ChoiceList.h"
#include "ControllerPage.h"

#include <QList>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

class LogoShape;

// Tab " Parameter": the random-time, sensor-type and conservatory groups with
// the five system parameters and the profile copy, the alarm setup with the
// live alarm state, and the radio-clock indicator. Entering the page selects
// the stored values without acting on them.
class ParameterPage : public ControllerPage {
    Q_OBJECT
public:
    static inline const QColor kLedLit{0, 255, 0};
    static inline const QColor kLedDark{0, 128, 0};

    explicit ParameterPage(QWidget* parent = nullptr);

    void attachParameters(ParameterSet& params) override;
    void refreshView() override;
    void applyModel(const ModelInfo& model) override;
    void showLiveValues(const LiveDisplay& display) override;
    // The lamp and its explanation show while the indicator mode runs.
    void setDcfIndicatorShown(bool shown);
    void setDcfLed(bool lit);

    QGroupBox* randomGroup() const { return m_randomGroup; }
    QGroupBox* sensorGroup() const { return m_sensorGroup; }
    QGroupBox* conservatoryGroup() const { return m_conservatoryGroup; }
    QGroupBox* alarmGroup() const { return m_alarmGroup; }
    QComboBox* activeProfile() const { return m_params.last(); }
    QListWidget* alarmList(int motor) const { return m_alarmLists.at(motor - 1); }
    QPushButton* profileCopyButton() const { return m_profileCopy; }

Q_SIGNALS:
    void dcfButtonClicked();
    // The user chose the other profile in "AktivesProfil".
    void activeProfileChosen();
    // "Jetzt kopieren" copied the standard profile onto the alternative one.
    void profileCopied();

private:
    QGroupBox* m_randomGroup;
    QGroupBox* m_sensorGroup;
    QGroupBox* m_conservatoryGroup;
    QGroupBox* m_alarmGroup;
    QList<QComboBox*> m_params; // in SystemParam order
    QList<ChoiceList*> m_alarmLists;
    QList<QLabel*> m_alarmLabels;
    ParameterSet* m_data = nullptr;
    QPushButton* m_profileCopy;
    QLineEdit* m_alarmStatus;
    LogoShape* m_dcfLed;
    QLabel* m_dcfText;
};

} // namespace korvane
