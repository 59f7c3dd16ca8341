#include "audio/take_render.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "audio/drum_audio.h"
#include "audio/offline_output_device.h"
#include "audio/sample_library.h"

namespace knockbox {
namespace {

constexpr std::uint64_t chunkFrames = 4096;  // rendered and written at once

std::uint64_t frameOf(double seconds) {
    return seconds > 0 ? static_cast<std::uint64_t>(std::llround(seconds * sampleRate)) : 0;
}

}  // namespace

void renderTake(const TakeSink& out, std::span<const SoundedDrum> drums, float masterVolume,
                const SoundSelection& sounds, double length) {
    std::vector<SoundedDrum> ordered(drums.begin(), drums.end());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const SoundedDrum& a, const SoundedDrum& b) { return a.time < b.time; });

    const OutputFormat format{sampleRate, 2, VoiceMixer::blockFrames};
    auto device = std::make_unique<OfflineOutputDevice>(format);
    OfflineOutputDevice& offline = *device;
    double now = 0;  // the take's time, for the engine's voice bookkeeping
    DrumAudio engine(masterVolume, sounds, {std::move(device), [&now] { return now; }, nullptr});

    std::vector<float> chunk(chunkFrames * static_cast<std::size_t>(format.channels));
    std::uint64_t written = 0;
    const auto renderTo = [&](std::uint64_t end) {
        while (written < end) {
            const auto frames = static_cast<std::size_t>(std::min(chunkFrames, end - written));
            offline.renderInto(chunk.data(), frames);
            out(chunk.data(), frames);
            written += frames;
        }
    };
    // Rendering exactly up to a drum's frame makes the mixer take its start
    // at the beginning of the next block: at that frame.
    for (const SoundedDrum& drum : ordered) {
        renderTo(frameOf(drum.time));
        now = drum.time;
        engine.play(drum.drum, drum.velocity, drum.pan);
    }
    renderTo(frameOf(length));
    // Then block by block until every voice has ended (the first block takes
    // a start still queued), and one block more for what the limiter's
    // look-ahead still holds.
    do {
        renderTo(written + VoiceMixer::blockFrames);
    } while (engine.mixer().activeVoices() > 0);
    renderTo(written + VoiceMixer::blockFrames);
}

}  // namespace knockbox
