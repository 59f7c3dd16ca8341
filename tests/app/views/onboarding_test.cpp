// The onboarding: what it says at each point, the MacBook drawing's motion at
// fixed instants, and the flow driven through its buttons.
#include "app/views/onboarding_view.h"

#include <gtest/gtest.h>

#include "app/qstring_printer.h"
#include "app/views/macbook_illustration.h"
#include "app/views/macbook_motion.h"
#include "app/views/onboarding_texts.h"
#include "app/views/view_fixture.h"

namespace knockbox {
namespace {

using test::ViewTest;
using Stage = OnboardingStage;

OnboardingFacts facts(Stage stage, bool failed = false, std::optional<Side> target = std::nullopt, int leftCount = 0,
                      bool verifying = false, int blockTarget = 4, const QString& hint = {}) {
    return {stage, failed, target, leftCount, verifying, blockTarget, hint};
}

TEST(OnboardingTexts, TitleAndExplanationFollowTheStageAndTheProgress) {
    const QString hint = QStringLiteral("Can't reach the motion sensor. Quit other apps using it and try again.");
    const struct {
        OnboardingFacts facts;
        const char* title;
        QString explanation;
    } cases[] = {
        {facts(Stage::welcome), "Tune hit detection",
         "Firm slaps first, then light taps. Keep your MacBook on the surface you'll play on."},
        {facts(Stage::strong, true, Side::left, 3, false, 4, hint), "Let's try that again", hint},
        {facts(Stage::strong, false, std::nullopt, 0), "Hold still for two seconds",
         "Don't touch your MacBook for two seconds."},
        {facts(Stage::light, false, std::nullopt, 4), "Short pause", "Wait for the next side to light up."},
        {facts(Stage::strong, false, Side::right, 4, false, 4), "Firmly on the right",
         "Four firm slaps on the highlighted spot."},
        {facts(Stage::light, false, Side::left, 0, false, 3), "Lightly on the left",
         "Three gentle taps on the highlighted spot."},
        {facts(Stage::light, false, Side::left, 0, false, 5), "Lightly on the left",
         "Six gentle taps on the highlighted spot."},
        {facts(Stage::strong, false, Side::left, 0, true, 3), "Check: on the left",
         "Three fresh taps check the side detection. They don't change what was learned."},
        {facts(Stage::between), "Now the light taps", "Firm hits are saved. Now let's record a few gentle taps."},
        {facts(Stage::done), "Calibration complete",
         "Both profiles saved. Left palm rest: kick and tom. Right: hi-hat and snare."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(onboardingTitle(c.facts), c.title);
        EXPECT_EQ(onboardingExplanation(c.facts), c.explanation) << c.title;
    }
}

TEST(MacBookMotion, TheHandLiftsTouchesAndSquashes) {
    const struct {
        double p, lift;
    } lifts[] = {{0.2, 1}, {0.3, 1}, {0.42, 0.5}, {0.55, 0}, {0.695, 0.5}, {0.9, 1}};
    for (const auto& l : lifts) EXPECT_NEAR(tapLift(l.p), l.lift, 1e-12) << l.p;
    EXPECT_NEAR(tapPhase(2.65 * 7.5, false), 0.5, 1e-12);
    EXPECT_NEAR(tapPhase(2.35 * 3.25, true), 0.25, 1e-12);

    // At the pulse's peak the hand touches: 6 % wider, 14 % flatter, on the
    // overall 1.3 (vertical 0.7 of it); mirrored on the left.
    const HandPose right = handPose(0.565, false, Side::right);
    EXPECT_NEAR(right.height, 0, 1e-12);
    EXPECT_NEAR(right.scaleX, 1.3 * 1.06, 1e-12);
    EXPECT_NEAR(right.scaleY, 0.91 * 0.86, 1e-12);
    EXPECT_NEAR(handPose(0.565, false, Side::left).scaleX, -1.3 * 1.06, 1e-12);
    // Lifted: 30 points for firm taps, 16 for gentle ones; still at 10 with
    // reduced motion.
    EXPECT_NEAR(handPose(0.1, false, Side::right).height, 30, 1e-12);
    EXPECT_NEAR(handPose(0.1, false, Side::right).scaleX, 1.3 + 0.36, 1e-6);
    EXPECT_NEAR(handPose(0.1, true, Side::left).height, 16, 1e-12);
    const HandPose still = handPose(std::nullopt, false, Side::right);
    EXPECT_NEAR(still.height, 10, 1e-12);
    EXPECT_NEAR(still.scaleX, 1.42, 1e-12);

    EXPECT_NEAR(caseDip(0.55, false), 0.65, 1e-12);
    EXPECT_NEAR(caseDip(0.55, true), 0.25, 1e-12);
    EXPECT_TRUE(demonstrationContact(0.54));
    EXPECT_FALSE(demonstrationContact(0.78));

    const HandShadow high = handShadow(30);
    EXPECT_NEAR(high.width, 45, 1e-12);
    EXPECT_NEAR(high.height, 16.2, 1e-12);
    EXPECT_NEAR(high.blur, 7.4, 1e-12);
    EXPECT_NEAR(high.opacity, 0.1, 1e-12);
    EXPECT_NEAR(handShadow(0).opacity, 0.34, 1e-12);
    EXPECT_NEAR(handShadow(40).opacity, 0.08, 1e-12);
}

TEST(MacBookMotion, EnergyAfterACountedTapAndDuringTheDemonstration) {
    EXPECT_NEAR(tapEnergy(0.25, std::nullopt, false), 0.36787944117144233, 1e-12);
    EXPECT_EQ(tapEnergy(0.8, std::nullopt, false), 0);
    EXPECT_EQ(tapEnergy(std::nullopt, 0.5, false), 0);
    EXPECT_NEAR(tapEnergy(std::nullopt, 0.54, false), 0.9, 1e-12);
    EXPECT_NEAR(tapEnergy(std::nullopt, 0.54, true), 0.5, 1e-12);
    EXPECT_NEAR(tapEnergy(std::nullopt, 0.64, false), 0.9 * 0.4065696597405991, 1e-12);
    // The brighter of the two.
    EXPECT_NEAR(tapEnergy(0.0, 0.64, false), 1.0, 1e-12);
}

TEST(MacBookIllustration, ReadsWhereAndHowToTap) {
    EXPECT_EQ(MacBookIllustration::accessibilityLabel(std::nullopt, false),
              "MacBook Pro showing the case and palm rests");
    EXPECT_EQ(MacBookIllustration::accessibilityLabel(Side::left, true),
              "MacBook Pro. Tap the left aluminum palm rest gently.");
    EXPECT_EQ(MacBookIllustration::accessibilityLabel(Side::right, false),
              "MacBook Pro. Tap the right aluminum palm rest firmly.");
}

TEST(MacBookIllustration, FramesRunOnlyWhileSomethingMoves) {
    test::ManualClock clock;
    MacBookIllustration moving(false, clock.function());
    moving.resize(560, 285);
    moving.show();
    EXPECT_FALSE(moving.animating());
    moving.setHitToken(1);  // a counted tap glows for 0.8 s
    EXPECT_TRUE(moving.animating());
    clock.now += 2 * acceptedGlowTime;
    EXPECT_TRUE(test::waitFor([&] { return !moving.animating(); }));
    moving.setSide(Side::left);  // the demonstration loops
    EXPECT_TRUE(moving.animating());
    moving.hide();
    EXPECT_FALSE(moving.animating());

    MacBookIllustration still(true, clock.function());
    still.resize(560, 285);
    still.show();
    still.setSide(Side::right);
    still.setHitToken(2);
    EXPECT_FALSE(still.animating());
    EXPECT_EQ(still.scene().countedTapAt, clock.now);
}

struct OnboardingViewTest : ViewTest {};

TEST_F(OnboardingViewTest, AFailedCalibrationOffersToTryTheSameOneAgain) {
    auto model = makeModel(player("echo \"$@\" >> \"$DIR/runs\"\necho 'Błąd: brak danych'\nexit 1"), false);
    OnboardingView view(*model, true);
    view.resize(800, 640);
    view.show();
    ASSERT_TRUE(model->showOnboarding());
    EXPECT_TRUE(test::find(&view, "Skip for now")->isVisible());

    QTest::mouseClick(test::find(&view, "Let's go"), Qt::LeftButton);
    EXPECT_EQ(model->stage(), Stage::strong);
    ASSERT_TRUE(test::waitFor([&] { return !model->active(); }));
    EXPECT_EQ(test::find(&view, "Let's try that again")->isVisible(), true);
    QAbstractButton* retry = test::find<QAbstractButton>(&view, "Try again");
    ASSERT_TRUE(retry && retry->isVisible());
    EXPECT_FALSE(test::find(&view, "Skip for now")->isVisible());

    QTest::mouseClick(retry, Qt::LeftButton);
    EXPECT_EQ(model->stage(), Stage::strong);
    ASSERT_TRUE(test::waitFor([&] { return !model->active(); }));
    const auto runs = test::linesOf(test::readFile(folder / "runs"));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[1].ends_with("--direct-sensor --calibrate-strong")) << runs[1];
}

TEST_F(OnboardingViewTest, ProgressShowsTheSideToTapAndClosingStopsTheCalibrationFirst) {
    const auto release = gate("release");
    // A firm calibration that asks for the right side, has two taps, then is
    // saved; on SIGTERM it waits for the gate.
    auto model = makeModel(player("trap 'read x < \"$DIR/release\"; kill $! 2>/dev/null; exit 0' TERM\necho '" +
                                  test::calibrationState("Trening", "right", 4, 2, 8, 2) + "'\n" + test::waitForTerm),
                           false);
    OnboardingView view(*model, true);
    view.resize(800, 640);
    view.show();
    model->beginCalibration(false);
    ASSERT_TRUE(test::waitFor([&] { return model->rightCount() == 2; }));
    EXPECT_TRUE(test::find(&view, "Firmly on the right")->isVisible());
    EXPECT_TRUE(test::find(&view, "Left 4/8, right 2/8")->isVisible());
    EXPECT_EQ(view.illustration().accessibleName(), "MacBook Pro. Tap the right aluminum palm rest firmly.");

    // Closing stops the calibration first.
    QTest::mouseClick(test::find(&view, "Close calibration"), Qt::LeftButton);
    EXPECT_TRUE(model->stopping());
    EXPECT_TRUE(model->showOnboarding());
    open(release);
    ASSERT_TRUE(test::waitFor([&] { return !model->showOnboarding(); }));
    EXPECT_FALSE(QSettings(QString::fromStdString(preferencesFile.string()), QSettings::IniFormat)
                     .value("onboardingComplete")
                     .toBool());  // closed, not completed: offered again at the next start
}

}  // namespace
}  // namespace knockbox
