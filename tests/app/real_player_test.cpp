// The model running the real player: live play on the simulated sensor, as an
// unprivileged user (the player refuses root), counted per drum.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include <QSettings>
#include <QTest>

#include "app/configuration_model.h"
#include "app/qstring_printer.h"
#include "recording/csv_recording.h"
#include "simulation/tap_simulation.h"
#include "support/child_process.h"
#include "support/unprivileged.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;

// All four drums after the warm-up, then quiet: the simulated sensor loops
// the recording, and its taps come round again long after the test stopped.
simulation::Scene groove() {
    simulation::Scene scene;
    scene.seed = 31;
    scene.duration = 9.0;
    using simulation::Strength;
    scene.taps = {{2.2, Side::left, Strength::gentle, 0.09},
                  {2.5, Side::right, Strength::gentle, 0.10},
                  {2.8, Side::left, Strength::firm, 0.30},
                  {3.1, Side::right, Strength::firm, 0.35},
                  {3.4, Side::left, Strength::gentle, 0.08}};
    return scene;
}

// A shell command line: each word quoted. Built with << since GCC 12 warns
// falsely (-Wrestrict) on "text" + std::string.
std::string commandLine(const std::vector<std::string>& words) {
    std::ostringstream line;
    for (const std::string& word : words) line << '\'' << word << "' ";
    return line.str();
}

TEST(RealPlayer, CountsPerDrumTheHitsThatTheRecordingsReplayPrints) {
#ifdef __APPLE__
    GTEST_SKIP() << "the simulated sensor exists on Linux only";
#else
    test::TemporaryDirectory folder;
    const fs::path recording = folder / "groove.csv";
    std::ofstream(recording) << recordingText(simulation::render(groove()));

    // The replay runs in real time too, beside the live run.
    test::ChildProcess replay(KNOCKBOX_EXECUTABLE,
                              {.arguments = {"--replay", recording.string(), "--mute", "--no-side-profile",
                                             "--duration", "4"}});

    // The model adds its own arguments.
    const test::Command command = test::asUnprivilegedUser(KNOCKBOX_EXECUTABLE);
    std::vector<std::string> words{command.executable};
    words.insert(words.end(), command.setup.arguments.begin(), command.setup.arguments.end());
    std::ofstream(folder / "player") << "#!/bin/sh\n"
                                     << "cd " << commandLine({command.setup.workingDirectory.value_or(folder.path())})
                                     << "\nexec " << commandLine(words) << "\"$@\"\n";
    fs::permissions(folder / "player", fs::perms::owner_all);

    ConfigurationModel::Setup setup;
    setup.preferences =
        std::make_unique<QSettings>(QString::fromStdString((folder / "preferences.ini").string()), QSettings::IniFormat);
    setup.preferences->setValue("onboardingComplete", true);  // hits animate only past onboarding
    setup.settingsFile = folder / "settings.json";
    setup.executable = folder / "player";
    ConfigurationModel model(std::move(setup));
    UISettings settings;
    settings.muted = true;
    settings.useProfile = false;  // no saved profile may decide the sides
    model.setSettings(settings);
    bool wasReady = false;
    QObject::connect(&model, &ConfigurationModel::readyChanged, [&] { wasReady = wasReady || model.ready(); });
    std::string statuses;  // for a failure's message
    QObject::connect(&model, &ConfigurationModel::statusChanged,
                     [&] { statuses += "\n  " + model.status().toStdString(); });

    qputenv("KNOCKBOX_SIMULATED_SPU", QByteArray::fromStdString(recording.string()));
    model.start();
    qunsetenv("KNOCKBOX_SIMULATED_SPU");
    ASSERT_TRUE(model.active()) << model.status().toStdString();

    const test::ProcessResult replayed = replay.wait(60);
    ASSERT_EQ(replayed.exitStatus, 0) << replayed.err;
    DrumCounts replayedHits;
    int total = 0;
    const std::regex hitLine("[LR]  (\\w+) .*");
    for (const std::string& line : test::linesOf(replayed.err)) {
        std::smatch match;
        if (!std::regex_match(line, match, hitLine)) continue;
        ++replayedHits[parseDrum(match[1].str()).value()];
        ++total;
    }
    ASSERT_EQ(replayedHits.size(), 4u) << replayed.err;

    // Live play keeps pace with the sensor, which falls behind real time on a
    // busy machine: wait for the hits, not for a time.
    const auto liveTotal = [&] {
        int sum = 0;
        for (const auto& [drum, count] : model.hits()) sum += count;
        return sum;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return liveTotal() >= total || !model.active(); }, 60000)) << statuses;
    model.stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.active(); }, 60000)) << statuses;

    EXPECT_TRUE(wasReady) << statuses;
    EXPECT_EQ(model.hits(), replayedHits) << statuses;
    EXPECT_FALSE(model.failed());
    EXPECT_EQ(model.status(), "Ready for the next groove");
#endif
}

}  // namespace
}  // namespace knockbox
