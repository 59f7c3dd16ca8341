// What assistive technology reads of the app, and that its text is readable:
// its size and its contrast.
#include <gtest/gtest.h>

#include <cmath>

#include <QAbstractButton>
#include <QFontInfo>
#include <QLabel>

#include "app/qstring_printer.h"
#include "app/views/configuration_view.h"
#include "app/views/main_window.h"
#include "app/views/player_settings_view.h"
#include "app/views/sound_picker_view.h"
#include "app/views/studio_palette.h"
#include "app/views/view_fixture.h"

namespace knockbox {
namespace {

using test::ViewTest;

TEST_F(ViewTest, AssistiveTechnologyReadsNamesRolesValuesAndStates) {
    auto model = makeModel();
    UISettings settings = model->settings();
    settings.invertSides = true;
    settings.sounds = SoundSelection::all(DrumKit::live);
    model->setSettings(settings);
    MainWindow window(*model, true);
    window.show();
    window.view().openSettings();
    QWidget* panel = window.view().settingsPanel();
    ASSERT_TRUE(panel);
    SoundPickerView picker(*model);
    picker.show();

    const std::optional<QString> any;
    const struct {
        QWidget* root;
        QString name;
        QAccessible::Role role;
        std::optional<QString> description, value;
        std::optional<bool> checked;
    } rows[] = {
        {&window, model->status(), QAccessible::StaticText, "Status", any, {}},
        {&window, "Drums on your MacBook", QAccessible::Heading, any, any, {}},
        {&window, "Tune hit detection", QAccessible::Heading, any, any, {}},  // onboarding's title
        {&window, "Calibration", QAccessible::Button,
         "Redo the firm or light taps that teach Knockbox your MacBook's sides", any, {}},
        {&window, "Play Kick", QAccessible::Button, "right · light", any, {}},  // sides swapped
        {panel, "Settings", QAccessible::Heading, any, any, {}},
        {panel, "Volume", QAccessible::Slider, any, "120%", {}},
        {panel, "Swap sides", QAccessible::CheckBox, "Swap left and right, for when taps land on the wrong side.", any,
         true},
        {panel, "Mute", QAccessible::CheckBox, "Detect taps and show them without playing a sound.", any, true},
        {panel, "Fast response", QAccessible::CheckBox,
         "Taps sound sooner; very rarely the drum you hear differs from the one the kit lights up.", any, false},
        {panel, "Send MIDI", QAccessible::CheckBox,
         "Send each drum as a General MIDI drum note, for music software to play or record.", any, false},
        {panel, "MIDI port: Knockbox", QAccessible::StaticText, any, any, {}},
        {&picker, "Sounds", QAccessible::Heading, any, any, {}},
        {&picker, "Live kit", QAccessible::Button, any, "Selected", true},
        {&picker, "Studio kit", QAccessible::Button, any, "", false},
    };
    for (const auto& row : rows) {
        // A switch shares its name with the label beside it.
        QWidget* widget = row.checked ? test::find<QAbstractButton>(row.root, row.name) : test::find(row.root, row.name);
        ASSERT_TRUE(widget) << row.name.toStdString();
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        const std::string name = row.name.toStdString();
        EXPECT_EQ(face->role(), row.role) << name;
        EXPECT_EQ(face->text(QAccessible::Description), row.description.value_or(face->text(QAccessible::Description)))
            << name;
        EXPECT_EQ(face->text(QAccessible::Value), row.value.value_or(face->text(QAccessible::Value))) << name;
        EXPECT_EQ(face->state().checkable && face->state().checked, row.checked.value_or(face->state().checked)) << name;
    }

    // The settings panel is part of the window's tree: a window of its own (a
    // popup) would be left out of it.
    EXPECT_FALSE(panel->isWindow());

    // No text is smaller than 11 points.
    for (QWidget* root : std::initializer_list<QWidget*>{&window, &picker}) {
        for (QWidget* widget : root->findChildren<QWidget*>()) {
            const auto* label = qobject_cast<QLabel*>(widget);
            const auto* button = qobject_cast<QAbstractButton*>(widget);
            if ((label && !label->text().isEmpty()) || (button && !button->text().isEmpty())) {
                EXPECT_GE(QFontInfo(widget->font()).pointSizeF(), 11 - 0.01) << test::accessibleName(widget).toStdString();
            }
        }
    }
}

// WCAG 2: relative luminance and contrast ratio.
double luminance(const QColor& colour) {
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

TEST(Readable, EveryTextColourHasAContrastOfAtLeast4Point5To1) {
    for (const auto& [use, ink, surface] : studio::textsOnSurfaces()) {
        const double text = luminance(studio::over(ink, surface));
        const double ground = luminance(surface);
        EXPECT_GE((std::max(text, ground) + 0.05) / (std::min(text, ground) + 0.05), 4.5) << use.toStdString();
    }
}

}  // namespace
}  // namespace knockbox
