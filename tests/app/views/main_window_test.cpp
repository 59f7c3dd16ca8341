// The window: its size on the screen, the play button through a run, the
// keyboard, what cannot change while playing, its sheets, the rule that
// quitting (or closing the window) while the player runs waits for it, and
// the program that cannot open it without a display.
#include "app/views/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QScreen>
#include <QTextBrowser>

#include "app/qstring_printer.h"
#include "app/views/about_dialog.h"
#include "app/views/configuration_view.h"
#include "app/views/drum_kit_view.h"
#include "app/views/player_settings_view.h"
#include "app/views/sound_picker_view.h"
#include "app/views/studio_controls.h"
#include "app/views/view_fixture.h"
#include "platform/executable_path.h"

namespace knockbox {
namespace {

using test::ViewTest;

TEST_F(ViewTest, OnboardingReplacesTheMainScreenUntilClosedAndTheKeyboardFollows) {
    auto model = makeModel(std::nullopt, false);
    MainWindow window(*model, true);
    window.show();
    EXPECT_TRUE(test::find(&window, "Tune hit detection")->isVisible());
    EXPECT_FALSE(test::find(&window, "Drum kit")->isVisible());
    // It opens on its next step, and Escape closes it as its close button does.
    EXPECT_EQ(test::accessibleName(window.focusWidget()), "Let's go");
    QTest::keyClick(window.focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(model->showOnboarding());
    EXPECT_TRUE(test::find(&window, "Drum kit")->isVisible());
    QTest::mouseClick(test::find(&window, "Calibration"), Qt::LeftButton);
    EXPECT_TRUE(model->showOnboarding());
    EXPECT_TRUE(test::find(&window, "Tune hit detection")->isVisible());
}

// The play button through two runs: Space plays and Ctrl+P stops, a click
// plays and quitting waits for the player to end. While a run plays the kit's
// drums only preview, and the settings and the sounds cannot change.
TEST_F(ViewTest, PlayAndStopByKeyboardAndQuittingWhilePlayingWaitsForThePlayer) {
    const auto release = gate("release");
    // On SIGTERM the player waits for the gate; it says when it is ready for that.
    auto model = makeModel(player("trap 'read x < \"$DIR/release\"; kill $! 2>/dev/null; exit 0' TERM\necho '" +
                                  lines::ready(800, 0.05, 0.16, 0.12) + "'\n" + test::waitForTerm));
    PlayerSettingsView panel(*model);
    panel.show();
    SoundPickerView picker(*model);
    picker.show();
    MainWindow window(*model, true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* play = test::find<QAbstractButton>(&window, "Play");
    EXPECT_TRUE(play->toolTip().contains(QKeySequence(Qt::CTRL | Qt::Key_P).toString(QKeySequence::NativeText)));
    EXPECT_TRUE(test::find(&picker, "Changes save automatically. Press play to listen.")->isVisible());
    // The window opens with the focus on no control: Space plays.
    ASSERT_EQ(QApplication::focusWidget(), &window.view());
    QTest::keyClick(&window.view(), Qt::Key_Space);
    ASSERT_TRUE(model->active());
    EXPECT_EQ(test::accessibleName(play), "Stop");
    ASSERT_TRUE(test::waitFor([&] { return model->ready(); }));

    QTest::mouseClick(test::find(&window, "Play Snare"), Qt::LeftButton);
    EXPECT_EQ(model->hits(Drum::snare), 0);
    EXPECT_FALSE(window.view().drumKit().timelineRunning());
    EXPECT_TRUE(test::find(&panel, "Stop playing to change settings.")->isVisible());
    EXPECT_TRUE(test::find(&picker, "Stop playing to change sounds.")->isVisible());
    for (const char* slider : {"Volume", "Sensitivity"})
        EXPECT_FALSE(test::find<QSlider>(&panel, slider)->isEnabled()) << slider;
    for (const char* button : {"Swap sides", "Mute", "Defaults", "Save"})
        EXPECT_FALSE(test::find<QAbstractButton>(&panel, button)->isEnabled()) << button;
    QWidget* card = test::find(&picker, "Live kit");
    EXPECT_FALSE(card->isEnabled());
    EXPECT_FALSE(test::find<SegmentedControl>(&picker, "Snare sound")->segment(1)->isEnabled());
    EXPECT_FALSE(test::find(&picker, "Preview Kick sound")->isEnabled());

    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(model->stopping());
    open(release);
    ASSERT_TRUE(test::waitFor([&] { return !model->active(); }));
    EXPECT_TRUE(card->isEnabled());
    EXPECT_TRUE(test::find<QAbstractButton>(&panel, "Save")->isEnabled());
    EXPECT_TRUE(test::find(&panel, "Unsaved changes")->isVisible());

    QTest::mouseClick(play, Qt::LeftButton);
    ASSERT_TRUE(test::waitFor([&] { return model->ready(); }));
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(test::accessibleName(play), "Stopping");
    EXPECT_FALSE(play->isEnabled());
    open(release);
    ASSERT_TRUE(test::waitFor([&] { return !window.isVisible(); }));
    EXPECT_FALSE(model->active());
    EXPECT_EQ(test::accessibleName(play), "Play");
}

// The leaves a user reads or presses, each wholly inside the window.
void expectEverythingInside(QWidget& window, const char* page) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible() || !(qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget)))
            continue;
        const QRect place(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        EXPECT_TRUE(window.rect().contains(place)) << page << ": " << test::accessibleName(widget).toStdString();
    }
}

// Also run at 144 dpi (ctest Window.At144Dpi), where the screen has 853 × 600 points.
TEST_F(ViewTest, TheWindowFitsItsScreenAndAMaximisedWindowGrowsTheKit) {
    auto model = makeModel(std::nullopt, false);
    MainWindow window(*model, true);
    window.present();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry())) << window.frameGeometry().width() << "×" << window.frameGeometry().height();
    expectEverythingInside(window, "onboarding");
    model->closeOnboarding(false);
    expectEverythingInside(window, "main");
    window.view().openSettings();
    EXPECT_TRUE(window.view().rect().contains(window.view().settingsPanel()->body()));
    window.view().settingsPanel()->close();

    const int windowHeight = window.height();
    const int kitHeight = window.view().drumKit().height();
    window.showMaximized();
    ASSERT_TRUE(test::waitFor([&] { return window.height() > windowHeight; }));
    EXPECT_GE(window.view().drumKit().height() - kitHeight, 0.8 * (window.height() - windowHeight));
    expectEverythingInside(window, "maximised");
}

TEST_F(ViewTest, AboutTellsTheVersionAndWhereFilesAreKeptAndTheNoticesShowWhenNothingOpensThem) {
    auto model = makeModel();
    MainWindow window(*model, true);
    window.showAbout();
    auto* about = window.findChild<InfoSheet*>();
    ASSERT_TRUE(about);
    QStringList texts;
    for (QLabel* label : about->findChildren<QLabel*>()) texts << label->text();
    for (const QString& expected : {QStringLiteral("Version " KNOCKBOX_PROJECT_VERSION),
                                    QString::fromStdString(settingsFile.string()),
                                    QString::fromStdString(preferencesFile.string())})
        EXPECT_TRUE(texts.join('\n').contains(expected)) << expected.toStdString();

    const std::filesystem::path notices = std::filesystem::path(KNOCKBOX_SOURCE_DIR) / "Licenses/THIRD_PARTY_NOTICES.md";
    std::vector<QUrl> opened;
    EXPECT_FALSE(showLicenses(notices, &window, [&](const QUrl& url) { opened.push_back(url); return true; }));
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(notices.string()))});
    InfoSheet* shown = showLicenses(notices, &window, [](const QUrl&) { return false; });
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->findChild<QTextBrowser*>()->toPlainText().contains("BJA Pacific"));
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

// The executable in the mode "ui" needs a display. (It ends on SIGTERM like
// any of its modes: blocking_paths_test.)
TEST(AppLaunch, WithoutADisplayItSaysSoInsteadOfCrashing) {
#ifdef __APPLE__
    GTEST_SKIP() << "a Mac always has its window server";
#endif
    const test::ProcessResult result = test::runKnockbox(
        {"--ui"}, {.environment = {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt},
                                   {"QT_QPA_PLATFORM", std::nullopt}}});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "Błąd: Okno konfiguracji potrzebuje ekranu: nie ustawiono DISPLAY ani WAYLAND_DISPLAY.\n");
}

}  // namespace
}  // namespace knockbox
