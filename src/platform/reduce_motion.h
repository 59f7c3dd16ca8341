#pragma once
// Whether the user asked for less motion on screen: the app then draws its
// animations as still pictures.

namespace knockbox {

// macOS: the accessibility setting "Reduce motion". Linux has no portable
// one, so there it is ours: the environment variable KNOCKBOX_REDUCE_MOTION
// set to "1" (or "true", "yes", "on").
bool reduceMotionRequested();

}  // namespace knockbox
