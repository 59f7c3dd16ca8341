#include "app/views/speckle.h"

namespace knockbox {

std::vector<SpeckleDot> speckleDots(std::uint32_t seed, const QRectF& shell) {
    const QRectF area = shell.adjusted(4, 4, -4, -4);
    Xorshift32 random(seed);
    std::vector<SpeckleDot> dots;
    dots.reserve(speckleCount);
    for (int i = 0; i < speckleCount; ++i) {
        const double diameter = 0.6 + 1.1 * random.next();
        const double opacity = 0.1 + 0.35 * random.next();
        const double x = area.left() + random.next() * area.width();
        const double y = area.top() + random.next() * area.height();
        dots.push_back({{x, y}, diameter, opacity});
    }
    return dots;
}

}  // namespace knockbox
