#pragma once
// The configuration app: the process turned into a windowed application with
// one window, its menu, and a quit that always stops a running player first.

namespace knockbox {

struct Options;

// Runs the app until it quits. Throws AppError when there is no display to
// open a window on.
void runConfigurationApp(const Options& options);

}  // namespace knockbox
