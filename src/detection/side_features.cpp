#include "detection/side_features.h"

#include <nlohmann/json.hpp>

namespace knockbox {

void to_json(nlohmann::json& json, const SideFeatures& features) {
    json = nlohmann::json{{"values", features.values}, {"gyroAvailable", features.gyroAvailable}};
}

void from_json(const nlohmann::json& json, SideFeatures& features) {
    // at() and get() throw on a missing key or a value of another type; the
    // values are checked one by one because the library would take booleans
    // as numbers.
    SideFeatures decoded;
    const nlohmann::json& values = json.at("values");
    if (!values.is_array())
        throw nlohmann::json::type_error::create(302, "\"values\" must be an array of numbers", &values);
    for (const nlohmann::json& value : values) {
        if (!value.is_number())
            throw nlohmann::json::type_error::create(302, "\"values\" must be an array of numbers", &value);
        decoded.values.push_back(value.get<double>());
    }
    decoded.gyroAvailable = json.at("gyroAvailable").get<bool>();
    features = std::move(decoded);
}

}  // namespace knockbox
