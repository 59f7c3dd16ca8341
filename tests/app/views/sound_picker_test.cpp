// The sound picker: which card is selected, and that a choice is saved and
// previewed. (What is disabled while playing: main_window_test.)
#include "app/views/sound_picker_view.h"

#include <gtest/gtest.h>

#include "app/qstring_printer.h"
#include "app/views/studio_controls.h"
#include "app/views/view_fixture.h"

namespace knockbox {
namespace {

using test::ViewTest;

QString accessibleValue(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Value);
}

// The segment of a kit in a drum's row.
SegmentButton* segment(SoundPickerView& picker, const QString& drum, int kit) {
    auto* row = test::find<SegmentedControl>(&picker, drum + " sound");
    return row ? row->segment(kit) : nullptr;
}

using SoundPickerTest = ViewTest;

TEST_F(SoundPickerTest, ACardIsSelectedOnlyWhileEveryDrumPlaysItsKitAndAChoiceIsSavedAndPreviewed) {
    auto model = makeModel();
    SoundPickerView picker(*model);
    picker.show();
    // (The card of the kit every drum plays reads "Selected": ViewTest.AssistiveTechnology….)
    QTest::mouseClick(segment(picker, "Hi-hat", 3), Qt::LeftButton);  // Lo-fi
    EXPECT_EQ(model->settings().sounds.hihat, DrumKit::lofi);
    EXPECT_EQ(model->notice(), "Saved");
    EXPECT_NE(test::readFile(settingsFile).find("\"hihat\": \"lofi\""), std::string::npos);
    EXPECT_EQ(model->hits(Drum::hihat), 1);  // the preview animates the drum
    for (const char* name : {"Studio kit", "Live kit", "808 kit", "Lo-fi kit"})
        EXPECT_EQ(accessibleValue(test::find(&picker, name)), "") << name;

    QTest::mouseClick(test::find(&picker, "808 kit"), Qt::LeftButton);
    EXPECT_EQ(model->settings().sounds, SoundSelection::all(DrumKit::electronic));
    EXPECT_EQ(accessibleValue(test::find(&picker, "808 kit")), "Selected");
    EXPECT_TRUE(segment(picker, "Tom", 2)->isChecked());
    QTest::mouseClick(test::find(&picker, "Preview Snare sound"), Qt::LeftButton);
    EXPECT_EQ(model->hits(Drum::snare), 1);
}

}  // namespace
}  // namespace knockbox
