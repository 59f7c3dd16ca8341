// Pictures of every screen, at twice the pixel density, for review:
// <build>/screenshots/*.png (*-144dpi.png from the run at 144 dpi). The
// onboarding stages are reached the way a user reaches them, through a fake
// player that prints calibration lines.
#include <gtest/gtest.h>

#include <QPixmap>

#include "app/views/about_dialog.h"
#include "app/views/configuration_view.h"
#include "app/views/drum_kit_view.h"
#include "app/views/macbook_illustration.h"
#include "app/views/macbook_motion.h"
#include "app/views/main_window.h"
#include "app/views/onboarding_view.h"
#include "app/views/player_settings_view.h"
#include "app/views/sound_picker_view.h"
#include "app/views/transitions.h"
#include "app/views/view_fixture.h"

namespace knockbox {
namespace {

using test::ViewTest;

const std::filesystem::path screenshots = std::filesystem::path(KNOCKBOX_BINARY_DIR) / "screenshots";

void save(QWidget& widget, const std::string& name) {
    // Nothing half-faded: fades run in real time.
    ASSERT_TRUE(test::waitFor([&] {
        for (FadingLabel* label : widget.findChildren<FadingLabel*>())
            if (label->fading()) return false;
        return widget.findChildren<PageFade*>().isEmpty();
    }));
    std::filesystem::create_directories(screenshots);
    const std::string density = widget.screen()->devicePixelRatio() > 1 ? "-144dpi" : "";
    QPixmap picture(widget.size() * 2);
    picture.setDevicePixelRatio(2);
    picture.fill(Qt::transparent);
    widget.render(&picture);
    const std::filesystem::path file = screenshots / (name + density + ".png");
    EXPECT_TRUE(picture.save(QString::fromStdString(file.string()))) << file;
}

std::string echoState(const char* target, int left, int right) {
    return "echo '" + test::calibrationState("Trening", target, left, right, 8, 2) + "'";
}

TEST_F(ViewTest, ScreenshotsOfTheMainWindow) {
    test::ManualClock clock;
    auto model = makeModel();  // muted: the caption says so
    model->selectKit(DrumKit::studio);
    MainWindow window(*model, false, clock.function());
    window.present();
    save(window, "main-idle");

    // Sides swapped, the kick alone on 808; every drum struck, a few
    // hundredths of a second apart.
    UISettings settings = model->settings();
    settings.invertSides = true;
    settings.sounds.kick = DrumKit::electronic;
    model->setSettings(settings);
    const struct {
        Drum drum;
        double before;
    } strikes[] = {{Drum::kick, 0.16}, {Drum::hihat, 0.12}, {Drum::snare, 0.09}, {Drum::tom, 0.06}};
    const double now = clock.now;
    for (const auto& strike : strikes) {
        clock.now = now - strike.before;
        model->preview(strike.drum);
    }
    clock.now = now;
    save(window, "main-mid-hit");

    window.view().openSettings();
    ASSERT_TRUE(window.view().settingsPanel());
    save(window, "settings-panel");
    window.view().settingsPanel()->close();

    SoundPickerView picker(*model);
    picker.show();
    save(picker, "sound-picker");
    picker.close();

    window.showAbout();
    save(*window.findChild<InfoSheet*>(), "about");
    InfoSheet* notices = showLicenses(std::filesystem::path(KNOCKBOX_SOURCE_DIR) / "Licenses/THIRD_PARTY_NOTICES.md",
                                      &window, [](const QUrl&) { return false; });
    save(*notices, "credits-and-licenses");

    const int height = window.height();
    window.showMaximized();
    ASSERT_TRUE(test::waitFor([&] { return window.height() > height; }));
    save(window, "main-maximised");
}

TEST_F(ViewTest, ScreenshotsOfEveryOnboardingStage) {
    const auto next = gate("next");
    // What the fake player does depends on the scenario file and its mode.
    const auto player = this->player(
        test::endOnTerm + "scenario=$(cat \"$DIR/scenario\")\n" +
        "if [ \"$scenario\" = fail ]; then echo 'Błąd: brak danych'; exit 1; fi\n"
        "case \"$*\" in\n"
        "*--calibrate-strong) " + echoState("right", 4, 2) + ";;\n"
        "*--calibrate-light) " + echoState("left", 1, 0) + ";;\n"
        "esac\n"
        "read x < \"$DIR/next\"\n"
        "echo 'Profil stron zapisany · walidacja 100%'\n" + test::waitForTerm);
    const auto scenario = [&](const char* name) { std::ofstream(folder / "scenario") << name << "\n"; };
    auto model = makeModel(player, false);
    MainWindow window(*model, false);
    OnboardingView& onboarding = window.view().onboarding();
    // The hand in mid-air, a moment before it lands.
    onboarding.illustration().setClock(firmTapCycle * 0.45);
    window.present();
    save(window, "onboarding-welcome");

    scenario("fail");
    QTest::mouseClick(test::find(&window, "Let's go"), Qt::LeftButton);
    ASSERT_TRUE(test::waitFor([&] { return !model->active(); }));
    save(window, "onboarding-failed");

    scenario("go");
    QTest::mouseClick(test::find(&window, "Try again"), Qt::LeftButton);
    ASSERT_TRUE(test::waitFor([&] { return model->rightCount() == 2; }));
    save(window, "onboarding-strong");
    open(next);
    ASSERT_TRUE(test::waitFor([&] { return model->stage() == OnboardingStage::between; }));
    onboarding.illustration().setClock(10);  // the last tap's glow is over
    save(window, "onboarding-between");

    QTest::mouseClick(test::find(&window, "On to light taps"), Qt::LeftButton);
    ASSERT_TRUE(test::waitFor([&] { return model->leftCount() == 1; }));
    onboarding.illustration().setClock(lightTapCycle * 0.56);  // the hand touching
    save(window, "onboarding-light");
    open(next);
    ASSERT_TRUE(test::waitFor([&] { return model->stage() == OnboardingStage::done; }));
    onboarding.illustration().setClock(20);
    save(window, "onboarding-done");

    // Opened again from the main screen, it asks which calibration to redo.
    QTest::mouseClick(test::find(&window, "Play"), Qt::LeftButton);
    ASSERT_TRUE(test::waitFor([&] { return model->active(); }));
    model->openOnboarding();
    ASSERT_TRUE(test::waitFor([&] { return model->showOnboarding(); }));
    save(window, "onboarding-redo");
}

}  // namespace
}  // namespace knockbox
