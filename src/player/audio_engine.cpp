#include "player/audio_engine.h"

#include <algorithm>

#include "audio/sample_library.h"
#include "protocol/player_lines.h"

namespace knockbox {

std::unique_ptr<DrumAudio> startAudio(const Options& options, const std::function<void(std::string_view)>& log) {
    auto audio = std::make_unique<DrumAudio>(static_cast<float>(options.volume), options.sounds);
    const bool recordedKitChosen =
        std::any_of(allDrums.begin(), allDrums.end(), [&](Drum drum) { return sampled(options.sounds.kit(drum)); });
    if (recordedKitChosen && audio->missingRecordings() > 0) {
        const std::size_t total = allDrums.size() * static_cast<std::size_t>(layerCount(DrumKit::live) *
                                                                             variationCount(DrumKit::live));
        log(lines::liveKitMissing(liveKitURL().string(), audio->missingRecordings(), total));
    }
    return audio;
}

}  // namespace knockbox
