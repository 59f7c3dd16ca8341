#include "detection/side_decision.h"

#include <algorithm>
#include <cmath>

#include "detection/hit.h"

namespace knockbox {

SideDecision decideSide(const SideSignature& signature, const std::optional<SideFeatures>& impulse,
                        double peak, const DetectorConfig& config,
                        const std::optional<FirmSideModel>& firmModel,
                        const std::optional<LightSideModel>& lightModel) {
    SideDecision decision;
    const double score = signature.lobeMean + config.sideBias;

    std::optional<SidePrediction> prediction;
    bool learned = true;
    if (lightModel && peak < lightModel->maximumPeak()) {
        prediction = lightModel->predict(signature.features, impulse);
        decision.model = lightModelName;
    } else if (firmModel) {
        prediction = firmModel->predict(signature.features);
        decision.model = firmModelName;
    } else {
        learned = false;
        decision.model = heuristicModelName;
    }

    const Side measured = prediction ? prediction->side : (score >= 0 ? Side::right : Side::left);
    decision.side = config.invertSides ? opposite(measured) : measured;

    if (learned) {
        decision.sideConfidence = prediction ? prediction->confidence : 0.5;
        decision.sideReliable = prediction && prediction->isConfident();
    } else {
        decision.sideConfidence =
            std::min(1.0, std::abs(signature.lobeMean) / std::max(peak, 0.01) * 0.5 + 0.5);
        decision.sideReliable = true;
    }

    if (std::abs(signature.lobeMean) > 0.001)
        decision.attackX = config.invertSides ? -score : score;
    else
        decision.attackX = signature.meanX;
    decision.drum = drumFor(decision.side, peak, config.accent);
    return decision;
}

}  // namespace knockbox
