#pragma once
// Failures of the audio engine, each with its one user-facing text.

#include <stdexcept>

namespace knockbox {

class AudioError : public std::runtime_error {
public:
    enum class Kind {
        outputUnavailable,
        invalidMasterVolume,
    };

    static AudioError outputUnavailable();
    static AudioError invalidMasterVolume();

    Kind kind() const { return kind_; }

private:
    explicit AudioError(Kind kind);
    Kind kind_;
};

}  // namespace knockbox
