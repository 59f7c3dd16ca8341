#include "support/scenes.h"

namespace knockbox::test {

simulation::Scene fourDrums(std::uint64_t seed, double duration) {
    using simulation::Strength;
    simulation::Scene scene;
    scene.seed = seed;
    scene.duration = duration;
    scene.taps = {{2.2, Side::left, Strength::gentle, 0.09},
                  {2.5, Side::right, Strength::gentle, 0.10},
                  {2.8, Side::left, Strength::firm, 0.30},
                  {3.1, Side::right, Strength::firm, 0.35}};
    return scene;
}

}  // namespace knockbox::test
