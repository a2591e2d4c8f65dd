#pragma once

namespace korvane {

// The window is laid out for an 8-point interface font of Arial's widths
// (its metric twin where Arial is missing); the fixed-pitch lists ask for
// Courier New, which gets its twin too. Set once, before the window is built.
void installInterfaceFont();

} // namespace korvane
