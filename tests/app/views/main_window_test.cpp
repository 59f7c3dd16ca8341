// The window: its size, the play button through a run, and the rule that
// quitting (or closing the window) while the player runs waits for it.
#include "app/views/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>

#include "app/qstring_printer.h"
#include "app/views/configuration_view.h"
#include "app/views/view_fixture.h"
#include "platform/executable_path.h"

namespace knockbox {
namespace {

using test::ViewTest;

TEST_F(ViewTest, QuittingWhilePlayingStopsThePlayerAndWaitsForIt) {
    const auto release = gate("release");
    // On SIGTERM the player waits for the gate; it says when it is ready for that.
    auto model = makeModel(player("trap 'read x < \"$DIR/release\"; kill $! 2>/dev/null; exit 0' TERM\n"
                                  "echo 'GOTOWE · 800 Hz · próg 0.050 g · mocne 0.160 g · cooldown 120 ms'\n" +
                                  test::waitForTerm));
    MainWindow window(*model, true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(window.size(), QSize(960, 720));
    EXPECT_EQ(window.minimumSize(), QSize(820, 650));

    auto* play = test::find<QAbstractButton>(&window, "Play");
    QTest::mouseClick(play, Qt::LeftButton);
    ASSERT_TRUE(model->active());
    EXPECT_EQ(test::accessibleName(play), "Stop");
    ASSERT_TRUE(test::waitFor([&] { return model->ready(); }));

    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(model->status(), "Stopping…");
    EXPECT_EQ(test::accessibleName(play), "Stopping");
    EXPECT_FALSE(play->isEnabled());

    open(release);
    ASSERT_TRUE(test::waitFor([&] { return !window.isVisible(); }));
    EXPECT_FALSE(model->active());
    EXPECT_EQ(test::accessibleName(play), "Play");
}

TEST_F(ViewTest, OnboardingReplacesTheMainScreenUntilClosed) {
    auto model = makeModel(std::nullopt, false);
    MainWindow window(*model, true);
    window.show();
    EXPECT_TRUE(test::find(&window, "Tune hit detection")->isVisible());
    EXPECT_FALSE(test::find(&window, "Drum kit")->isVisible());
    QTest::mouseClick(test::find(&window, "Skip for now"), Qt::LeftButton);
    EXPECT_TRUE(test::find(&window, "Drum kit")->isVisible());
    QTest::mouseClick(test::find(&window, "Calibration"), Qt::LeftButton);
    EXPECT_TRUE(model->showOnboarding());
    EXPECT_TRUE(test::find(&window, "Tune hit detection")->isVisible());
}

TEST(NoticesFile, ComesFromTheBundleElseUnderThePrefixElseBesideTheProgramsFolder) {
    test::TemporaryDirectory folder;
    std::filesystem::create_directories(folder / "Resources/Licenses");
    std::ofstream(folder / "Resources/Licenses/THIRD_PARTY_NOTICES.md") << "notices\n";
    EXPECT_EQ(noticesFile("/nowhere/bin/knockbox", folder / "Resources"),
              folder / "Resources/Licenses/THIRD_PARTY_NOTICES.md");
    std::filesystem::create_directories(folder / "usr/share/doc/knockbox");
    std::ofstream(folder / "usr/share/doc/knockbox/THIRD_PARTY_NOTICES.md") << "notices\n";
    EXPECT_EQ(noticesFile(folder / "usr/bin/knockbox", std::nullopt),
              folder / "usr/share/doc/knockbox/THIRD_PARTY_NOTICES.md");
    const std::filesystem::path repository = KNOCKBOX_SOURCE_DIR;
    EXPECT_EQ(noticesFile(repository / "build/knockbox", std::nullopt),
              repository / "Licenses/THIRD_PARTY_NOTICES.md");
    EXPECT_FALSE(noticesFile("/nowhere/bin/knockbox", folder / "Elsewhere"));
}

}  // namespace
}  // namespace knockbox
