#include "app/views/animation_clock.h"

#include <algorithm>
#include <chrono>

namespace knockbox {

AnimationClock systemAnimationClock() {
    return [] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    };
}

double easeInOut(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

}  // namespace knockbox
