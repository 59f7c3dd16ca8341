// Pictures of every screen of the configuration app, for people to look at.
//
//   window_pictures [FOLDER]       (default: screenshots)
//
// Draws the real window on Qt's offscreen platform, on a laptop's screen of
// 1280 × 900, at twice the pixel density, into FOLDER/<screen>.png; with
// QT_FONT_DPI=144 the names end in -144dpi. The onboarding's stages are
// reached the way a user reaches them, with a stand-in player (a shell script
// in a private temporary folder) that prints calibration lines.

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

#include <QApplication>
#include <QDeadlineTimer>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>

#include "app/configuration_model.h"
#include "app/views/about_dialog.h"
#include "app/views/configuration_view.h"
#include "app/views/macbook_illustration.h"
#include "app/views/macbook_motion.h"
#include "app/views/main_window.h"
#include "app/views/onboarding_view.h"
#include "app/views/player_settings_view.h"
#include "app/views/sound_picker_view.h"
#include "app/views/transitions.h"
#include "player/process_values.h"
#include "protocol/player_lines.h"

namespace {

using namespace knockbox;
namespace fs = std::filesystem;

// Turns the event loop until the condition holds; false after 60 s.
bool waitFor(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(60000);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

struct Pictures {
    fs::path folder;
    int failures = 0;

    void require(bool reached, const char* what) {
        if (reached) return;
        std::cerr << "window_pictures: " << what << " never came\n";
        ++failures;
    }

    // The widget as it stands, once no fade runs (fades run in real time).
    void save(QWidget& widget, const std::string& name) {
        require(waitFor([&] {
                    for (FadingLabel* label : widget.findChildren<FadingLabel*>())
                        if (label->fading()) return false;
                    return widget.findChildren<PageFade*>().isEmpty();
                }),
                "the end of a fade");
        const std::string density = widget.screen()->devicePixelRatio() > 1 ? "-144dpi" : "";
        QPixmap picture(widget.size() * 2);
        picture.setDevicePixelRatio(2);
        picture.fill(Qt::transparent);
        widget.render(&picture);
        const fs::path file = folder / (name + density + ".png");
        if (picture.save(QString::fromStdString(file.string()))) return;
        std::cerr << "window_pictures: cannot write " << file.string() << '\n';
        ++failures;
    }
};

std::unique_ptr<ConfigurationModel> makeModel(const fs::path& folder, bool onboarded,
                                              std::optional<fs::path> player = std::nullopt) {
    ConfigurationModel::Setup setup;
    setup.preferences = std::make_unique<QSettings>(QString::fromStdString((folder / "preferences.ini").string()),
                                                    QSettings::IniFormat);
    setup.preferences->setValue("onboardingComplete", onboarded);
    setup.settingsFile = folder / "settings.json";
    setup.executable = std::move(player);
    auto model = std::make_unique<ConfigurationModel>(std::move(setup));
    UISettings settings = model->settings();
    settings.muted = true;  // previews stay silent, and the kit's caption says so
    model->setSettings(settings);
    return model;
}

void mainScreens(Pictures& pictures, const fs::path& folder) {
    double now = 100;
    auto model = makeModel(folder, true);
    model->selectKit(DrumKit::studio);
    MainWindow window(*model, false, [&] { return now; });
    window.present();
    pictures.save(window, "main-idle");

    // Sides swapped, the kick alone on 808; every drum struck, a few
    // hundredths of a second apart.
    UISettings settings = model->settings();
    settings.invertSides = true;
    settings.sounds.kick = DrumKit::electronic;
    model->setSettings(settings);
    const double struck = now;
    for (const auto& [drum, before] : {std::pair{Drum::kick, 0.16}, {Drum::hihat, 0.12}, {Drum::snare, 0.09},
                                       {Drum::tom, 0.06}}) {
        now = struck - before;
        model->preview(drum);
    }
    now = struck;
    pictures.save(window, "main-mid-hit");

    window.view().openSettings();
    pictures.save(window, "settings-panel");
    window.view().settingsPanel()->close();

    SoundPickerView picker(*model);
    picker.show();
    pictures.save(picker, "sound-picker");
    picker.close();

    window.showAbout();
    pictures.save(*window.findChild<InfoSheet*>(), "about");
    pictures.save(*showLicenses(fs::path(KNOCKBOX_SOURCE_DIR) / "Licenses/THIRD_PARTY_NOTICES.md", &window,
                                [](const QUrl&) { return false; }),
                  "credits-and-licenses");

    const int height = window.height();
    window.showMaximized();
    pictures.require(waitFor([&] { return window.height() > height; }), "the maximised window");
    pictures.save(window, "main-maximised");
}

// The stand-in player: it fails while the file "fail" exists; else it shows
// a calibration's progress, waits for the file "next", says the profile was
// saved and runs until SIGTERM. It ends with the tool, however the tool ends.
fs::path writePlayer(const fs::path& folder) {
    const auto state = [](Side target, int left, int right) {
        return "echo '" + lines::calibration({"Trening", target, left, right, 8, 2, true}) + "';;\n";
    };
    const fs::path player = folder / "player";
    std::ofstream(player, std::ios::binary)
        << "#!/bin/sh\nDIR='" << folder.string() << "'\n"
        << "trap 'exit 0' TERM\n"
           "if [ -e \"$DIR/fail\" ]; then echo 'Błąd: brak danych'; exit 1; fi\n"
           "case \"$*\" in\n"
           "*--calibrate-strong) " << state(Side::right, 4, 2) << "*--calibrate-light) " << state(Side::left, 1, 0)
        << "esac\n"
           "while [ ! -e \"$DIR/next\" ]; do kill -0 $PPID 2>/dev/null || exit 0; sleep 0.05; done\n"
           "rm -f \"$DIR/next\"\n"
           "echo '" << lines::profileSaved(false, 3, 3) << "'\n"
        << "while kill -0 $PPID 2>/dev/null; do sleep 0.1; done\n";
    fs::permissions(player, fs::perms::owner_all);
    return player;
}

void onboardingScreens(Pictures& pictures, const fs::path& folder) {
    auto model = makeModel(folder, false, writePlayer(folder));
    const auto next = [&] { std::ofstream(folder / "next"); };
    MainWindow window(*model, false);
    OnboardingView& onboarding = window.view().onboarding();
    onboarding.illustration().setClock(firmTapCycle * 0.45);  // the hand in mid-air, a moment before it lands
    window.present();
    pictures.save(window, "onboarding-welcome");

    std::ofstream(folder / "fail");
    model->beginCalibrations(CalibrationSteps::firmAndLight);
    pictures.require(waitFor([&] { return !model->active(); }), "the failed calibration's end");
    pictures.save(window, "onboarding-failed");

    fs::remove(folder / "fail");
    model->beginCalibration(false);
    pictures.require(waitFor([&] { return model->rightCount() == 2; }), "the firm calibration's progress");
    pictures.save(window, "onboarding-strong");
    next();
    pictures.require(waitFor([&] { return model->stage() == OnboardingStage::between; }), "the pause");
    onboarding.illustration().setClock(10);  // the last tap's glow is over
    pictures.save(window, "onboarding-between");

    model->beginCalibration(true);
    pictures.require(waitFor([&] { return model->leftCount() == 1; }), "the light calibration's progress");
    onboarding.illustration().setClock(lightTapCycle * 0.56);  // the hand touching
    pictures.save(window, "onboarding-light");
    next();
    pictures.require(waitFor([&] { return model->stage() == OnboardingStage::done; }), "the end of onboarding");
    onboarding.illustration().setClock(20);
    pictures.save(window, "onboarding-done");

    // Opened again while playing, it asks which calibration to redo.
    model->closeOnboarding(true);
    model->start();
    model->openOnboarding();
    pictures.require(waitFor([&] { return model->showOnboarding(); }), "onboarding opened again");
    pictures.save(window, "onboarding-redo");
    model->stop();
    pictures.require(waitFor([&] { return !model->active(); }), "the player's end");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "usage: window_pictures [FOLDER]\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" KNOCKBOX_SOURCE_DIR "/tests/app/views/laptop-screen.json");
    installProcessValues(makeProcessValues(argv[0]));
    QApplication application(argc, argv);
    Pictures pictures{argc == 2 ? fs::path(argv[1]) : fs::path("screenshots")};
    std::error_code error;
    fs::create_directories(pictures.folder, error);
    QTemporaryDir scratch;
    if (error || !scratch.isValid()) {
        std::cerr << "window_pictures: no folder for the pictures or the stand-in player\n";
        return 1;
    }
    const fs::path folder = scratch.path().toStdString();
    fs::create_directories(folder / "main");
    fs::create_directories(folder / "onboarding");
    mainScreens(pictures, folder / "main");
    onboardingScreens(pictures, folder / "onboarding");
    std::cout << "pictures in " << pictures.folder.string() << '\n';
    return pictures.failures == 0 ? 0 : 1;
}
