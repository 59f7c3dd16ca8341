#include "app/views/onboarding_texts.h"

#include "app/configuration_model.h"

namespace knockbox {

OnboardingFacts OnboardingFacts::of(const ConfigurationModel& model) {
    return {model.stage(),       model.failed(),          model.targetSide(), model.leftCount(), model.verifying(),
            model.blockTarget(), model.calibrationHint(), model.steps(),      model.onboardingCompleted()};
}

QString onboardingTitle(const OnboardingFacts& facts) {
    const bool light = facts.stage == OnboardingStage::light;
    switch (facts.stage) {
    case OnboardingStage::welcome: return QStringLiteral("Tune hit detection");
    case OnboardingStage::between: return QStringLiteral("Now the light taps");
    case OnboardingStage::done: return QStringLiteral("Calibration complete");
    case OnboardingStage::strong:
    case OnboardingStage::light: break;
    }
    if (facts.failed) return QStringLiteral("Let's try that again");
    if (!facts.targetSide)
        return facts.leftCount < 1 ? QStringLiteral("Hold still for two seconds") : QStringLiteral("Short pause");
    const QString how = facts.verifying ? QStringLiteral("Check: ") : light ? QStringLiteral("Lightly ")
                                                                             : QStringLiteral("Firmly ");
    return how + (*facts.targetSide == Side::left ? QStringLiteral("on the left") : QStringLiteral("on the right"));
}

QString onboardingExplanation(const OnboardingFacts& facts) {
    const bool light = facts.stage == OnboardingStage::light;
    switch (facts.stage) {
    case OnboardingStage::welcome:
        return facts.returning
                   ? QStringLiteral("Redo the firm slaps, the light taps or both.")
                   : QStringLiteral("Firm slaps first, then light taps. Keep your MacBook on the surface you'll play on.");
    case OnboardingStage::between: return QStringLiteral("Firm hits are saved. Now let's record a few gentle taps.");
    case OnboardingStage::done: {
        const QString saved = facts.steps == CalibrationSteps::firm    ? QStringLiteral("Firm profile saved.")
                              : facts.steps == CalibrationSteps::light ? QStringLiteral("Light profile saved.")
                                                                       : QStringLiteral("Both profiles saved.");
        return saved + QStringLiteral(" Left palm rest: kick and tom. Right: hi-hat and snare.");
    }
    case OnboardingStage::strong:
    case OnboardingStage::light: break;
    }
    if (facts.failed) return facts.calibrationHint;
    if (!facts.targetSide)
        return facts.leftCount < 1 ? QStringLiteral("Don't touch your MacBook for two seconds.")
                                   : QStringLiteral("Wait for the next side to light up.");
    if (facts.verifying)
        return QStringLiteral("Three fresh taps check the side detection. They don't change what was learned.");
    const QString count = facts.blockTarget == 4   ? QStringLiteral("Four")
                          : facts.blockTarget == 3 ? QStringLiteral("Three")
                                                   : QStringLiteral("Six");
    return count + (light ? QStringLiteral(" gentle taps") : QStringLiteral(" firm slaps")) +
           QStringLiteral(" on the highlighted spot.");
}

}  // namespace knockbox
