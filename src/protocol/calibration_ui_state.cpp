#include "protocol/calibration_ui_state.h"

#include <cstdint>
#include <limits>

#include <nlohmann/json.hpp>

namespace knockbox {
namespace {
using nlohmann::json;

std::optional<int> integerAt(const json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) return std::nullopt;
    constexpr auto most = std::numeric_limits<int>::max();
    if (found->is_number_unsigned()) {
        const auto value = found->get<std::uint64_t>();
        return value <= static_cast<std::uint64_t>(most) ? std::optional<int>(static_cast<int>(value)) : std::nullopt;
    }
    if (!found->is_number_integer()) return std::nullopt;
    const auto value = found->get<std::int64_t>();
    return value >= std::numeric_limits<int>::min() && value <= most ? std::optional<int>(static_cast<int>(value))
                                                                       : std::nullopt;
}

}  // namespace

std::string encode(const CalibrationUIState& state) {
    json object{{"stage", state.stage},           {"leftCount", state.leftCount},
                {"rightCount", state.rightCount}, {"total", state.total},
                {"blockRemaining", state.blockRemaining}, {"collecting", state.collecting}};
    if (state.target) object["target"] = std::string(rawValue(*state.target));
    return object.dump();
}

std::optional<CalibrationUIState> decodeCalibrationUIState(std::string_view text) {
    const json object = json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (!object.is_object()) return std::nullopt;

    CalibrationUIState state;
    const auto stage = object.find("stage");
    const auto collecting = object.find("collecting");
    if (stage == object.end() || !stage->is_string() || collecting == object.end() || !collecting->is_boolean())
        return std::nullopt;
    state.stage = stage->get<std::string>();
    state.collecting = collecting->get<bool>();

    const auto leftCount = integerAt(object, "leftCount");
    const auto rightCount = integerAt(object, "rightCount");
    const auto total = integerAt(object, "total");
    const auto blockRemaining = integerAt(object, "blockRemaining");
    if (!leftCount || !rightCount || !total || !blockRemaining) return std::nullopt;
    state.leftCount = *leftCount;
    state.rightCount = *rightCount;
    state.total = *total;
    state.blockRemaining = *blockRemaining;

    if (const auto target = object.find("target"); target != object.end() && !target->is_null()) {
        if (!target->is_string()) return std::nullopt;
        const auto& side = target->get_ref<const std::string&>();
        if (side == rawValue(Side::left))
            state.target = Side::left;
        else if (side == rawValue(Side::right))
            state.target = Side::right;
        else
            return std::nullopt;
    }
    return state;
}

bool isAccepted(const CalibrationUIState& state) {
    const bool knownStage = (state.stage == trainingStage && state.total == 8) ||
                            (state.stage == verificationStage && state.total == 3);
    return knownStage && state.leftCount >= 0 && state.leftCount <= state.total && state.rightCount >= 0 &&
           state.rightCount <= state.total && state.blockRemaining >= 0 && state.blockRemaining <= 4;
}

}  // namespace knockbox
