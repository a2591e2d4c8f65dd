#pragma once

#include <QTextStream>
#include <functional>

namespace korvane {
class ControllerSession;
}

namespace korvane::cli {

// Polls until the controller has told its model, version, date, time and live
// values, then prints them. Returns the process exit code.
int runStatusCommand(ControllerSession& session, double timeoutSeconds, bool json, QTextStream& out,
                     QTextStream& err);

// Waits for a connected poll so that the model is known. On time-out, or
// when a stop signal came, says so on `err` and returns false.
bool waitForController(ControllerSession& session, double timeoutSeconds, QTextStream& err);

// Runs the event loop until `done` holds or the time is up; returns done().
bool runUntil(double timeoutSeconds, const std::function<bool()>& done);

// "5", "0,5": seconds as the messages show them.
QString secondsText(double seconds);

} // namespace korvane::cli
