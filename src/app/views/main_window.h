#pragma once
// The app's one window and the rule that ends the app: closing the window or
// quitting while the player runs stops the player first, and the app ends
// once the player has.

#include <filesystem>
#include <memory>
#include <optional>

#include <QMainWindow>

#include "app/configuration_model.h"
#include "app/views/animation_clock.h"

namespace knockbox {

class ConfigurationView;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int defaultWidth = 960;
    static constexpr int defaultHeight = 720;
    static constexpr int minimumWidth = 820;
    static constexpr int minimumHeight = 650;

    MainWindow(ConfigurationModel& model, bool reduceMotion, AnimationClock clock = systemAnimationClock());

    ConfigurationView& view() const { return *view_; }
    // Centred on its screen, in front, active; no larger than the screen's
    // free area (at 144 dpi a 1280 × 900 screen has 853 × 600 points).
    void present();

    // The sheet of Help › About Knockbox.
    void showAbout();

signals:
    // "Credits & Licenses" was chosen.
    void licensesRequested();

protected:
    // Refused while the player runs: the player is stopped, and the window
    // closes by itself once it has ended.
    void closeEvent(QCloseEvent* event) override;

private:
    ConfigurationModel& model_;
    ConfigurationView* view_ = nullptr;
};

// The notices shipped with the program: in the bundle's resources, else in
// share/doc/knockbox/ under the prefix it is installed in, else in Licenses/
// beside the folder that holds the executable; nothing when none exists.
std::optional<std::filesystem::path> noticesFile(const std::filesystem::path& executable,
                                                 const std::optional<std::filesystem::path>& bundleResources);

}  // namespace knockbox
