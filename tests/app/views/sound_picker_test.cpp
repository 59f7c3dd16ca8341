// The sound picker: which card is selected, what is disabled while playing,
// and that a choice is saved and previewed.
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

struct SoundPickerTest : ViewTest {
    // The segment of a kit in a drum's row.
    static SegmentButton* segment(SoundPickerView& picker, const QString& drum, int kit) {
        auto* row = test::find<SegmentedControl>(&picker, drum + " sound");
        return row ? row->segment(kit) : nullptr;
    }
};

TEST_F(SoundPickerTest, ACardIsSelectedOnlyWhileEveryDrumPlaysItsKit) {
    auto model = makeModel();
    model->selectKit(DrumKit::live);
    SoundPickerView picker(*model);
    picker.show();
    for (const char* name : {"Studio kit", "Live kit", "808 kit", "Lo-fi kit"}) {
        const bool live = QString(name) == "Live kit";
        EXPECT_EQ(accessibleValue(test::find(&picker, name)), live ? "Selected" : "") << name;
    }

    QTest::mouseClick(segment(picker, "Kick", 3), Qt::LeftButton);  // Lo-fi
    EXPECT_EQ(model->settings().sounds.kick, DrumKit::lofi);
    for (const char* name : {"Studio kit", "Live kit", "808 kit", "Lo-fi kit"})
        EXPECT_EQ(accessibleValue(test::find(&picker, name)), "") << name;

    QTest::mouseClick(test::find(&picker, "808 kit"), Qt::LeftButton);
    EXPECT_EQ(model->settings().sounds, SoundSelection::all(DrumKit::electronic));
    EXPECT_EQ(accessibleValue(test::find(&picker, "808 kit")), "Selected");
    EXPECT_TRUE(segment(picker, "Tom", 2)->isChecked());
}

TEST_F(SoundPickerTest, ChangingTheHiHatSavesAndPreviewsIt) {
    auto model = makeModel();
    SoundPickerView picker(*model);
    picker.show();
    QTest::mouseClick(segment(picker, "Hi-hat", 2), Qt::LeftButton);  // 808
    EXPECT_EQ(model->notice(), "Saved");
    EXPECT_NE(test::readFile(settingsFile).find("\"hihat\": \"electronic\""), std::string::npos);
    EXPECT_EQ(model->hits(Drum::hihat), 1);  // the preview animates the drum
    QTest::mouseClick(test::find(&picker, "Preview Snare sound"), Qt::LeftButton);
    EXPECT_EQ(model->hits(Drum::snare), 1);
}

TEST_F(SoundPickerTest, NothingChangesWhilePlaying) {
    auto model = makeModel(player(test::endOnTerm + test::waitForTerm));
    SoundPickerView picker(*model);
    picker.show();
    EXPECT_TRUE(test::find(&picker, "Changes save automatically. Press play to listen.")->isVisible());
    model->start();
    ASSERT_TRUE(model->active());
    QWidget* card = test::find(&picker, "Live kit");
    EXPECT_FALSE(card->isEnabled());
    QTest::mouseClick(card, Qt::LeftButton);
    EXPECT_FALSE(segment(picker, "Snare", 1)->isEnabled());
    EXPECT_FALSE(test::find(&picker, "Preview Kick sound")->isEnabled());
    EXPECT_EQ(model->settings().sounds, SoundSelection{});
    EXPECT_TRUE(test::find(&picker, "Stop playing to change sounds.")->isVisible());
    model->stop();
    ASSERT_TRUE(test::waitFor([&] { return !model->active(); }));
    EXPECT_TRUE(card->isEnabled());
}

}  // namespace
}  // namespace knockbox
