#pragma once

#include <QMessageBox>
#include <QString>

namespace korvane {

// Shows a message with an OK button and returns at once: the box is window
// modal, but the event loop runs on, so polling, the watchdog and the byte
// counters go on while the user reads. Messages often come from inside the
// session's data path (a transfer that failed), where a box waiting in its
// own event loop would hold back every further receive event. The box
// deletes itself when closed.
QMessageBox* openMessageBox(QWidget* parent, const QString& text,
                            QMessageBox::Icon icon = QMessageBox::NoIcon);

} // namespace korvane
