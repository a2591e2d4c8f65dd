#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace korvane {

class ColumnCaption;

class LogbookTransfer;

// The contents of the "Logbuch" tab (`Alarm_Logbuch_Maske`): the list `LB`
// with its captions `Label34`, the buttons to read the next 100 entries, to
// read from the start, to clear the log and to export it, and the export
// progress bar. A view over a LogbookTransfer, which does the work.
class LogbookPage : public QWidget {
    Q_OBJECT
public:
    // Returns the chosen export path, or an empty string when cancelled.
    using SaveDialog = std::function<QString(QWidget* parent)>;
    // Shows a message to the user (a message box by default).
    using MessageSink = std::function<void(const QString& text)>;

    explicit LogbookPage(LogbookTransfer& transfer, QWidget* parent = nullptr);

    // The poll cycle allows the buttons while the controller answers; a
    // running transfer disables them on its own as well.
    void setButtonsEnabled(bool enabled);

    void setSaveDialog(SaveDialog dialog) { m_saveDialog = std::move(dialog); }
    void setMessageSink(MessageSink sink) { m_messageSink = std::move(sink); }

    // The default "Save to Disk" dialog (`SaveDialog_Logbuch`).
    static QString runSaveDialog(QWidget* parent);

Q_SIGNALS:
    // A read or export runs: the main window disables its page control.
    void busyChanged(bool busy);

private:
    void readClicked(bool fromStart);
    void clearClicked();
    void saveClicked();
    void updateButtons();
    void reloadRows();
    void showMessage(const QString& text);

    LogbookTransfer& m_transfer;
    ColumnCaption* m_captions;
    QListWidget* m_list;
    QPushButton* m_read;
    QPushButton* m_fromStart;
    QPushButton* m_clear;
    QPushButton* m_save;
    QProgressBar* m_progress;
    SaveDialog m_saveDialog;
    MessageSink m_messageSink;
    bool m_allowed = true;
};

} // namespace korvane
