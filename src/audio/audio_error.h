#pragma once
// Failures of the audio engine, each with its one user-facing text.

#include <cstdint>
#include <stdexcept>

namespace knockbox {

class AudioError : public std::runtime_error {
public:
    enum class Kind {
        limiterConfiguration,
        playerUnavailable,
        limiterUnavailable,
        outputUnavailable,
        invalidMasterVolume,
    };

    static AudioError limiterConfiguration(std::int32_t status);
    static AudioError playerUnavailable();
    static AudioError limiterUnavailable();
    static AudioError outputUnavailable();
    static AudioError invalidMasterVolume();

    Kind kind() const { return kind_; }
    // The platform status of limiterConfiguration; 0 for the other cases.
    std::int32_t status() const { return status_; }

private:
    AudioError(Kind kind, std::int32_t status);
    Kind kind_;
    std::int32_t status_;
};

}  // namespace knockbox
