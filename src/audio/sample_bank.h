#pragma once
// Every buffer the engine can play, made once when it is created: the three
// synthesized kits whole, and each live recording that loads.

#include <cstddef>
#include <functional>
#include <unordered_map>
#include <vector>

#include "audio/sample_library.h"

namespace knockbox {

class SampleBank {
public:
    // Reads one recording of the live kit (drum, kit, layer, variation).
    using RecordingLoader = std::function<std::vector<float>(Drum, DrumKit, int, int)>;

    // Throws SampleError (allocationFailed) when a synthesized buffer cannot
    // be made. A recording that fails to load is left out: `find` falls back.
    explicit SampleBank(const RecordingLoader& loadRecording);

    std::size_t size() const { return buffers_.size(); }
    // Recordings that did not load (their drums fall back to studio sounds).
    std::size_t missingRecordings() const { return missing_; }
    // The key's buffer; for a recording that did not load, the studio sample
    // of the same drum (soft or hard) at the same variation parity; null
    // when there is neither.
    const std::vector<float>* find(const SampleKey& key) const;
    // Whether the key's own buffer exists (no fallback).
    bool contains(const SampleKey& key) const { return buffers_.contains(key); }

private:
    std::unordered_map<SampleKey, std::vector<float>, SampleKeyHash> buffers_;
    std::size_t missing_ = 0;
};

}  // namespace knockbox
