#pragma once
// The small settings panel under the "Settings" button: volume, sensitivity
// and the switches, edited straight into the model's settings. The player
// takes them at its next start; "Save" writes them to the settings file.
//
// The panel is drawn inside the window, over its content, pointing at the
// button: a separate popup window would be left out of the accessibility
// tree and would need a compositor for its rounded corners. A click beside
// it or Escape closes it; Tab stays within it while it is open.

#include <functional>
#include <utility>
#include <vector>

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include "app/configuration_model.h"

class QScrollArea;

namespace knockbox {

class StudioButton;
class StudioSlider;
class ToggleSwitch;

class PlayerSettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int panelWidth = 285;

    // Over `parent`'s whole area once shown with showAnchoredTo; without a
    // parent, a window of the panel's size.
    explicit PlayerSettingsView(ConfigurationModel& model, QWidget* parent = nullptr);

    // Shows the panel above `button` (below it when there is no room above;
    // over it, as high as the window allows, when there is room for neither),
    // pointing at it, with the keyboard focus on its first control. Closing
    // gives the focus back to the button.
    void showAnchoredTo(QWidget* button);
    // Where the panel's body is, in this widget.
    QRect body() const { return body_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void refresh();
    // Beside the anchor, pointing at it; again whenever the window's size changes.
    void place();
    void edit(const std::function<void(UISettings&)>& change);

    ConfigurationModel& model_;
    StudioSlider* volume_ = nullptr;
    StudioSlider* sensitivity_ = nullptr;
    std::vector<std::pair<ToggleSwitch*, bool UISettings::*>> switches_;
    QLabel* message_ = nullptr;  // "Stop playing to change settings.", or the model's settings note
    QWidget* content_ = nullptr;
    bool refreshing_ = false;  // controls follow the model; not an edit
    QPointer<QWidget> anchor_;
    QScrollArea* scroll_ = nullptr;  // scrolls the content only in a window too short for it
    int height_ = 0;                 // the content's natural height
    QRect body_;
    enum class Arrow { down, up, none } arrow_ = Arrow::down;  // none: the panel lies over the button
    double arrowX_ = panelWidth / 2.0;
};

}  // namespace knockbox
