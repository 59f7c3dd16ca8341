#pragma once
// What assistive technology reads of the app's own widgets where Qt's
// defaults fall short: a kit card's chosen state, a slider's value as a
// percentage, and titles as headings.

namespace knockbox {

// Installs the app's accessibility factory; once, before any widget of the
// app is asked for its accessible interface (every such widget calls it).
void installAccessibility();

}  // namespace knockbox
