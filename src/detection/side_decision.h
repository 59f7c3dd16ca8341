#pragma once
// Which palm rest was struck, how sure that is, and which drum sounds.

#include <optional>
#include <string_view>

#include "core/drum.h"
#include "detection/detector_config.h"
#include "detection/side_model.h"
#include "detection/side_signature.h"

namespace knockbox {

// Names of the side models as the player prints them.
inline constexpr std::string_view heuristicModelName = "heurystyka";
inline constexpr std::string_view firmModelName = "główny";
inline constexpr std::string_view lightModelName = "lekki";

struct SideDecision {
    Side side = Side::right;
    Drum drum = Drum::hihat;
    double attackX = 0;  // g
    double sideConfidence = 0.5;
    bool sideReliable = false;
    std::string_view model = heuristicModelName;
};

// The light model judges taps below its own maximum peak (never the accent),
// the firm model every other tap; without either the sign of the first X lobe
// decides. A consulted model is never overruled: when it has no opinion the
// tap is unreliable. `invertSides` swaps the final side once; the drum follows.
SideDecision decideSide(const SideSignature& signature, const std::optional<SideFeatures>& impulse,
                        double peak, const DetectorConfig& config,
                        const std::optional<FirmSideModel>& firmModel,
                        const std::optional<LightSideModel>& lightModel);

}  // namespace knockbox
