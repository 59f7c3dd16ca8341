// The settings panel: the sensitivity control's mapping and the panel driven
// with the keyboard and the mouse.
#include "app/views/player_settings_view.h"

#include <gtest/gtest.h>

#include "app/qstring_printer.h"
#include "app/views/sensitivity.h"
#include "app/views/studio_controls.h"
#include "app/views/view_fixture.h"

namespace knockbox {
namespace {

using test::ViewTest;

// The slider's ends on the defaults are checked through the panel below.
TEST(Sensitivity, MovesTheThresholdAndNeverLowersAccentOrFullVelocity) {
    // An older, stiffer file.
    EXPECT_EQ(sensitivity(UISettings{.threshold = 0.3, .accent = 0.4, .fullVelocity = 0.8}), 0);
    EXPECT_EQ(sensitivity(UISettings{.threshold = 0.008, .accent = 0.1, .fullVelocity = 0.5}), 1);

    const struct {
        UISettings before;
        double value;
        double threshold, accent, fullVelocity;
    } cases[] = {
        {{.threshold = 0.05, .accent = 0.02, .fullVelocity = 0.03}, 1.0, 0.008, 0.028, 0.056},
        {{.threshold = 0.05, .accent = 0.3, .fullVelocity = 0.9}, 0.5, 0.079, 0.3, 0.9},  // never lowered
    };
    for (const auto& c : cases) {
        const UISettings after = withSensitivity(c.before, c.value);
        EXPECT_NEAR(after.threshold, c.threshold, 1e-12) << c.value;
        EXPECT_NEAR(after.accent, c.accent, 1e-12) << c.value;
        EXPECT_NEAR(after.fullVelocity, c.fullVelocity, 1e-12) << c.value;
        EXPECT_FALSE(after.validation()) << *after.validation();
    }
}

TEST_F(ViewTest, TheSettingsPanelEditsTheModelWithTheKeyboardAndSavesOnlyOnSave) {
    auto model = makeModel();
    PlayerSettingsView panel(*model);
    panel.show();
    // Arrows move 5 %, Page Up and Down 20 %, End and Home to the ends.
    auto* volume = test::find<StudioSlider>(&panel, "Volume");
    volume->setFocus();
    QTest::keyClick(volume, Qt::Key_Right);
    EXPECT_EQ(model->settings().volume, 1.25);
    QTest::keyClick(volume, Qt::Key_PageDown);
    EXPECT_EQ(model->settings().volume, 1.05);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(volume)->text(QAccessible::Value), "105%");
    auto* sensitivitySlider = test::find<StudioSlider>(&panel, "Sensitivity");
    sensitivitySlider->setFocus();
    QTest::keyClick(sensitivitySlider, Qt::Key_End);
    EXPECT_NEAR(model->settings().threshold, 0.008, 1e-12);
    QTest::keyClick(sensitivitySlider, Qt::Key_Home);
    EXPECT_NEAR(model->settings().threshold, 0.15, 1e-12);
    EXPECT_NEAR(model->settings().accent, 0.17, 1e-12);
    auto* swap = test::find<QAbstractButton>(&panel, "Swap sides");
    swap->setFocus();
    QTest::keyClick(swap, Qt::Key_Return);
    EXPECT_TRUE(model->settings().invertSides);
    EXPECT_FALSE(std::filesystem::exists(settingsFile));
    EXPECT_TRUE(test::find(&panel, "Unsaved changes")->isVisible());

    QTest::mouseClick(test::find<QAbstractButton>(&panel, "Defaults"), Qt::LeftButton);
    EXPECT_EQ(model->settings(), UISettings{});
    EXPECT_FALSE(std::filesystem::exists(settingsFile));
    // Return saves (Save is the default button) wherever the focus is.
    QTest::keyClick(sensitivitySlider, Qt::Key_Return);
    EXPECT_EQ(test::readFile(settingsFile), settingsFileText(UISettings{}));
    EXPECT_TRUE(test::find(&panel, "Saved")->isVisible());
}

}  // namespace
}  // namespace knockbox
