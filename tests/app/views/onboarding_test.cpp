// The onboarding: what it says at each point, when the MacBook drawing moves,
// and the flow driven through its buttons.
#include "app/views/onboarding_view.h"

#include <gtest/gtest.h>

#include "app/qstring_printer.h"
#include "app/views/macbook_illustration.h"
#include "app/views/macbook_motion.h"
#include "app/views/onboarding_texts.h"
#include "app/views/studio_controls.h"
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
        // Opened again to redo one calibration.
        {{Stage::welcome, false, {}, 0, false, 4, {}, CalibrationSteps::firmAndLight, true}, "Tune hit detection",
         "Redo the firm slaps, the light taps or both."},
        {{Stage::done, false, {}, 0, false, 4, {}, CalibrationSteps::light, true}, "Calibration complete",
         "Light profile saved. Left palm rest: kick and tom. Right: hi-hat and snare."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(onboardingTitle(c.facts), c.title);
        EXPECT_EQ(onboardingExplanation(c.facts), c.explanation) << c.title;
    }
}

// A counted tap glows and the demonstration loops; the curves themselves are
// for the eye (tools/window_pictures).
TEST(MacBookIllustration, FramesRunOnlyWhileSomethingMoves) {
    double now = 100;  // time moves only when the test says
    const auto clock = [&] { return now; };
    MacBookIllustration moving(false, clock);
    moving.resize(560, 285);
    moving.show();
    EXPECT_FALSE(moving.animating());
    moving.setHitToken(1);  // a counted tap glows for 0.8 s
    EXPECT_TRUE(moving.animating());
    now += 2 * acceptedGlowTime;
    EXPECT_TRUE(test::waitFor([&] { return !moving.animating(); }));
    moving.setSide(Side::left);  // the demonstration loops
    EXPECT_TRUE(moving.animating());
    moving.hide();
    EXPECT_FALSE(moving.animating());

    MacBookIllustration still(true, clock);
    still.resize(560, 285);
    still.show();
    still.setSide(Side::right);
    still.setHitToken(2);
    EXPECT_FALSE(still.animating());
    EXPECT_EQ(still.scene().countedTapAt, now);
}

struct OnboardingViewTest : ViewTest {};

// A failed calibration offers to try the same one again; opened again once
// onboarding is done, it offers to redo one calibration alone.
TEST_F(OnboardingViewTest, AFailedCalibrationIsTriedAgainAndOneCalibrationCanBeRedoneAlone) {
    // The first run fails; each later one is saved at once and then ends on SIGTERM.
    auto model = makeModel(player("echo \"$@\" >> \"$DIR/runs\"\n[ -e \"$DIR/failed\" ] || { touch \"$DIR/failed\"; echo '" +
                                  lines::error("brak danych") + "'; exit 1; }\n" + test::endOnTerm + "echo '" +
                                  lines::profileSaved(false, 3, 3) + "'\n" + test::waitForTerm),
                           false);
    OnboardingView view(*model, true);
    view.resize(800, 640);
    view.show();
    ASSERT_TRUE(model->showOnboarding());
    EXPECT_TRUE(test::find(&view, "Skip for now")->isVisible());
    EXPECT_FALSE(test::find(&view, "Calibrations to redo")->isVisible());  // a first start does both
    // Wrapped text keeps all its lines (the welcome's explanation needs two).
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (label->isVisible() && label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
        }
    }

    QTest::mouseClick(test::find(&view, "Let's go"), Qt::LeftButton);
    EXPECT_EQ(model->stage(), Stage::strong);
    ASSERT_TRUE(test::waitFor([&] { return !model->active(); }));
    EXPECT_TRUE(test::find(&view, "Let's try that again")->isVisible());
    QAbstractButton* retry = test::find<QAbstractButton>(&view, "Try again");
    ASSERT_TRUE(retry && retry->isVisible());
    EXPECT_FALSE(test::find(&view, "Skip for now")->isVisible());
    QTest::mouseClick(retry, Qt::LeftButton);
    EXPECT_EQ(model->stage(), Stage::strong);
    ASSERT_TRUE(test::waitFor([&] { return model->stage() == Stage::between; }));
    model->closeOnboarding(true);

    for (const int choice : {1, 2}) {  // "Firm only", "Light only"
        model->openOnboarding();
        auto* steps = test::find<SegmentedControl>(&view, "Calibrations to redo");
        ASSERT_TRUE(steps->isVisible());
        QTest::mouseClick(steps->segment(choice), Qt::LeftButton);  // the focus moves on to "Let's go"
        QTest::keyClick(view.focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(test::find(&view, choice == 1 ? "Step 1 of 2: Firm" : "Step 1 of 2: Light")->isVisible());
        // The one step saved, onboarding is done: the light taps do not follow the firm ones.
        ASSERT_TRUE(test::waitFor([&] { return model->stage() == Stage::done; }));
        model->closeOnboarding(true);
    }
    const auto runs = test::linesOf(test::readFile(folder / "runs"));
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_TRUE(runs[0].ends_with("--direct-sensor --calibrate-strong")) << runs[0];
    EXPECT_TRUE(runs[1].ends_with("--direct-sensor --calibrate-strong")) << runs[1];
    EXPECT_TRUE(runs[2].ends_with("--calibrate-strong") && runs[3].ends_with("--calibrate-light"));
}

TEST_F(OnboardingViewTest, ProgressShowsTheSideToTapAndClosingStopsTheCalibrationFirst) {
    const auto release = gate("release");
    // A firm calibration that asks for the right side, has two taps, then is
    // saved; on SIGTERM it waits for the gate.
    auto model = makeModel(player("trap 'read x < \"$DIR/release\"; kill $! 2>/dev/null; exit 0' TERM\necho '" +
                                  lines::calibration({"Trening", Side::right, 4, 2, 8, 2, true}) + "'\n" +
                                  test::waitForTerm),
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
