#include "detection/side_features.h"

#include <nlohmann/json.hpp>

namespace knockbox {

void to_json(nlohmann::json& json, const SideFeatures& features) {
    json = nlohmann::json{{"values", features.values}, {"gyroAvailable", features.gyroAvailable}};
}

}  // namespace knockbox
