#pragma once

#include "blocks/BlockDescription.h"

// The ways in which the eleven blocks really differ: list-row tails, editor
// rules and extra hiding. Each is hooked into its block's description.
namespace korvane::rules {

// List-row tails (after "EIN").
QString shadingRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord& linked);
QString twilightMorningRow(const BlockDescription& d, const BlockRecord& rec,
                           const BlockRecord& linked);
QString twilightEveningRow(const BlockDescription& d, const BlockRecord& rec,
                           const BlockRecord& linked);
QString windRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord& rain);
QString rainRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord& linked);
QString reversingRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord& linked);
QString keyPressRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord& linked);
QString proportionalRow(const BlockDescription& d, const BlockRecord& rec,
                        const BlockRecord& linked);
QString insideTempRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord& linked);
QString humidityRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord& linked);
QString outsideTempRow(const BlockDescription& d, const BlockRecord& rec,
                       const BlockRecord& linked);

// Editor rules.
// Shading window (hours 05..22): start strictly before end.
void shadingWindowRule(BlockRecord& rec, int field);
// Proportional control: start not after end.
void proportionalRule(BlockRecord& rec, int field);
// Inside temperature: window, plus threshold 2 on the far side of threshold 1.
void insideTempRule(BlockRecord& rec, int field);
// Humidity: as inside temperature, on the percent lists.
void humidityRule(BlockRecord& rec, int field);
// Outside temperature: threshold 2 above threshold 1.
void outsideTempRule(BlockRecord& rec, int field);

// Outside temperature: a switched-on motor whose reaction is "deaktiv".
bool outsideDeactivatedView(const BlockRecord& rec);
// ... which hides the threshold-2 and run-time editors.
bool outsideTempHidden(const BlockRecord& rec, int field);

// Humidity: threshold 2 moves the motor down unless the comparison is "F<"
// or the run time is continuous ("Dauer").
bool humidityThreshold2Moves(const BlockRecord& rec);

} // namespace korvane::rules
