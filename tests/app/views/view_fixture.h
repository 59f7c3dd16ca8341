#pragma once
// What the views' tests share: a model on a test folder's settings and
// preferences, fake players (shell scripts), gates that hold a fake player
// until the test lets it go, widgets found by what assistive technology
// reads, and a clock the test moves.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

#include <QAbstractButton>
#include <QAccessible>
#include <QSettings>
#include <QTest>
#include <QWidget>

#include "app/configuration_model.h"
#include "support/child_process.h"

namespace knockbox::test {

inline constexpr int patience = 60000;  // ms; a sanitizer build on a busy machine is slow, never this slow

inline bool waitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, patience); }

// A fake player ends on SIGTERM: set before its first line.
inline const std::string endOnTerm = "trap 'kill $! 2>/dev/null; exit 0' TERM\n";
inline const std::string waitForTerm = "sleep 600 >/dev/null 2>&1 &\nwait $!\n";

// What assistive technology reads as the widget's name.
inline QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// The widget of that type and accessible name inside `root`; a visible one
// before one on a hidden page.
template <typename Widget = QWidget>
Widget* find(QWidget* root, const QString& name) {
    Widget* hidden = nullptr;
    for (Widget* widget : root->findChildren<Widget*>()) {
        if (accessibleName(widget) != name) continue;
        if (widget->isVisibleTo(root)) return widget;
        if (!hidden) hidden = widget;
    }
    if (!hidden) ADD_FAILURE() << "no widget named " << name.toStdString();
    return hidden;
}

// Time that moves only when the test says.
struct ManualClock {
    double now = 100;
    std::function<double()> function() {
        return [this] { return now; };
    }
};

struct ViewTest : ::testing::Test {
    TemporaryDirectory folder;
    std::filesystem::path settingsFile = folder / "support/settings.json";
    int scripts = 0;

    // A model past onboarding (or not), with muted settings.
    std::unique_ptr<ConfigurationModel> makeModel(const std::optional<std::filesystem::path>& player = std::nullopt,
                                                  bool onboarded = true) {
        ConfigurationModel::Setup setup;
        setup.preferences = std::make_unique<QSettings>(QString::fromStdString((folder / "preferences.ini").string()),
                                                        QSettings::IniFormat);
        setup.preferences->setValue("onboardingComplete", onboarded);
        setup.settingsFile = settingsFile;
        setup.executable = player;
        auto model = std::make_unique<ConfigurationModel>(std::move(setup));
        UISettings settings = model->settings();
        settings.muted = true;  // previews stay silent
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
