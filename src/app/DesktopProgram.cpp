#include "DesktopProgram.h"

#include "ControllerPage.h"
#include "LogbookPage.h"
#include "MainWindow.h"
#include "ManualPage.h"
#include "ParameterPage.h"
#include "SettingsFileDialogs.h"
#include "SwitchTimePage.h"

#include "files/SettingsFile.h"
#include "logbook/LogbookTransfer.h"
#include "session/ParameterTransfer.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

namespace korvane {
namespace {

const QString kLineErrorText = QStringLiteral("Fehler RS232");

} // namespace

DesktopProgram::DesktopProgram(SerialLink& link, const QString& settingsPath)
    : m_session(&link), m_transfer(std::make_unique<ParameterTransfer>(m_session, m_params)),
      m_logbook(std::make_unique<LogbookTransfer>(
          m_session, [this](int motor) { return m_params.motorNames.name(motor - 1); })),
      m_window(std::make_unique<MainWindow>(m_session, settingsPath)) {
    m_switchTimes = new SwitchTimePage(m_params.switchTimes, m_params.motorNames);
    m_window->setSwitchTimeContent(m_switchTimes);
    m_switchTimes->setRandomSpanSource(
        [this] { return m_params.param(SystemParam::RandomSpan) + 2; });
    m_logbookPage = new LogbookPage(*m_logbook);
    m_logbookPage->setMessageSink([this](const QString& text) { m_window->showMessage(text); });
    m_window->setLogbookContent(m_logbookPage);

    m_saveDialog = [this] { return runSettingsSaveDialog(m_window.get()); };
    m_openDialog = [this] { return runSettingsOpenDialog(m_window.get()); };

    m_window->attachParameters(m_params);
    wireSwitchTimePage();
    wireTransfers();
    wirePages();
    connect(&m_session, &ControllerSession::activityChanged, this,
            &DesktopProgram::onActivityChanged);
    connect(m_logbookPage, &LogbookPage::busyChanged, this,
            [this](bool busy) { m_window->tabs()->setEnabled(!busy); });
    connect(&m_session, &ControllerSession::pollState, this, &DesktopProgram::updateButtons);
    connect(&m_session, &ControllerSession::lineErrorOccurred, this,
            [this] { m_switchTimes->lineErrorLabel()->setText(kLineErrorText); });
    connect(m_window.get(), &MainWindow::portNumberChanged, this, [this](int port) {
        const QSignalBlocker blocker(m_switchTimes->portCombo());
        m_switchTimes->portCombo()->setCurrentIndex(port - 1);
    });
    updateButtons();
    refreshAfterDataChange();
}

DesktopProgram::~DesktopProgram() {
    // The window's pages refer to the tables and transfers: it goes first.
    m_window.reset();
}

void DesktopProgram::setFileDialogs(FileDialog save, FileDialog open) {
    m_saveDialog = std::move(save);
    m_openDialog = std::move(open);
}

void DesktopProgram::wireSwitchTimePage() {
    SwitchTimePage* page = m_switchTimes;
    connect(page, &SwitchTimePage::readRequested, this, [this] { m_transfer->startReadAll(); });
    connect(page, &SwitchTimePage::sendRequested, this, [this] { m_transfer->startSendAll(); });
    connect(page, &SwitchTimePage::saveToDiskRequested, this, &DesktopProgram::saveToDisk);
    connect(page, &SwitchTimePage::readFromDiskRequested, this, &DesktopProgram::loadFromDisk);
    connect(page, &SwitchTimePage::portPicked, this,
            [this](int index) { m_window->choosePort(index + 1); });
    connect(page, &SwitchTimePage::motorNamesEdited, this,
            [this] { m_window->manualPage()->setMotorNames(m_params.motorNames.toList()); });
}

void DesktopProgram::wirePages() {
    for (ControllerPage* page : m_window->controllerPages())
        connect(page, &ControllerPage::currentMotorChosen, m_switchTimes,
                &SwitchTimePage::setCurrentMotor);
    ParameterPage* parameters = m_window->parameterPage();
    connect(parameters, &ParameterPage::activeProfileChosen, this,
            &DesktopProgram::refreshAfterDataChange);
    connect(parameters, &ParameterPage::profileCopied, this,
            &DesktopProgram::refreshAfterDataChange);
    ParameterTransfer* t = m_transfer.get();
    connect(t, &ParameterTransfer::blockChanged, m_window.get(), &MainWindow::rebuildBlockRows);
    connect(t, &ParameterTransfer::alarmSetupChanged, parameters, &ParameterPage::refreshView);
    connect(t, &ParameterTransfer::systemParamsChanged, this, [this, parameters] {
        // An "ssp" reply switches the profile that the pages show.
        parameters->refreshView();
        m_window->setAlternativeProfileShown(m_params.activeProfile == 1);
    });
}

void DesktopProgram::wireTransfers() {
    ParameterTransfer* t = m_transfer.get();
    SwitchTimePage* page = m_switchTimes;
    connect(t, &ParameterTransfer::progress, this, [page](int value, int maximum, bool visible) {
        QProgressBar* bar = page->progressBar();
        bar->setMaximum(qMax(1, maximum));
        bar->setValue(value);
        bar->setVisible(visible);
    });
    connect(t, &ParameterTransfer::readAllStarted, page, &SwitchTimePage::resetForReadAll);
    connect(t, &ParameterTransfer::readingRow, page, &SwitchTimePage::setProgressRow);
    connect(t, &ParameterTransfer::namesReading, page, &SwitchTimePage::mirrorProgressRow);
    connect(t, &ParameterTransfer::motorNameChanged, page, &SwitchTimePage::refreshMotorNames);
    connect(t, &ParameterTransfer::readAllFinished, this, [this](bool ok, const QString& message) {
        // A failed read put the old data back; show it again either way.
        m_switchTimes->selectAfterReadAll();
        refreshAfterDataChange();
        showFailure(ok, message);
    });
    connect(t, &ParameterTransfer::sendAllFinished, this, &DesktopProgram::showFailure);
}

void DesktopProgram::onActivityChanged(Activity activity) {
    // The page control rests while anything runs.
    m_window->tabs()->setEnabled(activity == Activity::Idle);
    updateButtons();
}

// The one place that decides which transfer buttons can be used: those that
// need the controller only while it answers, none while another transfer runs.
void DesktopProgram::updateButtons() {
    const Activity activity = m_session.activity();
    const bool idle = activity == Activity::Idle;
    const bool connected = m_session.isConnected();
    m_switchTimes->sendButton()->setEnabled(idle && connected);
    m_switchTimes->readButton()->setEnabled(idle && connected);
    m_switchTimes->portCombo()->setEnabled(idle);
    // A logbook transfer switches its page's buttons off itself.
    m_logbookPage->setButtonsEnabled(connected && (idle || activity == Activity::Logbook));
}

void DesktopProgram::refreshAfterDataChange() {
    m_window->refreshPageViews();
    m_window->setAlternativeProfileShown(m_params.activeProfile == 1);
}

void DesktopProgram::showFailure(bool ok, const QString& message) {
    if (!ok && !message.isEmpty())
        m_window->showMessage(message);
}

void DesktopProgram::saveToDisk() {
    const QString path = m_saveDialog ? m_saveDialog() : QString();
    if (path.isEmpty())
        return;
    const SaveResult result = saveSettingsFile(path, m_params);
    if (!result.ok)
        m_window->showMessage(result.errorText);
}

void DesktopProgram::loadFromDisk() {
    const QString path = m_openDialog ? m_openDialog() : QString();
    if (path.isEmpty())
        return;
    const LoadResult result = loadSettingsFile(path, m_params);
    if (!result.ok()) {
        m_window->showMessage(result.message());
        return;
    }
    m_switchTimes->selectAfterFileLoad();
    refreshAfterDataChange();
    // Told once the pages show the loaded set, from the event loop rather
    // than from inside the load.
    if (!result.warnings.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, text = result.warnings.join(u'\n')] { m_window->showMessage(text); },
            Qt::QueuedConnection);
}

} // namespace korvane
