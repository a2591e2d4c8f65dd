#include "MainWindow.h"

#include "ConservatoryPage.h"
#include "HeaderArea.h"
#include "HistoryPage.h"
#include "ManualPage.h"
#include "OpenMessageBox.h"
#include "ParameterPage.h"
#include "ShadingTwilightPage.h"
#include "StatusPanelBar.h"
#include "WindRainPage.h"
#include "session/ControllerSession.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvane {
namespace {

const QByteArray kResetMaxWind = QByteArrayLiteral("swl");

} // namespace

MainWindow::MainWindow(ControllerSession& session, const QString& settingsPath, QWidget* parent)
    : QMainWindow(parent), m_session(session), m_settingsPath(settingsPath),
      m_header(new HeaderArea), m_tabs(new QTabWidget),
      m_panels(new StatusPanelBar(session.panels())),
      m_switchTimeHost(makeHostPage(QStringLiteral("Schaltzeit_Maske"))),
      m_logbookHost(makeHostPage(QStringLiteral("Alarm_Logbuch_Maske"))),
      m_shading(new ShadingTwilightPage), m_windRain(new WindRainPage),
      m_conservatory(new ConservatoryPage), m_manual(new ManualPage),
      m_parameter(new ParameterPage), m_history(new HistoryPage(session)),
      m_manualControl(session) {
    setObjectName(QStringLiteral("TVendrix"));
    setWindowTitle(kCaption);
    resize(kDesignWidth, kDesignHeight);

    m_presenter = [this](const QString& text) { openMessageBox(this, text); };

    m_tabs->setObjectName(QStringLiteral("Parameter_Maske"));
    m_tabs->setTabPosition(QTabWidget::South);
    // Eight captions share the design width. Two pixels either side of each
    // keep them all in sight at 808 pixels (with 17 to spare for other font
    // rendering), with no scroll arrows that would hide a page behind them;
    // the captions stay whole and the font as is. The style sheet is the tab
    // bar's alone: on the tab widget it would restyle every widget of every
    // page, which paints slower and loses the opaque background of the live
    // fields (a new value would repaint the page).
    m_tabs->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 2px; }"));
    m_tabs->addTab(m_switchTimeHost, QStringLiteral("Schaltzeiten"));
    addPage(m_shading, QStringLiteral("Beschattungs-/D\u00E4mmer.-Autom."));
    addPage(m_windRain, QStringLiteral("Wind-, Regen-, Feuchte"));
    addPage(m_conservatory, QStringLiteral("Wintergarten-Strg."));
    m_tabs->addTab(m_logbookHost, QStringLiteral("Logbuch"));
    addPage(m_manual, QStringLiteral("Handsteuerung, Tast-Aut., Reversier-Aut."));
    addPage(m_parameter, QStringLiteral(" Parameter"));
    addPage(m_history, QStringLiteral("Verlauf"));
    m_lastIndex = m_tabs->currentIndex();

    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("CentralArea"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_header);
    layout->addWidget(m_tabs, 1);
    setCentralWidget(central);

    auto* bar = new QStatusBar;
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->addWidget(m_panels, 1);
    setStatusBar(bar);

    connect(m_tabs, &QTabWidget::currentChanged, this, &MainWindow::onCurrentPageChanged);
    connect(m_shading, &ShadingTwilightPage::luxFieldClicked, &m_session,
            &ControllerSession::toggleLuxMean);
    connect(m_windRain, &WindRainPage::maxWindClicked, this,
            [this] { m_session.send(kResetMaxWind, static_cast<int>(kResetMaxWind.size())); });
    connect(m_parameter, &ParameterPage::dcfButtonClicked, &m_session,
            &ControllerSession::startDcfIndicator);
    connect(m_manual, &ManualPage::manualModeEntered, &m_manualControl, &ManualControl::enter);
    connect(m_manual, &ManualPage::manualModeLeft, &m_manualControl, &ManualControl::leave);
    connect(m_manual, &ManualPage::motorCommand, this, [this](int motor, int action) {
        m_manualControl.move(motor, static_cast<ManualControl::Action>(action));
    });
    connectSession();
}

MainWindow::~MainWindow() = default;

// Crowded pages scroll rather than squeeze their lists.
void MainWindow::addPage(ControllerPage* page, const QString& caption) {
    auto* scroll = new QScrollArea;
    scroll->setObjectName(page->objectName() + QStringLiteral("_Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    m_tabs->addTab(scroll, caption);
    m_controllerPages.append(page);
}

ControllerPage* MainWindow::controllerPageAt(int index) const {
    auto* scroll = qobject_cast<QScrollArea*>(m_tabs->widget(index));
    return scroll ? qobject_cast<ControllerPage*>(scroll->widget()) : nullptr;
}

void MainWindow::attachParameters(ParameterSet& params) {
    for (ControllerPage* page : m_controllerPages)
        page->attachParameters(params);
}

void MainWindow::refreshPageViews() {
    for (ControllerPage* page : m_controllerPages)
        page->refreshView();
}

void MainWindow::rebuildBlockRows(BlockId id) {
    for (ControllerPage* page : m_controllerPages)
        page->rebuildBlockRows(id);
}

QWidget* MainWindow::makeHostPage(const QString& objectName) {
    auto* page = new QWidget;
    page->setObjectName(objectName);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    return page;
}

void MainWindow::installContent(QWidget* host, QWidget* content) {
    auto* layout = static_cast<QVBoxLayout*>(host->layout());
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (content)
        layout->addWidget(content);
}

void MainWindow::setSwitchTimeContent(QWidget* content) {
    installContent(m_switchTimeHost, content);
}

void MainWindow::setLogbookContent(QWidget* content) {
    installContent(m_logbookHost, content);
}

void MainWindow::connectSession() {
    connect(&m_session, &ControllerSession::pollState, this, &MainWindow::onPollState);
    connect(&m_session, &ControllerSession::heartbeat, m_header, &HeaderArea::showHeartbeat);
    connect(&m_session, &ControllerSession::liveValues, this, &MainWindow::onLiveValues);
    connect(&m_session, &ControllerSession::luxModeChanged, m_shading,
            &ShadingTwilightPage::setLuxMeanShown);
    connect(&m_session, &ControllerSession::dcfIndicatorChanged, m_parameter,
            &ParameterPage::setDcfIndicatorShown);
    connect(&m_session, &ControllerSession::dcfLed, m_parameter, &ParameterPage::setDcfLed);
    connect(&m_session, &ControllerSession::userMessage, this, &MainWindow::showMessage);
    connect(&m_session, &ControllerSession::portOpenFailed, this,
            [this](const SerialError& error) { showMessage(serialOpenErrorReport(error)); });
    m_session.setProgramSettingsWriter([this] { return writeProgramSettings(); });
}

void MainWindow::setMessagePresenter(MessagePresenter presenter) {
    m_presenter = std::move(presenter);
}

void MainWindow::showMessage(const QString& text) {
    if (m_presenter)
        m_presenter(text);
}

// --- start-up -------------------------------------------------------------------

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Run the start-up once the window is on screen, so that a message about
    // the settings file or the port appears over a painted window.
    if (!m_activated)
        QMetaObject::invokeMethod(this, &MainWindow::formActivate, Qt::QueuedConnection);
}

void MainWindow::formActivate() {
    if (m_activated)
        return;
    m_activated = true;

    m_parameter->setDcfIndicatorShown(false);
    setAlternativeProfileShown(false);

    QString warning;
    m_settings = ProgramSettings::load(m_settingsPath, &warning);
    m_portNumber = m_settings.port();
    Q_EMIT portNumberChanged(m_portNumber);
    if (!warning.isEmpty())
        showMessage(warning);
    m_session.openDevice(portDevice());
}

bool MainWindow::writeProgramSettings() {
    m_settings.setPort(m_portNumber);
    return m_settings.save(m_settingsPath);
}

QString MainWindow::portDevice() const {
    return m_settings.deviceFor(m_portNumber);
}

void MainWindow::choosePort(int portNumber) {
    if (portNumber < 1 || portNumber > ProgramSettings::kPortCount)
        return;
    m_portNumber = portNumber;
    Q_EMIT portNumberChanged(m_portNumber);
    m_session.changePort(portDevice());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_session.closePort();
    QMainWindow::closeEvent(event);
}

// --- poll cycle -----------------------------------------------------------------

void MainWindow::onPollState(bool connected, const ModelInfo& model) {
    m_header->setNoConnectionShown(!connected);
    if (!connected)
        return;
    const bool outdoor = model.hasOutdoorAutomatics();
    // Every poll reports the model: only a change may touch the tabs, since
    // the tab widget lays itself out and repaints whole on any visibility call.
    const auto showTab = [this](int index, bool shown) {
        if (m_tabs->isTabVisible(index) != shown)
            m_tabs->setTabVisible(index, shown);
    };
    showTab(ShadingTwilight, outdoor);
    showTab(WindRain, outdoor);
    showTab(Conservatory, model.conservatory);
    for (ControllerPage* page : m_controllerPages)
        page->applyModel(model);
    m_header->setConservatoryUrl(model.conservatory);
}

void MainWindow::onLiveValues(const LiveDisplay& display) {
    for (ControllerPage* page : m_controllerPages)
        page->showLiveValues(display);
}

void MainWindow::onCurrentPageChanged(int index) {
    if (index == m_lastIndex)
        return;
    ControllerPage* left = controllerPageAt(m_lastIndex);
    m_lastIndex = index;
    if (left) {
        left->leavePage();
        // Leaving the parameter page ends the radio-clock indicator mode.
        if (left == m_parameter)
            m_session.stopDcfIndicator();
    }
    if (ControllerPage* entered = controllerPageAt(index))
        entered->enterPage();
}

void MainWindow::setAlternativeProfileShown(bool shown) {
    for (ControllerPage* page : m_controllerPages)
        page->setAlternativeProfileShown(shown);
}

} // namespace korvane
