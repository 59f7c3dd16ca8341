// The window playing through the real player: live play on the simulated
// sensor, as an unprivileged user (the player refuses root), started and
// stopped with the window's own button.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "app/qstring_printer.h"
#include "app/views/configuration_view.h"
#include "app/views/drum_kit_view.h"
#include "app/views/main_window.h"
#include "app/views/view_fixture.h"
#include "support/scenes.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {

// A shell command line: each word quoted. Built with << since GCC 12 warns
// falsely (-Wrestrict) on "text" + std::string.
std::string quoted(const std::vector<std::string>& words) {
    std::ostringstream line;
    for (const std::string& word : words) line << '\'' << word << "' ";
    return line.str();
}

int total(const DrumCounts& counts) {
    int sum = 0;
    for (const auto& [drum, count] : counts) sum += count;
    return sum;
}

struct RealPlayerWindow : test::ViewTest {};

// The model counts per drum the hits the recording holds (the detector finds
// each placed tap: tests/detection), and the kit flashes each of those drums.
TEST_F(RealPlayerWindow, PlayFlashesTheRecordingsDrumsAndStopEndsTheRun) {
#ifdef __APPLE__
    GTEST_SKIP() << "the simulated sensor exists on Linux only";
#else
    // All four drums after the warm-up, then a minute of quiet: the simulated
    // sensor loops the recording, and its taps must not come round again
    // before the test stops the player, however long a busy machine makes it wait.
    simulation::Scene scene = test::fourDrums(31, 60.0);
    scene.taps.push_back({3.4, Side::left, simulation::Strength::gentle, 0.08});
    const std::filesystem::path recording = folder / "groove.csv";
    test::writeRecording(recording, scene);
    DrumCounts placed;
    for (const simulation::IntendedHit& hit : simulation::intendedHits(scene)) ++placed[hit.drum];
    ASSERT_EQ(placed.size(), 4u);

    // The model adds its own arguments.
    const test::Command command = test::asUnprivilegedUser(KNOCKBOX_EXECUTABLE);
    std::vector<std::string> words{command.executable};
    words.insert(words.end(), command.setup.arguments.begin(), command.setup.arguments.end());
    auto model = makeModel(player("cd " + quoted({command.setup.workingDirectory.value_or(folder.path())}) +
                                  "\nexec " + quoted(words) + "\"$@\"\n"));  // past onboarding: hits animate
    UISettings settings = model->settings();
    settings.useProfile = false;  // no saved profile may decide the sides
    model->setSettings(settings);

    MainWindow window(*model, false);
    window.show();
    DrumKitView& kit = window.view().drumKit();
    std::set<Drum> flashed;  // drums the kit started animating
    QObject::connect(model.get(), &ConfigurationModel::hitsChanged, [&] {
        for (const auto& [drum, hit] : kit.canvas().hits)
            if (kit.canvas().age(drum)) flashed.insert(drum);
    });
    std::vector<QString> statuses;
    QObject::connect(model.get(), &ConfigurationModel::statusChanged, [&] { statuses.push_back(model->status()); });
    const auto statusTrail = [&] {
        std::string trail;
        for (const QString& status : statuses) trail += "\n  " + status.toStdString();
        return trail;
    };

    qputenv("KNOCKBOX_SIMULATED_SPU", QByteArray::fromStdString(recording.string()));
    QTest::mouseClick(test::find<QAbstractButton>(&window, "Play"), Qt::LeftButton);
    qunsetenv("KNOCKBOX_SIMULATED_SPU");
    ASSERT_TRUE(model->active()) << model->status().toStdString();
    EXPECT_EQ(model->status(), "Don't touch your MacBook for 2 seconds");

    // Live play keeps pace with the sensor, which falls behind real time on a
    // busy machine: wait for the hits, not for a time.
    EXPECT_TRUE(test::waitFor([&] { return total(model->hits()) >= total(placed) || !model->active(); }))
        << statusTrail();
    QTest::mouseClick(test::find<QAbstractButton>(&window, "Stop"), Qt::LeftButton);
    ASSERT_TRUE(test::waitFor([&] { return !model->active(); })) << statusTrail();

    EXPECT_EQ(model->hits(), placed) << statusTrail();
    EXPECT_EQ(flashed, std::set<Drum>(allDrums.begin(), allDrums.end())) << statusTrail();
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Ready — start playing!"), statuses.end()) << statusTrail();
    EXPECT_EQ(model->status(), "Ready for the next groove");
#endif
}

}  // namespace
}  // namespace knockbox
