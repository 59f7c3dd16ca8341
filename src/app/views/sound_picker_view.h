#pragma once
// The sheet for choosing sounds: one card per kit for the whole set, or a
// kit per drum with a preview button each. Every choice is saved at once
// through the model; nothing can change while the player runs.

#include <array>

#include <QLabel>

#include "app/configuration_model.h"
#include "app/views/keyboard_button.h"
#include "app/views/sheet.h"
#include "app/views/studio_controls.h"

namespace knockbox {

class SymbolButton;

// A kit's card: its name, what it sounds like and its waveform. Checked
// while every drum plays this kit.
class KitCard : public KeyboardButton {
    Q_OBJECT

public:
    KitCard(DrumKit kit, QWidget* parent);
    DrumKit kit() const { return kit_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DrumKit kit_;
};

class SoundPickerView : public Sheet {
    Q_OBJECT

public:
    static constexpr int sheetWidth = 590;

    SoundPickerView(ConfigurationModel& model, QWidget* parent = nullptr);

    // "Stop playing to change sounds." while the player runs.
    static QString caption(bool active);

private:
    void refresh();

    ConfigurationModel& model_;
    std::array<KitCard*, 4> cards_{};
    std::array<SegmentedControl*, 4> rows_{};
    std::array<SymbolButton*, 4> previews_{};
    QLabel* caption_ = nullptr;
};

}  // namespace knockbox
