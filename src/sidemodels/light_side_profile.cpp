#include "sidemodels/light_side_profile.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "sidemodels/profile_files.h"

namespace knockbox {
namespace pf = profile_files;
using nlohmann::json;

namespace {

bool confident(const std::optional<SidePrediction>& prediction) { return prediction && prediction->isConfident(); }

}  // namespace

LightSideProfile::LightSideProfile(SideProfile sideProfile, double peak)
    : version(1), profile(std::move(sideProfile)), maximumPeak(peak) {}

LightSideProfile::LightSideProfile(std::optional<SideProfile> sideProfile, std::optional<SideProfile> impulse,
                                   double peak)
    : version(2), profile(std::move(sideProfile)), impulseProfile(std::move(impulse)), maximumPeak(peak) {}

double LightSideProfile::validationAccuracy() const {
    return std::max(profile ? profile->validationAccuracy : 0.0,
                    impulseProfile ? impulseProfile->validationAccuracy : 0.0);
}

std::optional<SidePrediction> LightSideProfile::predict(const SideFeatures& features,
                                                        const std::optional<SideFeatures>& impulse) const {
    std::optional<SidePrediction> a, b;
    if (profile) a = profile->predict(features);
    if (impulseProfile && impulse) b = impulseProfile->predict(*impulse);
    return combine(a, b);
}

std::optional<SidePrediction> LightSideProfile::combine(const std::optional<SidePrediction>& a,
                                                        const std::optional<SidePrediction>& b) {
    const bool aConfident = confident(a), bConfident = confident(b);
    if (!aConfident && !bConfident) return a ? a : b;
    if (!bConfident) return a;
    if (!aConfident) return b;
    const SidePrediction& stronger = b->confidence > a->confidence ? *b : *a;  // a on a tie
    if (a->side == b->side) return stronger;
    return SidePrediction{stronger.side, 0.5, false, false};
}

void LightSideProfile::validate(const std::optional<std::string>& currentModel) const {
    if ((version != 1 && version != 2) || !std::isfinite(maximumPeak) || !(maximumPeak > 0))
        throw LightProfileError();
    if (profile) {
        if (version == 1 && impulseProfile) throw LightProfileError();
        profile->validate(currentModel);
        if (impulseProfile) impulseProfile->validate(currentModel);
        return;
    }
    if (version != 2 || !impulseProfile) throw LightProfileError();
    impulseProfile->validate(currentModel);
}

void LightSideProfile::save(const std::filesystem::path& path) const {
    validate(std::nullopt);
    json object{{"version", version}, {"maximumPeak", maximumPeak}};
    if (profile) object["profile"] = sideProfileJson(*profile);
    if (impulseProfile) object["impulseProfile"] = sideProfileJson(*impulseProfile);
    pf::writeProfile(path, object);
}

LightSideProfile LightSideProfile::load(const std::filesystem::path& path, const std::string& hardwareModel) {
    const std::string contents = pf::readProfile(path);
    std::optional<LightSideProfile> light;
    try {
        const json object = pf::parse(contents);
        const std::int64_t version = pf::integer(pf::member(object, "version"));
        const double maximumPeak = pf::number(pf::member(object, "maximumPeak"));
        std::optional<SideProfile> profile, impulseProfile;
        if (const json* value = pf::optionalMember(object, "profile")) profile = sideProfileFromJson(*value);
        if (const json* value = pf::optionalMember(object, "impulseProfile"))
            impulseProfile = sideProfileFromJson(*value);
        light.emplace(std::move(profile), std::move(impulseProfile), maximumPeak);
        // Any other number is refused by the check below.
        light->version = version == 1 || version == 2 ? static_cast<int>(version) : 0;
    } catch (const pf::DecodingFailure&) {
        throw LightProfileError();
    }
    light->validate(hardwareModel);
    return *light;
}

}  // namespace knockbox
