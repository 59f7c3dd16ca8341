#pragma once
// What the app's tests share: a model on a test folder's settings and
// preferences, fake players (shell scripts that print chosen lines, wait,
// honour SIGTERM or not and exit with chosen statuses), and gates that hold a
// fake player until the test lets it go. Waits are on conditions (the event
// loop turning), never on a fixed time.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

#include <QSettings>
#include <QTest>

#include "app/configuration_model.h"
#include "protocol/player_lines.h"
#include "support/child_process.h"

namespace knockbox::test {

inline constexpr int patience = 60000;  // ms; a sanitizer build on a busy machine is slow, never this slow

inline bool waitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, patience); }

// Script pieces. The trap is set before the first line, so a test that reacts
// to a line knows the player's answer to SIGTERM.
inline const std::string endOnTerm = "trap 'kill $! 2>/dev/null; exit 0' TERM\n";
inline const std::string waitForTerm = "sleep 600 >/dev/null 2>&1 &\nwait $!\n";

struct ModelTest : ::testing::Test {
    TemporaryDirectory folder;
    std::filesystem::path settingsFile = folder / "support/settings.json";
    std::filesystem::path preferencesFile = folder / "preferences.ini";
    int scripts = 0;

    // A model with muted settings (previews stay silent), past onboarding or
    // not; without `onboarded` the preferences stay as an earlier model left them.
    std::unique_ptr<ConfigurationModel> makeModel(const std::optional<std::filesystem::path>& player = std::nullopt,
                                                  std::optional<bool> onboarded = true) {
        ConfigurationModel::Setup setup;
        setup.preferences =
            std::make_unique<QSettings>(QString::fromStdString(preferencesFile.string()), QSettings::IniFormat);
        if (onboarded) setup.preferences->setValue("onboardingComplete", *onboarded);
        setup.settingsFile = settingsFile;
        setup.executable = player;
        auto model = std::make_unique<ConfigurationModel>(std::move(setup));
        UISettings settings = model->settings();
        settings.muted = true;
        model->setSettings(settings);
        return model;
    }

    // A fake player; "$DIR" in its body is this test's folder.
    std::filesystem::path player(const std::string& body) {
        const std::filesystem::path path = folder / ("player" + std::to_string(++scripts));
        std::ofstream(path, std::ios::binary) << "#!/bin/sh\nDIR='" << folder.path().string() << "'\n" << body;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    // A named pipe a fake player waits on with `read x < "$DIR/<name>"`.
    std::filesystem::path gate(const std::string& name) {
        const std::filesystem::path path = folder / name;
        EXPECT_EQ(::mkfifo(path.c_str(), 0666), 0);
        return path;
    }
    // Lets the player waiting on the gate go on, once it waits there.
    static void open(const std::filesystem::path& gate) {
        int fd = -1;
        ASSERT_TRUE(waitFor([&] { return (fd = ::open(gate.c_str(), O_WRONLY | O_NONBLOCK)) >= 0; }));
        ASSERT_EQ(::write(fd, "go\n", 3), 3);
        ::close(fd);
    }
};

}  // namespace knockbox::test
