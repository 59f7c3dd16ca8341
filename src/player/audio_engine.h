#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "audio/drum_audio.h"
#include "player/options.h"

namespace knockbox {

// The run's audio engine at the options' volume and kits. When a drum was
// given the recorded kit and recordings of it did not load, one line says so,
// naming the folder that was searched (the engine plays studio sounds for
// them). Throws what the engine throws.
std::unique_ptr<DrumAudio> startAudio(const Options& options, const std::function<void(std::string_view)>& log);

}  // namespace knockbox
