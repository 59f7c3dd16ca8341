#pragma once
// The small settings panel under the "Settings" button: volume, sensitivity
// and three switches, edited straight into the model's settings. The player
// takes them at its next start; "Save" writes them to the settings file.

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include "app/configuration_model.h"

namespace knockbox {

class StudioButton;
class StudioSlider;
class ToggleSwitch;

class PlayerSettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int panelWidth = 285;
    // Slider steps: the volume in thousandths, the sensitivity in thousandths.
    static constexpr int volumeSteps = 1500;
    static constexpr int sensitivitySteps = 1000;

    // A panel in its own popup window: it closes on a click elsewhere.
    explicit PlayerSettingsView(ConfigurationModel& model, QWidget* parent = nullptr);

    // Opens the popup above `button` (below it when there is no room),
    // pointing at it.
    void showAnchoredTo(QWidget* button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();
    // Beside the anchor, pointing at it; again whenever the panel's height changes.
    void place();
    void edit(const std::function<void(UISettings&)>& change);

    ConfigurationModel& model_;
    StudioSlider* volume_ = nullptr;
    StudioSlider* sensitivity_ = nullptr;
    ToggleSwitch* swapSides_ = nullptr;
    ToggleSwitch* ignoreTyping_ = nullptr;
    ToggleSwitch* mute_ = nullptr;
    QLabel* activeCaption_ = nullptr;
    QLabel* notice_ = nullptr;
    QWidget* content_ = nullptr;
    bool refreshing_ = false;  // controls follow the model; not an edit
    QPointer<QWidget> anchor_;
    bool arrowBelow_ = true;   // the arrow points down at the button
    double arrowX_ = panelWidth / 2.0;
};

}  // namespace knockbox
