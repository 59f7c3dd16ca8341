#pragma once
// Everything that goes wrong in side calibration and with side profile files,
// each case with its one message (the error's what()).

#include <stdexcept>
#include <string>


namespace knockbox {

class CalibrationError : public std::runtime_error {
public:
    enum class Kind {
        poorValidation,
        hardwareMismatch,
        readFailed,
        writeFailed,
        invalidHardware,
        insufficientSamples,
        invalidFeatures,
        repeatedSamples,
        indistinguishable,
        invalidProfile,
    };

    static CalibrationError poorValidation(double accuracy);  // 0–1
    static CalibrationError hardwareMismatch(const std::string& stored, const std::string& current);
    // `description`: the system's description of the file error.
    static CalibrationError readFailed(const std::string& description);
    static CalibrationError writeFailed(const std::string& description);
    // The cases without a payload.
    explicit CalibrationError(Kind kind);

    Kind kind() const noexcept { return kind_; }
    std::string message() const { return what(); }

private:
    CalibrationError(Kind kind, const std::string& message);

    Kind kind_;
};

}  // namespace knockbox
