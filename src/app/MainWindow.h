#pragma once

#include "blocks/BlockRecord.h"
#include "files/ProgramSettings.h"
#include "manual/ManualControl.h"

#include <QMainWindow>
#include <functional>

class QTabWidget;
class QVBoxLayout;

namespace korvane {

class ConservatoryPage;
class ControllerPage;
class ControllerSession;
class HeaderArea;
class HistoryPage;
class ManualPage;
class ParameterPage;
class ShadingTwilightPage;
class StatusPanelBar;
class WindRainPage;
struct LiveDisplay;
struct ParameterSet;
struct ModelInfo;

// The main window TVendrix: the top area, the seven tab pages and the status
// bar, all following one ControllerSession. The switch-time and logbook pages
// are hosts; their content is installed from outside.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Shows a message with an OK button, without waiting for it (the default
    // opens a box and returns); tests record instead.
    using MessagePresenter = std::function<void(const QString& text)>;

    enum Page {
        SwitchTimes = 0,
        ShadingTwilight,
        WindRain,
        Conservatory,
        Logbook,
        Manual,
        Parameters,
        History,
        PageCount
    };

    static inline const QString kCaption = QStringLiteral("Korvane  V1.08f-5.400");
    static constexpr int kDesignWidth = 808;
    static constexpr int kDesignHeight = 580;

    // `settingsPath` is the program settings file (Korvane.ini in the working
    // directory for the program).
    explicit MainWindow(ControllerSession& session,
                        const QString& settingsPath = ProgramSettings::kFileName,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    void setMessagePresenter(MessagePresenter presenter);
    void showMessage(const QString& text);

    // Install the content of the "Schaltzeiten" and "Logbuch" pages. Do this
    // before the window is first shown: the start-up looks for the progress
    // bars and the port drop-down inside them.
    void setSwitchTimeContent(QWidget* content);
    void setLogbookContent(QWidget* content);

    // The start-up work, run once when the window is first shown; later calls
    // do nothing.
    void formActivate();
    bool isActivated() const { return m_activated; }

    // The port in use, 1..8, and its device.
    int portNumber() const { return m_portNumber; }
    QString portDevice() const;

    // Shows or hides "Alternatives Profil ist aktiv" on the three pages.
    void setAlternativeProfileShown(bool shown);

    // Gives the pages the parameter set they show and edit.
    void attachParameters(ParameterSet& params);
    // Every page's editors and lists afresh from the tables (after a read-all,
    // a file load or a profile switch).
    void refreshPageViews();
    // A reply changed a block's table: its list follows.
    void rebuildBlockRows(BlockId id);
    const QList<ControllerPage*>& controllerPages() const { return m_controllerPages; }
    ManualControl& manualControl() { return m_manualControl; }

    QTabWidget* tabs() const { return m_tabs; }
    HeaderArea* header() const { return m_header; }
    StatusPanelBar* statusPanels() const { return m_panels; }
    QWidget* switchTimeHost() const { return m_switchTimeHost; }
    QWidget* logbookHost() const { return m_logbookHost; }
    ShadingTwilightPage* shadingTwilightPage() const { return m_shading; }
    WindRainPage* windRainPage() const { return m_windRain; }
    ConservatoryPage* conservatoryPage() const { return m_conservatory; }
    ManualPage* manualPage() const { return m_manual; }
    ParameterPage* parameterPage() const { return m_parameter; }
    HistoryPage* historyPage() const { return m_history; }

public Q_SLOTS:
    // The user picked COM `portNumber` in the port drop-down: reopen the link.
    void choosePort(int portNumber);

Q_SIGNALS:
    // The port in use, 1..8: at start-up and after each choice.
    void portNumberChanged(int portNumber);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeHostPage(const QString& objectName);
    void addPage(ControllerPage* page, const QString& caption);
    ControllerPage* controllerPageAt(int index) const;
    void installContent(QWidget* host, QWidget* content);
    void connectSession();
    void onPollState(bool connected, const ModelInfo& model);
    void onLiveValues(const LiveDisplay& display);
    void onCurrentPageChanged(int index);
    bool writeProgramSettings();

    ControllerSession& m_session;
    QString m_settingsPath;
    ProgramSettings m_settings;
    int m_portNumber = 1;
    bool m_activated = false;
    MessagePresenter m_presenter;

    HeaderArea* m_header;
    QTabWidget* m_tabs;
    StatusPanelBar* m_panels;
    QWidget* m_switchTimeHost;
    QWidget* m_logbookHost;
    ShadingTwilightPage* m_shading;
    WindRainPage* m_windRain;
    ConservatoryPage* m_conservatory;
    ManualPage* m_manual;
    ParameterPage* m_parameter;
    HistoryPage* m_history;
    QList<ControllerPage*> m_controllerPages;
    int m_lastIndex = 0;
    ManualControl m_manualControl;
};

} // namespace korvane
