#pragma once
// The time animations are drawn at: seconds on a monotonic clock. Views take
// it as a function so a test can hold time still or move it.

#include <functional>

namespace knockbox {

using AnimationClock = std::function<double()>;

// Seconds since an arbitrary moment, never going back.
AnimationClock systemAnimationClock();

// Ease-in-out over [0, 1] (a smooth start and stop), for transitions.
double easeInOut(double t);

}  // namespace knockbox
