// The model driven by small fake players (app/model_fixture.h).
#include "app/configuration_model.h"

#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cerrno>

#include <QCoreApplication>

#include "app/drum_names.h"
#include "app/model_fixture.h"
#include "app/qstring_printer.h"
#include "player/process_values.h"

namespace knockbox {
namespace {
namespace fs = std::filesystem;
using test::endOnTerm;
using test::ModelTest;
using test::waitFor;
using test::waitForTerm;

const std::string readyLine = lines::ready(800, 0.05, 0.16, 0.12);
const char* const refusedSettings = "Restore the default settings and try again.";

std::string print(const std::vector<std::string>& lines) {
    std::string script;
    for (const std::string& line : lines) script += "echo '" + line + "'\n";
    return script;
}

void finish(ConfigurationModel& model) {
    ASSERT_TRUE(waitFor([&] { return !model.active(); })) << model.status().toStdString();
}

// A run's hits counted, a second start ignored, and Stop sending SIGTERM.
TEST_F(ModelTest, HitsAreCountedWithTheVelocityStoredFirstAndStopSendsSigterm) {
    auto model = makeModel(player("echo started >> \"$DIR/starts\"\n" + endOnTerm +
                                  print({std::string(lines::sensorStart), readyLine,
                                         lines::hit(Side::left, Drum::tom, 0.2, 0.7),
                                         lines::hit(Side::right, Drum::hihat, 0.08, 0.3),
                                         lines::hit(Side::left, Drum::tom, 0.3, 0.95),
                                         "L  kick    peak 0.080 g"}) +  // no volume to read
                                  waitForTerm));
    std::vector<double> velocitySeen;  // the hit drum's velocity when its counter changes
    const Drum order[] = {Drum::tom, Drum::hihat, Drum::tom, Drum::kick};
    QObject::connect(model.get(), &ConfigurationModel::hitsChanged, [&] {
        int total = 0;
        for (const auto& [drum, count] : model->hits()) total += count;
        velocitySeen.push_back(model->hitVelocity().at(order[total - 1]));
    });
    std::vector<bool> readySeen;
    QObject::connect(model.get(), &ConfigurationModel::readyChanged, [&] { readySeen.push_back(model->ready()); });
    std::vector<QString> statuses;
    QObject::connect(model.get(), &ConfigurationModel::statusChanged, [&] { statuses.push_back(model->status()); });
    int stopped = 0;
    model->setOnStopped([&] { ++stopped; });

    model->start();
    EXPECT_TRUE(model->active());
    ASSERT_TRUE(waitFor([&] { return model->lastDrum() == Drum::kick; }));
    model->start();
    model->selectKit(DrumKit::live);  // sounds change only while idle
    model->stop();
    EXPECT_TRUE(model->active() && model->stopping());
    finish(*model);

    EXPECT_EQ(model->hits(), (DrumCounts{{Drum::tom, 2}, {Drum::hihat, 1}, {Drum::kick, 1}}));
    EXPECT_EQ(velocitySeen, (std::vector<double>{0.7, 0.3, 0.95, 0.7}));
    EXPECT_EQ(readySeen, (std::vector<bool>{true, false}));
    EXPECT_FALSE(model->failed() || model->stopping());
    // While playing the status counts the run's hits.
    EXPECT_EQ(statuses, (std::vector<QString>{"Don't touch your MacBook for 2 seconds", "Ready — start playing!",
                                              "Playing · 1 hit · last: tom", "Playing · 2 hits · last: hi-hat",
                                              "Playing · 3 hits · last: tom", "Playing · 4 hits · last: kick",
                                              "Stopping…", "Ready for the next groove"}));
    EXPECT_EQ(stopped, 1);
    EXPECT_EQ(test::readFile(folder / "starts"), "started\n");
    EXPECT_EQ(model->settings().sounds, SoundSelection{});
    model->stop();  // nothing to stop
    EXPECT_EQ(model->status(), "Ready for the next groove");
}

// The failure lines' own texts: PlayerMessage.FailuresByFamily.
TEST_F(ModelTest, HowARunEndsDecidesTheStatus) {
    const std::string stalled = "The motion sensor stopped sending data. Press Play to start again.";
    const std::string noConnection = "Couldn't connect. Please try again.";
    const struct {
        std::string script, status;
        bool failed;
    } cases[] = {
        {"exit 0", "Ready for the next groove", false},
        {print({lines::error("brak danych")}) + "exit 1", "Player error: brak danych", true},
        {print({lines::error("brak danych")}) + "exit 0", "Player error: brak danych", true},
        // The first failure names the cause; the player's word on its ended
        // sensor process follows from it.
        {print({lines::error(lines::streamStalled), lines::summary(0, 0, 0), lines::error(lines::sensorProcessEnded(1))}) +
             "exit 1",
         stalled, true},
        {"exit 1", noConnection, true},
        {"kill -KILL $$", noConnection, true},
    };
    for (const auto& c : cases) {
        auto model = makeModel(player(c.script));
        model->start();
        finish(*model);
        EXPECT_EQ(model->status().toStdString(), c.status) << c.script;
        EXPECT_EQ(model->failed(), c.failed) << c.script;
        EXPECT_EQ(model->calibrationHint().toStdString(), c.failed ? c.status : "") << c.script;
        EXPECT_FALSE(model->stopping() || model->ready()) << c.script;
        // The next run can start at once, and starts clean; the same failure
        // again says so, so that the new attempt shows.
        model->start();
        EXPECT_TRUE(model->active()) << c.script;
        EXPECT_FALSE(model->failed()) << c.script;
        finish(*model);
        EXPECT_EQ(model->status().toStdString(), c.status + (c.failed ? " (attempt 2)" : "")) << c.script;
    }
    // A player that cannot be started fails at once.
    std::ofstream(folder / "not-a-program") << "#!/bin/sh\n";  // not executable
    auto model = makeModel(folder / "not-a-program");
    model->start();
    EXPECT_FALSE(model->active());
    EXPECT_TRUE(model->failed());
    EXPECT_EQ(model->status(), "Couldn't start. Please try again.");
    EXPECT_EQ(model->calibrationHint(), "Couldn't start. Please try again.");
}

// The player's exit and the end of its output come in either order; the run
// ends only after both, with the last line read, even one without a line feed.
TEST_F(ModelTest, ARunEndsAfterBothTheExitAndTheEndOfOutput) {
    const std::string lastLine = lines::hit(Side::right, Drum::snare, 0.4, 0.8);
    for (const bool exitFirst : {false, true}) {
        const fs::path go = gate(exitFirst ? "exit-first" : "output-first");
        const std::string wait = "read x < '" + go.string() + "'";
        // When the player exits first, a program it started keeps the pipe open.
        auto model = makeModel(player(
            exitFirst ? "echo $$ > \"$DIR/pid\"\n(" + wait + "; printf '" + lastLine + "') &\nexit 0\n"
                      : print({lastLine}) + "exec >&- 2>&-\ntouch \"$DIR/closed\"\n" + wait + "\nexit 0\n"));
        int stopped = 0;
        model->setOnStopped([&] { ++stopped; });
        model->start();
        if (exitFirst) {
            pid_t pid = 0;
            ASSERT_TRUE(waitFor([&] { return (std::ifstream(folder / "pid") >> pid) && pid > 0; }));
            // Reaped (and its exit status reported) once the process is gone entirely.
            ASSERT_TRUE(waitFor([&] { return ::kill(pid, 0) == -1 && errno == ESRCH; }));
            EXPECT_EQ(model->hits(Drum::snare), 0);
        } else {
            ASSERT_TRUE(waitFor([&] { return model->hits(Drum::snare) == 1 && fs::exists(folder / "closed"); }));
            // The end of the output is in the pipe now; let the model read it.
            for (int turn = 0; turn < 20; ++turn) QCoreApplication::processEvents();
        }
        EXPECT_TRUE(model->active()) << exitFirst;

        open(go);
        finish(*model);
        EXPECT_EQ(model->hits(Drum::snare), 1) << exitFirst;
        EXPECT_EQ(model->hitVelocity().at(Drum::snare), 0.8) << exitFirst;
        EXPECT_EQ(model->status(), "Ready for the next groove");
        EXPECT_EQ(stopped, 1) << exitFirst;
    }
}

TEST_F(ModelTest, TheSettingsNoteSaysWhetherTheFileHoldsTheSettings) {
    auto model = makeModel(player("touch \"$DIR/ran\"\n"));  // muted, not yet saved
    EXPECT_EQ(model->settingsNote(), "Unsaved changes");
    model->save();
    EXPECT_EQ(model->settingsNote(), "Saved");
    const UISettings saved = model->settings();
    UISettings invalid = saved;
    invalid.accent = invalid.threshold;
    model->setSettings(invalid);
    EXPECT_EQ(model->settingsNote(), "Unsaved changes");
    model->save();  // refused: its reason shows, never "Saved"
    EXPECT_EQ(model->settingsNote(), refusedSettings);
    EXPECT_EQ(model->notice(), refusedSettings);
    model->start();
    EXPECT_FALSE(model->active());
    EXPECT_EQ(model->status(), refusedSettings);
    EXPECT_FALSE(fs::exists(folder / "ran"));
    model->setSettings(saved);  // back to what the file holds
    EXPECT_EQ(model->settingsNote(), "");
    // A new model starts with what the file holds: nothing unsaved.
    EXPECT_FALSE(makeModel(std::nullopt, std::nullopt)->unsavedChanges());
}

// Where the main screen says each drum is tapped. (The view reads it with the
// sides swapped: ViewTest.AssistiveTechnology….)
TEST(TapPlace, FollowsSwapSides) {
    const struct {
        Drum drum;
        const char *place, *swappedPlace;
    } places[] = {{Drum::kick, "left · light", "right · light"},
                  {Drum::tom, "left · firm", "right · firm"},
                  {Drum::hihat, "right · light", "left · light"},
                  {Drum::snare, "right · firm", "left · firm"}};
    for (const auto& place : places) {
        EXPECT_EQ(tapPlace(place.drum, false), place.place);
        EXPECT_EQ(tapPlace(place.drum, true), place.swappedPlace);
    }
}

TEST_F(ModelTest, PreviewsAnimateUnlessOnboardingAndPlayUnlessMuted) {
    auto model = makeModel();  // muted
    model->preview(Drum::snare);  // (animated: DrumKitViewTest)
    EXPECT_EQ(model->status(), "Pick your sounds or start playing");  // nothing tried to play
#ifndef __APPLE__
    // A sound server that does not exist: any attempt to play fails visibly.
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", QByteArray("unix:") + QByteArray::fromStdString((folder / "no-server").string()));
    model = makeModel(std::nullopt, false);
    model->setSettings(UISettings{});
    EXPECT_TRUE(model->showOnboarding());
    model->preview(Drum::kick);  // onboarding shown: heard, not animated
    EXPECT_EQ(model->hits(Drum::kick), 0);
    EXPECT_EQ(model->status(), "Couldn't play the sound.");
    if (server.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", server);
#endif
}

// The defaults apply, but what the user had is kept beside, never over an
// earlier kept file, and the status says where once.
TEST_F(ModelTest, AnUnusableSettingsFileIsSetAsideAndTheStatusSaysWhere) {
    fs::create_directories(settingsFile.parent_path());
    std::ofstream(settingsFile) << R"({"threshold": 0.9})";  // the player refuses 0.9
    auto model = makeModel();
    const fs::path kept = settingsFile.string() + ".invalid";
    EXPECT_EQ(model->status().toStdString(),
              "Couldn't read your settings, so the defaults are in use. The old file is kept as " + kept.string() + ".");
    model->selectKit(DrumKit::lofi);
    EXPECT_EQ(test::readFile(kept), R"({"threshold": 0.9})");
    // Then a FIFO there, which must not hold the app, goes beside the first.
    ASSERT_TRUE(fs::remove(settingsFile) && ::mkfifo(settingsFile.c_str(), 0600) == 0);
    model = makeModel();
    EXPECT_EQ(model->settings().sounds, SoundSelection{});
    EXPECT_EQ(std::distance(fs::directory_iterator(settingsFile.parent_path()), fs::directory_iterator()), 2);
    EXPECT_FALSE(fs::exists(settingsFile));
}

// Each calibration ends on its last verification state and its profile saved.
// The player gets the settings, the mode and the profile's location, and
// standard input is the pipe that ends when the app goes.
TEST_F(ModelTest, OnboardingThroughBothCalibrationsThenASecondModelSeesItsResult) {
    const fs::path calibration = player(
        "printf '%s\\n' \"$@\" > \"$DIR/arguments\"\neval \"echo \\${$#}\" >> \"$DIR/modes\"\n"
        "printf '%s' \"$KNOCKBOX_SIDE_PROFILE\" > \"$DIR/profile\"\n[ -p /dev/stdin ] && echo pipe > \"$DIR/input\"\n" +
        endOnTerm +
        print({lines::calibration({"Weryfikacja", std::nullopt, 3, 3, 3, 0, false}), lines::profileSaved(false, 3, 3)}) +
        waitForTerm);
    auto model = makeModel(calibration, false);
    ASSERT_TRUE(model->showOnboarding());
    ASSERT_EQ(model->stage(), OnboardingStage::welcome);
    model->selectKit(DrumKit::lofi);
    std::vector<std::pair<OnboardingStage, bool>> stages;  // each new stage and whether a player was active
    QObject::connect(model.get(), &ConfigurationModel::stageChanged,
                     [&] { stages.emplace_back(model->stage(), model->active()); });

    model->beginCalibration(false);
    ASSERT_TRUE(model->active());
    ASSERT_TRUE(waitFor([&] { return model->stage() == OnboardingStage::between; }));
    EXPECT_EQ(model->leftCount(), 3);  // (every field of the progress: CalibrationProgress)
    EXPECT_TRUE(model->verifying());
    EXPECT_EQ(model->calibrationHint(), "Calibration complete — start playing!");
    EXPECT_FALSE(model->failed());

    model->beginCalibration(true);
    EXPECT_EQ(model->leftCount(), 0);
    EXPECT_FALSE(model->verifying());
    ASSERT_TRUE(waitFor([&] { return model->stage() == OnboardingStage::done; }));
    EXPECT_EQ(stages, (std::vector<std::pair<OnboardingStage, bool>>{{OnboardingStage::strong, false},
                                                                     {OnboardingStage::between, false},
                                                                     {OnboardingStage::light, false},
                                                                     {OnboardingStage::done, false}}));
    EXPECT_EQ(test::readFile(folder / "modes"), "--calibrate-strong\n--calibrate-light\n");
    std::string arguments;
    for (const std::string& argument : model->settings().arguments()) arguments += argument + "\n";
    EXPECT_EQ(test::readFile(folder / "arguments"), arguments + "--until-input-ends\n--direct-sensor\n--calibrate-light\n");
    EXPECT_EQ(test::readFile(folder / "input"), "pipe\n");
    EXPECT_EQ(test::readFile(folder / "profile"), processValues().sideProfileURL.string());

    model->closeOnboarding(true);
    EXPECT_FALSE(model->showOnboarding());
    EXPECT_EQ(model->status(), "Pick your sounds or start playing");

    model.reset();
    auto second = makeModel(calibration, std::nullopt);
    EXPECT_FALSE(second->showOnboarding());
    EXPECT_TRUE(second->onboardingCompleted());
    EXPECT_EQ(second->settings().sounds, SoundSelection::all(DrumKit::lofi));
}

}  // namespace
}  // namespace knockbox
