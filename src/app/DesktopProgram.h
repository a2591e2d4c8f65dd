#pragma once

#include "files/ProgramSettings.h"
#include "params/ParameterSet.h"
#include "session/ControllerSession.h"

#include <QObject>
#include <functional>
#include <memory>

namespace korvane {

class LogbookPage;
class LogbookTransfer;
class MainWindow;
class ParameterTransfer;
class SerialLink;
class SwitchTimePage;

// The desktop program put together: one session over the given serial link,
// the parameter set with its transfers, the logbook, the main window with its
// pages, and the wiring between them. main() and the end-to-end tests both
// build one of these.
class DesktopProgram : public QObject {
    Q_OBJECT
public:
    // Returns the chosen file, or an empty string when the user cancelled.
    using FileDialog = std::function<QString()>;

    explicit DesktopProgram(SerialLink& link,
                            const QString& settingsPath = ProgramSettings::kFileName);
    ~DesktopProgram() override;

    MainWindow& window() { return *m_window; }
    ControllerSession& session() { return m_session; }
    ParameterSet& params() { return m_params; }
    ParameterTransfer& transfer() { return *m_transfer; }
    LogbookTransfer& logbook() { return *m_logbook; }
    SwitchTimePage& switchTimePage() { return *m_switchTimes; }
    LogbookPage& logbookPage() { return *m_logbookPage; }

    // The "Speichern auf Datenträger" and "Lesen von Datenträger" dialogs.
    void setFileDialogs(FileDialog save, FileDialog open);

    // The two file actions, also reachable from the buttons.
    void saveToDisk();
    void loadFromDisk();

private:
    void wireSwitchTimePage();
    void wireTransfers();
    void wirePages();
    void onActivityChanged(Activity activity);
    void updateButtons();
    void refreshAfterDataChange();
    void showFailure(bool ok, const QString& message);

    ControllerSession m_session;
    ParameterSet m_params;
    std::unique_ptr<ParameterTransfer> m_transfer;
    std::unique_ptr<LogbookTransfer> m_logbook;
    std::unique_ptr<MainWindow> m_window;
    SwitchTimePage* m_switchTimes = nullptr;
    LogbookPage* m_logbookPage = nullptr;
    FileDialog m_saveDialog;
    FileDialog m_openDialog;
};

} // namespace korvane
