#pragma once
// Everything that goes wrong in side calibration and with side profile files,
// each case with its one message (the error's what()).

#include <stdexcept>
#include <string>

#include "sidemodels/side_verification.h"

namespace knockbox {

class CalibrationError : public std::runtime_error {
public:
    enum class Kind {
        poorValidation,
        failedVerification,
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
    static CalibrationError failedVerification(const SideVerification& verification);
    static CalibrationError hardwareMismatch(const std::string& stored, const std::string& current);
    // `description`: the system's description of the file error.
    static CalibrationError readFailed(const std::string& description);
    static CalibrationError writeFailed(const std::string& description);
    // The cases without a payload.
    explicit CalibrationError(Kind kind);

    Kind kind() const noexcept { return kind_; }
    std::string message() const { return what(); }
    double accuracy() const noexcept { return accuracy_; }                   // poorValidation
    const SideVerification& verification() const noexcept { return verification_; }  // failedVerification

private:
    CalibrationError(Kind kind, const std::string& message);

    Kind kind_;
    double accuracy_ = 0;
    SideVerification verification_{};
};

}  // namespace knockbox
