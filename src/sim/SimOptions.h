#pragma once

#include "SimFaults.h"
#include "SimModel.h"

#include <QString>
#include <optional>

class QCommandLineParser;

namespace korvane {

class Simulator;

// The command line of korvane-sim: which controller to simulate and how.
struct SimOptions {
    static constexpr int kMaxLogEntries = 2000;

    SimModel model;
    SimFaults faults;
    QString dateText;              // empty: the clock's date
    std::optional<int> logEntries; // the log at start; nullopt: the controller's own
    bool alarm = false;
    bool paced = false;
    bool verbose = false;
    QString linkPath;

    // Sets the simulator up as the options say (the link is made by start()).
    void applyTo(Simulator& sim) const;
};

// Declares the options on `parser` (with --help).
void addSimOptions(QCommandLineParser& parser);
// The options of a parsed command line; nullopt with a message in *error
// when one is out of range or they contradict each other.
std::optional<SimOptions> simOptionsFrom(const QCommandLineParser& parser, QString* error);

} // namespace korvane
