#pragma once
// What the onboarding says at each point: its title and the explanation under
// it, from the model's onboarding state.

#include <optional>

#include <QString>

#include "app/calibration_progress.h"
#include "core/side.h"

namespace knockbox {

class ConfigurationModel;

struct OnboardingFacts {
    OnboardingStage stage = OnboardingStage::welcome;
    bool failed = false;
    std::optional<Side> targetSide;
    int leftCount = 0;
    bool verifying = false;
    int blockTarget = 4;
    QString calibrationHint;
    CalibrationSteps steps = CalibrationSteps::firmAndLight;
    bool returning = false;  // onboarding was completed before: the welcome offers which step to redo

    static OnboardingFacts of(const ConfigurationModel& model);
    // A calibration runs or has just failed.
    bool calibrating() const { return stage == OnboardingStage::strong || stage == OnboardingStage::light; }
};

QString onboardingTitle(const OnboardingFacts& facts);
QString onboardingExplanation(const OnboardingFacts& facts);

}  // namespace knockbox
