#pragma once
// A tap's side signature: the numbers the side models learn and judge.

#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace knockbox {

// The detector always makes eight values; other counts only come from files
// and are refused by the models. Side signature, in order: weighted mean X,
// first-lobe mean X, first-lobe peak X, weighted mean gyro Y, gyro Y extreme,
// weighted mean gyro Z, weighted mean Y, weighted mean gyro X, all divided by
// the attack norm. The impulse signature: Sx, Lx, Sx + Lx, Sy, Ly, Sz, Lz,
// Sy + Ly (short and long impulse sums), divided by the largest magnitude.
struct SideFeatures {
    std::vector<double> values;
    bool gyroAvailable = false;  // the gyroscope contributed to the signature

    friend bool operator==(const SideFeatures&, const SideFeatures&) = default;
};

// JSON: {"gyroAvailable": bool, "values": [numbers]} (the calibration
// journal's form; nothing reads it back).
void to_json(nlohmann::json& json, const SideFeatures& features);

}  // namespace knockbox
