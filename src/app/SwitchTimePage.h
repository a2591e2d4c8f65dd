#pragma once

#include "params/SwitchTimeLists.h"

#include <QPoint>
#include <QWidget>
#include <array>
#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QScrollArea;

namespace korvane {

class MotorNames;
class NotifyingComboBox;
class SwitchTimeTable;
class WeekPlanView;

// The "Schaltzeiten" tab page: the switch-time editor over a SwitchTimeTable
// and the MotorNames, its two list views, motor copy and rename, and the
// controls that the main window connects: read/send buttons, port choice,
// progress bar, line-error label and the settings file buttons.
//
// Every edit writes the table (or the names) at once, sets the Changed flag
// of each slot it stores and emits edited(). The page never talks to the
// controller.
class SwitchTimePage : public QWidget {
    Q_OBJECT
public:
    SwitchTimePage(SwitchTimeTable& table, MotorNames& names, QWidget* parent = nullptr);

    // Rewrites every row of both lists from the table and the names; the
    // editor's selection and the lists' row count stay as they are.
    void rebuildLists();
    // Copies the names into the items of `CB_Raum` and `CB_Copy_Raum` (after an
    // "smn" reply or a file load); the selections stay.
    void refreshMotorNames();

    // Read-all: clears the editor selections, blanks both lists with the
    // progress text in row 6 and leaves no row selected. The table itself is
    // reset by its owner.
    void resetForReadAll();
    // Row 6 of both lists, e.g. readAllProgressText("Schaltzeiten Mo").
    void setProgressRow(const QString& text);
    // Row 6 of the by-motor list := row 6 of the by-day list.
    void mirrorProgressRow();
    // End of read-all: names into the drop-downs, lists rebuilt, day "Mo",
    // motor 1 (also as copy target), slot "1", and the editor loaded.
    void selectAfterReadAll();
    // After a settings file load: as above, but the copy target is left alone.
    void selectAfterFileLoad();
    // `CB_WochentagClick`: loads the editor from the slot it addresses.
    void loadEditor();

    // The motor a rename applies to; also set by the motor selectors of the
    // other pages.
    int currentMotor() const { return m_currentMotor; }
    void setCurrentMotor(int motor);

    SwitchTimeListOrder shownOrder() const { return m_shownOrder; }
    void showOrder(SwitchTimeListOrder order);
    // "Wochenplan": the drawing of the editor motor's week takes the place of
    // the lists until a list order is chosen again.
    void showWeekPlan();
    bool weekPlanShown() const { return m_weekPlanShown; }
    WeekPlanView* weekPlan() const { return m_weekPlan; }
    // Minutes either side of a random-function slot (the system parameter).
    void setRandomSpanSource(std::function<int()> minutes);

    QPushButton* sendButton() const { return m_sendButton; }
    QPushButton* readButton() const { return m_readButton; }
    QPushButton* saveToDiskButton() const { return m_saveButton; }
    QPushButton* readFromDiskButton() const { return m_loadButton; }
    QComboBox* portCombo() const { return m_portCombo; }
    QProgressBar* progressBar() const { return m_progressBar; }
    QLabel* lineErrorLabel() const { return m_lineErrorLabel; }
    QListWidget* list(SwitchTimeListOrder order) const;

Q_SIGNALS:
    void sendRequested();
    void readRequested();
    void saveToDiskRequested();
    void readFromDiskRequested();
    // The user picked a port item (index = port number - 1).
    void portPicked(int index);
    // The table or the names were changed by the user.
    void edited();
    void motorNamesEdited();
    void currentMotorChanged(int motor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum ValueField { Direction, Time, Duration, Group, Function, ValueFieldCount };

    QWidget* buildEditorBox();
    QWidget* buildCopyBox();
    QWidget* buildSideBoxes();
    QWidget* buildListArea();

    int editorDay() const;
    int editorMotor() const;
    int editorSlot() const;
    void setGroupItems(int day);
    void selectListRows(int day, int motor);
    void setCopySourceLabel(int motor);

    // Handlers of user events.
    void onValuePicked();
    void onMotorPicked(int index);
    void onCopyTargetPicked(int index);
    void onRowClicked(SwitchTimeListOrder order, int row);
    void loadClickedSlot(int day, int motor, int slot);
    void confirmRename();
    void selectFirstSlot(bool copyTargetToo);
    int slotUnderPointer(SwitchTimeListOrder order, int row) const;

    SwitchTimeTable& m_table;
    MotorNames& m_names;
    int m_currentMotor = 0;
    bool m_nameEdited = false;
    SwitchTimeListOrder m_shownOrder = SwitchTimeListOrder::ByMotor;
    bool m_weekPlanShown = false;
    WeekPlanView* m_weekPlan = nullptr;
    QScrollArea* m_weekPlanArea = nullptr;
    QLabel* m_headings = nullptr;
    QPoint m_pressPos;

    QComboBox* m_dayCombo = nullptr;
    NotifyingComboBox* m_motorCombo = nullptr;
    QComboBox* m_slotCombo = nullptr;
    std::array<QComboBox*, ValueFieldCount> m_valueCombos{};
    QLabel* m_copyFromLabel = nullptr;
    QComboBox* m_copyTargetCombo = nullptr;
    QListWidget* m_dayList = nullptr;
    QListWidget* m_motorList = nullptr;

    QPushButton* m_sendButton = nullptr;
    QPushButton* m_readButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_loadButton = nullptr;
    QComboBox* m_portCombo = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_lineErrorLabel = nullptr;
};

} // namespace korvane
