// The side profile file: one JSON object, pretty-printed, member names in
// ascending order, "covarianceModel" only in version 2. Numbers are written
// in the shortest form that reads back as the same 64-bit value.
#include <limits>

#include "sidemodels/calibration_error.h"
#include "sidemodels/profile_files.h"
#include "sidemodels/side_profile.h"

namespace knockbox {
namespace pf = profile_files;
using nlohmann::json;

namespace {

template <std::size_t N>
std::array<double, N> numbers(const json& value) {
    const json& list = pf::array(value, N);
    std::array<double, N> result{};
    for (std::size_t i = 0; i < N; ++i) result[i] = pf::number(list[i]);
    return result;
}

CovarianceModel covarianceModelFromJson(const json& value) {
    CovarianceModel model;
    const json& rows = pf::array(pf::member(value, "covariance"), 8);
    for (std::size_t i = 0; i < 8; ++i) model.covariance[i] = numbers<8>(rows[i]);
    model.supportRadii = numbers<2>(pf::member(value, "supportRadii"));
    return model;
}

int versionNumber(const json& value) {
    const std::int64_t version = pf::integer(value);
    if (version < std::numeric_limits<int>::min() || version > std::numeric_limits<int>::max())
        throw pf::DecodingFailure("version out of range");
    return static_cast<int>(version);
}

}  // namespace

json sideProfileJson(const SideProfile& profile) {
    json object{{"version", profile.version},
                {"left", profile.left},
                {"right", profile.right},
                {"scales", profile.scales},
                {"counts", profile.counts},
                {"validationAccuracy", profile.validationAccuracy},
                {"hardwareModel", profile.hardwareModel}};
    if (profile.covarianceModel)
        object["covarianceModel"] = json{{"covariance", profile.covarianceModel->covariance},
                                         {"supportRadii", profile.covarianceModel->supportRadii}};
    return object;
}

SideProfile sideProfileFromJson(const json& value) {
    try {
        SideProfile profile;
        profile.version = versionNumber(pf::member(value, "version"));
        profile.left = numbers<8>(pf::member(value, "left"));
        profile.right = numbers<8>(pf::member(value, "right"));
        profile.scales = numbers<8>(pf::member(value, "scales"));
        const json& counts = pf::array(pf::member(value, "counts"), 2);
        profile.counts = {pf::integer(counts[0]), pf::integer(counts[1])};
        profile.validationAccuracy = pf::number(pf::member(value, "validationAccuracy"));
        profile.hardwareModel = pf::text(pf::member(value, "hardwareModel"));
        if (const json* model = pf::optionalMember(value, "covarianceModel"))
            profile.covarianceModel = covarianceModelFromJson(*model);
        return profile;
    } catch (const pf::DecodingFailure&) {
        throw CalibrationError(CalibrationError::Kind::invalidProfile);
    }
}

void SideProfile::save(const std::filesystem::path& path) const {
    if (!isValid()) throw CalibrationError(CalibrationError::Kind::invalidProfile);
    pf::writeProfile(path, sideProfileJson(*this));
}

SideProfile SideProfile::load(const std::filesystem::path& path, const std::string& hardwareModel) {
    const std::string contents = pf::readProfile(path);
    SideProfile profile;
    try {
        profile = sideProfileFromJson(pf::parse(contents));
    } catch (const pf::DecodingFailure&) {
        throw CalibrationError(CalibrationError::Kind::invalidProfile);
    }
    profile.validate(hardwareModel);
    return profile;
}

}  // namespace knockbox
