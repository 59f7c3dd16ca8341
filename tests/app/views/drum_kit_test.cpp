// The drum kit: where it lies in a view, its animation at fixed instants, and
// the view that turns the model's hit counters into animations.
#include "app/views/drum_kit_view.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "app/qstring_printer.h"
#include "app/views/drum_kit_layout.h"
#include "app/views/speckle.h"
#include "app/views/view_fixture.h"

namespace knockbox {
namespace {

using test::ManualClock;
using test::ViewTest;

TEST(DrumKitLayout, ScalesTheDesignToFitAndCentresIt) {
    const struct {
        QSizeF size;
        double scale;
        QPointF origin;
    } cases[] = {
        {{1340, 760}, 2, {0, 0}},
        {{670, 500}, 1, {0, 60}},
        {{1000, 380}, 1, {165, 0}},
    };
    for (const auto& c : cases) {
        const DrumKitLayout layout = DrumKitLayout::fitting(c.size);
        EXPECT_DOUBLE_EQ(layout.scale, c.scale) << c.size.width();
        EXPECT_EQ(layout.origin, c.origin) << c.size.width();
    }
    // The snare's click target at scale 2: centre (480, 226), 135 × 80, doubled.
    EXPECT_EQ(DrumKitLayout::fitting({1340, 760}).hitRect(Drum::snare), QRectF(825, 372, 270, 160));
    EXPECT_EQ(DrumKitLayout::fitting({670, 500}).labelCenter(Drum::hihat), QPointF(588, 112));
}

TEST(DrumKitMotion, AgeAndStrengthOfAHit) {
    const DrumHits hits{{Drum::kick, {10.0, 1.3}}, {Drum::snare, {10.0, 0.4}}};
    EXPECT_DOUBLE_EQ(hitAge(hits, Drum::kick, 10.5).value(), 0.5);
    EXPECT_FALSE(hitAge(hits, Drum::kick, 9.9));   // before the hit
    EXPECT_FALSE(hitAge(hits, Drum::kick, 11.7));  // settled
    EXPECT_FALSE(hitAge(hits, Drum::tom, 10.5));   // never hit
    EXPECT_DOUBLE_EQ(hitStrength(hits, Drum::kick), 1.0);
    EXPECT_DOUBLE_EQ(hitStrength(hits, Drum::snare), 0.4);
    EXPECT_DOUBLE_EQ(hitStrength(hits, Drum::tom), 0.7);
}

TEST(DrumKitMotion, RingsDentAndGlowOfAStruckHead) {
    // 0.1 s after a full-strength hit: p = 0.19; the third ring has not begun.
    auto rings = headRings(0.1, 1.0);
    ASSERT_TRUE(rings[0] && rings[1]);
    EXPECT_FALSE(rings[2]);
    EXPECT_NEAR(rings[0]->scale, 0.31, 1e-12);
    EXPECT_NEAR(rings[0]->opacity, 0.6075, 1e-12);
    EXPECT_NEAR(rings[0]->lineWidth, 1.934, 1e-12);
    EXPECT_NEAR(rings[1]->scale, 0.18, 1e-12);
    EXPECT_NEAR(rings[1]->opacity, 0.705, 1e-12);
    // 0.6 s: p = 1.14; only the last ring is still spreading, at half strength.
    rings = headRings(0.6, 0.5);
    EXPECT_FALSE(rings[0] || rings[1]);
    ASSERT_TRUE(rings[2]);
    EXPECT_NEAR(rings[2]->scale, 1.0, 1e-12);
    EXPECT_NEAR(rings[2]->opacity, 0.12 * 0.75 * 0.5, 1e-12);

    EXPECT_NEAR(dentOpacity(0, 1, 0.85), 0.187, 1e-12);
    EXPECT_NEAR(dentOpacity(0.1, 1, 1.0), 0.22 * 0.16529888822158653, 1e-12);
    EXPECT_NEAR(headGlowOpacity(0, 0.5), 0.21, 1e-12);
    EXPECT_NEAR(headGlowOpacity(0.2, 1), 0.42 * 0.36787944117144233, 1e-12);
}

TEST(DrumKitMotion, TheHiHatDropsTiltsAndComesBack) {
    HiHatPose pose = hiHatPose(0.0, 1.0, false);
    EXPECT_DOUBLE_EQ(pose.centerY, 120.5);
    EXPECT_DOUBLE_EQ(pose.rotation, 0);
    EXPECT_DOUBLE_EQ(pose.k, 0.42);
    EXPECT_DOUBLE_EQ(pose.glowOpacity, 0.35);

    pose = hiHatPose(0.1, 1.0, false);
    EXPECT_NEAR(pose.centerY, 118.20521249655974, 1e-9);
    EXPECT_NEAR(pose.rotation, 0.13 * 0.675463180551151 * 0.7261490370736908, 1e-12);
    EXPECT_NEAR(pose.k, 0.26 + 0.16 * -0.32328956686350335 * 0.7261490370736908, 1e-12);
    EXPECT_NEAR(pose.gradientAngle, 0.3, 1e-12);

    // At rest, and whenever motion is reduced: level, closed, no glow.
    for (const HiHatPose still : {hiHatPose(std::nullopt, 1.0, false), hiHatPose(0.1, 1.0, true)}) {
        EXPECT_DOUBLE_EQ(still.centerY, 118);
        EXPECT_DOUBLE_EQ(still.rotation, 0);
        EXPECT_DOUBLE_EQ(still.k, 0.26);
        EXPECT_DOUBLE_EQ(still.glowOpacity, 0);
    }
}

TEST(DrumKitMotion, SticksSwingAwayAndTheTomsTheOtherWay) {
    const double swing = (1 - 0.16529888822158653) * 0.45;  // 0.2 s after a full hit
    const auto tom = stickPose(-2.25, 0.2, 1.0);
    const auto snare = stickPose(-0.85, 0.2, 1.0);
    const auto hihat = stickPose(-1.05, 0.2, 1.0);
    ASSERT_TRUE(tom && snare && hihat);
    EXPECT_NEAR(tom->angle, -2.25 - swing, 1e-12);
    EXPECT_NEAR(snare->angle, -0.85 + swing, 1e-12);
    EXPECT_NEAR(hihat->angle, -1.05 + swing, 1e-12);
    EXPECT_NEAR(snare->opacity, 1 - 0.2 / 0.45, 1e-12);
    EXPECT_NEAR(stickPose(-0.85, 0.0, 1.0)->angle, -0.85, 1e-12);
    EXPECT_FALSE(stickPose(-0.85, 0.45, 1.0));
    EXPECT_FALSE(stickPose(-0.85, std::nullopt, 1.0));
}

TEST(DrumKitCanvas, SpeckleDotsAreFixedAndStayInsideTheShell) {
    // The generator's first draw for seed 0: x = 0x9E3779B9, then x ^= x << 13,
    // x ^= x >> 17, x ^= x << 5 gives 1359758873, read as 8873 / 10000.
    Xorshift32 generator(0);
    EXPECT_DOUBLE_EQ(generator.next(), 0.8873);

    const QRectF shell(112, 108, 120, 90);
    const auto dots = speckleDots(4, shell);
    ASSERT_EQ(dots.size(), 70u);
    EXPECT_EQ(dots.front().center, speckleDots(4, shell).front().center);
    for (const SpeckleDot& dot : dots) {
        EXPECT_TRUE(shell.adjusted(4, 4, -4, -4).contains(dot.center));
        EXPECT_TRUE(dot.diameter >= 0.6 && dot.diameter <= 1.7);
        EXPECT_TRUE(dot.opacity >= 0.1 && dot.opacity <= 0.45);
    }

    // Without hits the kit looks the same at any time: nothing shimmers.
    const auto draw = [](double now) {
        QImage image(335, 190, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        DrumKitCanvas canvas;
        canvas.now = now;
        canvas.paint(painter, image.size());
        return image;
    };
    EXPECT_EQ(draw(3), draw(1000));
}

struct DrumKitViewTest : ViewTest {
    ManualClock clock;
    std::unique_ptr<ConfigurationModel> model = makeModel();
};

TEST_F(DrumKitViewTest, ClickingADrumPreviewsItAndAnimatesUntilItSettles) {
    DrumKitView view(*model, false, clock.function());
    view.resize(700, 380);
    view.show();
    EXPECT_FALSE(view.timelineRunning());

    QTest::mouseClick(test::find(&view, "Play Snare"), Qt::LeftButton);
    EXPECT_EQ(model->hits(Drum::snare), 1);
    EXPECT_TRUE(view.timelineRunning());
    EXPECT_EQ(view.canvas().age(Drum::snare), 0.0);

    // A tom hit while the snare still rings: both animate.
    clock.now += 1.0;
    QTest::mouseClick(test::find(&view, "Play Tom"), Qt::LeftButton);
    const DrumKitCanvas both = view.canvas();
    EXPECT_EQ(both.age(Drum::snare), 1.0);
    EXPECT_EQ(both.age(Drum::tom), 0.0);
    EXPECT_DOUBLE_EQ(both.strength(Drum::tom), 0.7);

    // Once the last hit has settled the timeline stops by itself.
    clock.now += 2 * hitSettle;
    EXPECT_TRUE(test::waitFor([&] { return !view.timelineRunning(); }));
    EXPECT_FALSE(view.canvas().age(Drum::tom));
}

TEST_F(DrumKitViewTest, WithReducedMotionHitsNeverStartTheTimeline) {
    DrumKitView view(*model, true, clock.function());
    view.resize(700, 380);
    view.show();
    QTest::mouseClick(test::find(&view, "Play Kick"), Qt::LeftButton);
    EXPECT_EQ(model->hits(Drum::kick), 1);
    EXPECT_FALSE(view.timelineRunning());
    // The still picture still shows the hit's glow.
    EXPECT_EQ(view.canvas().age(Drum::kick), 0.0);
}

TEST_F(DrumKitViewTest, WhilePlayingAClickPreviewsWithoutCountingAHit) {
    model = makeModel(player(test::endOnTerm + test::waitForTerm));
    DrumKitView view(*model, false, clock.function());
    view.resize(700, 380);
    view.show();
    model->start();
    ASSERT_TRUE(model->active());
    QTest::mouseClick(test::find(&view, "Play Snare"), Qt::LeftButton);
    EXPECT_EQ(model->hits(Drum::snare), 0);
    EXPECT_FALSE(view.timelineRunning());
    model->stop();
    EXPECT_TRUE(test::waitFor([&] { return !model->active(); }));
}

TEST(DrumKitView, TheKickHeadNamesTheKicksKitAndEachDrumWhereToTapIt) {
    EXPECT_EQ(DrumKitView::kickLabel(DrumKit::electronic), "808 KIT");
    EXPECT_EQ(DrumKitView::kickLabel(DrumKit::lofi), "LO-FI KIT");
    EXPECT_EQ(DrumKitView::tapPlace(Drum::kick), "left · light");
    EXPECT_EQ(DrumKitView::tapPlace(Drum::tom), "left · firm");
    EXPECT_EQ(DrumKitView::tapPlace(Drum::hihat), "right · light");
    EXPECT_EQ(DrumKitView::tapPlace(Drum::snare), "right · firm");
}

}  // namespace
}  // namespace knockbox
