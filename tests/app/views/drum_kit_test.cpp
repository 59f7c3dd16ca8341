// The drum kit: where it lies in a view, its animation at fixed instants, and
// the view that turns the model's hit counters into animations. (A click
// while playing: main_window_test.)
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

// The curves themselves are for the eye to judge (tools/window_pictures); these
// hold what a wrong sign or a wrong end would break.
TEST(DrumKitMotion, AHitAnimatesOnlyUntilItSettles) {
    const DrumHits hits{{Drum::kick, {10.0, 1.3}}, {Drum::snare, {10.0, 0.4}}};
    // (The age after a hit and after it settles: DrumKitViewTest.)
    EXPECT_FALSE(hitAge(hits, Drum::kick, 9.9));  // before the hit
    EXPECT_FALSE(hitAge(hits, Drum::tom, 10.5));  // never hit
    EXPECT_DOUBLE_EQ(hitStrength(hits, Drum::kick), 1.0);
    EXPECT_DOUBLE_EQ(hitStrength(hits, Drum::snare), 0.4);

    // The rings start one after another; at 0.6 s only the last still spreads.
    auto rings = headRings(0.1, 1.0);
    EXPECT_TRUE(rings[0] && rings[1] && !rings[2]);
    rings = headRings(0.6, 0.5);
    EXPECT_TRUE(!rings[0] && !rings[1] && rings[2]);
    EXPECT_LT(dentOpacity(0.1, 1, 1), dentOpacity(0, 1, 1));
    EXPECT_LT(headGlowOpacity(0.2, 1), headGlowOpacity(0, 1));

    // (The hi-hat lit by a hit, and still with reduced motion: DrumKitCanvas.AHitBrightensItsOwnDrumsArea.)

    // Sticks swing away from their drum (the tom's the other way) and vanish.
    EXPECT_GT(stickPose(-0.85, 0.2, 1.0)->angle, -0.85);
    EXPECT_LT(stickPose(-2.25, 0.2, 1.0)->angle, -2.25);
    EXPECT_FALSE(stickPose(-0.85, stickVisible, 1.0));
    EXPECT_FALSE(stickPose(-0.85, std::nullopt, 1.0));
}

const QSize kitSize(670, 380);

// The kit at `now`, with one drum struck at 10 s.
QImage drawKit(double now, std::optional<Drum> struck = std::nullopt, bool reduceMotion = false) {
    QImage image(kitSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrumKitCanvas canvas;
    canvas.now = now;
    canvas.reduceMotion = reduceMotion;
    if (struck) canvas.hits[*struck] = {10.0, 1.0};
    canvas.paint(painter, kitSize);
    painter.end();
    return image;
}

TEST(DrumKitCanvas, SpeckleDotsAreFixedAndStayInsideTheShell) {
    const QRectF shell(112, 108, 120, 90);
    const auto dots = speckleDots(4, shell);
    ASSERT_FALSE(dots.empty());
    EXPECT_EQ(dots.back().center, speckleDots(4, shell).back().center);
    for (const SpeckleDot& dot : dots) EXPECT_TRUE(shell.adjusted(4, 4, -4, -4).contains(dot.center));

    // Without hits the kit looks the same at any time: nothing shimmers.
    EXPECT_EQ(drawKit(3), drawKit(1000));
}

// A hit lights its own drum's area and no other's; with reduced motion too,
// except the hi-hat, whose hit only moves the cymbal. (The pictures for the
// eye: build/tools/window_pictures.)
TEST(DrumKitCanvas, AHitBrightensItsOwnDrumsArea) {
    for (bool reduceMotion : {false, true}) {
        const QImage rest = drawKit(10.05, std::nullopt, reduceMotion);
        for (Drum struck : allDrums) {
            const QImage hit = drawKit(10.05, struck, reduceMotion);  // struck 50 ms ago
            for (Drum drum : allDrums) {
                const QRect area = DrumKitLayout::fitting(kitSize).hitRect(drum).toRect();
                double change = 0;  // the mean change of grey level
                for (int y = area.top(); y <= area.bottom(); ++y)
                    for (int x = area.left(); x <= area.right(); ++x) change += qGray(hit.pixel(x, y)) - qGray(rest.pixel(x, y));
                change /= area.width() * area.height();
                const bool lit = drum == struck && !(reduceMotion && drum == Drum::hihat);
                EXPECT_TRUE(lit ? change > 3 : std::abs(change) < 2)
                    << rawValue(struck) << " struck, " << rawValue(drum) << "'s area: " << change << " reduced motion "
                    << reduceMotion;
            }
        }
    }
}

struct DrumKitViewTest : ViewTest {
    double now = 100;  // time moves only when the test says
    std::unique_ptr<ConfigurationModel> model = makeModel();
    std::unique_ptr<DrumKitView> show(bool reduceMotion = false) {
        auto view = std::make_unique<DrumKitView>(*model, reduceMotion, [this] { return now; });
        view->resize(700, 380);
        view->show();
        return view;
    }
};

TEST_F(DrumKitViewTest, ClickingADrumPreviewsItAndAnimatesUntilItSettles) {
    auto view = show();
    EXPECT_FALSE(view->timelineRunning());

    QTest::mouseClick(test::find(view.get(), "Play Snare"), Qt::LeftButton);
    EXPECT_EQ(model->hits(Drum::snare), 1);
    EXPECT_TRUE(view->timelineRunning());
    EXPECT_EQ(view->canvas().age(Drum::snare), 0.0);

    // A tom hit while the snare still rings: both animate.
    now += 1.0;
    QTest::mouseClick(test::find(view.get(), "Play Tom"), Qt::LeftButton);
    EXPECT_EQ(view->canvas().age(Drum::snare), 1.0);
    EXPECT_EQ(view->canvas().age(Drum::tom), 0.0);

    // Once the last hit has settled the timeline stops by itself.
    now += 2 * hitSettle;
    EXPECT_TRUE(test::waitFor([&] { return !view->timelineRunning(); }));
    EXPECT_FALSE(view->canvas().age(Drum::tom));

    // With reduced motion a hit never starts the timeline.
    auto still = show(true);
    QTest::mouseClick(test::find(still.get(), "Play Kick"), Qt::LeftButton);
    EXPECT_EQ(model->hits(Drum::kick), 1);
    EXPECT_FALSE(still->timelineRunning());
    EXPECT_EQ(still->canvas().age(Drum::kick), 0.0);
}

TEST(DrumKitView, TheKickHeadNamesTheWholeKitOrTheKicksOwnSound) {
    EXPECT_EQ(DrumKitView::kickLabel(SoundSelection::all(DrumKit::lofi)), "LO-FI KIT");
    SoundSelection mixed;
    mixed.kick = DrumKit::electronic;
    EXPECT_EQ(DrumKitView::kickLabel(mixed), "808 KICK");
}

}  // namespace
}  // namespace knockbox
