#include "audio/sample_bank.h"

#include <algorithm>
#include <exception>
#include <new>

namespace knockbox {
namespace {

constexpr std::size_t bufferRoom = 96;  // 48 synthesized + 48 recorded

}  // namespace

SampleBank::SampleBank(const RecordingLoader& loadRecording) {
    buffers_.reserve(bufferRoom);
    for (DrumKit kit : allKits) {
        for (Drum drum : allDrums) {
            for (int layer = 0; layer < layerCount(kit); ++layer) {
                for (int variation = 0; variation < variationCount(kit); ++variation) {
                    const SampleKey key{kit, drum, layer, variation};
                    if (!sampled(kit)) {
                        try {
                            buffers_.emplace(key, synthesize(drum, kit, layer == 0, variation));
                        } catch (const std::bad_alloc&) {
                            throw SampleError::allocationFailed();
                        }
                        continue;
                    }
                    // A missing or malformed recording never stops the engine.
                    try {
                        std::vector<float> samples = loadRecording(drum, kit, layer, variation);
                        if (!samples.empty()) buffers_.emplace(key, std::move(samples));
                    } catch (const std::exception&) {
                    }
                    if (!buffers_.contains(key)) ++missing_;
                }
            }
        }
    }
}

const std::vector<float>* SampleBank::find(const SampleKey& key) const {
    if (auto it = buffers_.find(key); it != buffers_.end()) return &it->second;
    const SampleKey studio{DrumKit::studio, key.drum, std::min(key.layer, 1), key.variation % 2};
    if (auto it = buffers_.find(studio); it != buffers_.end()) return &it->second;
    return nullptr;
}

}  // namespace knockbox
