#include "audio/sample_library.h"

namespace knockbox {
namespace {

int wrapped(int variation, int count) { return ((variation % count) + count) % count; }

}  // namespace

std::vector<float> sampleBuffer(Drum drum, DrumKit kit, float velocity, int variation) {
    const bool soft = velocity < softLayerBelow;
    if (sampled(kit)) {
        return loadSample(drum, kit, soft ? 0 : layerCount(kit) - 1, wrapped(variation, variationCount(kit)));
    }
    return synthesize(drum, kit, soft, wrapped(variation, variationCount(kit)));
}

}  // namespace knockbox
