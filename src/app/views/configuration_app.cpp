#include "app/views/configuration_app.h"

#include <unistd.h>

#include <string>

#include <QApplication>
#include <QDesktopServices>
#include <QSocketNotifier>
#include <QUrl>

#include "app/configuration_model.h"
#include "app/views/about_dialog.h"
#include "app/views/main_window.h"
#include "core/app_error.h"
#include "platform/bundle_resources.h"
#include "platform/reduce_motion.h"
#include "platform/run_loop.h"
#include "player/process_values.h"

namespace knockbox {
namespace {

#ifndef __APPLE__
// Qt ends the process when it cannot reach a display; say why instead.
void requireDisplay() {
    const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!platformChosen && !display)
        throw AppError("Okno konfiguracji potrzebuje ekranu: nie ustawiono DISPLAY ani WAYLAND_DISPLAY.");
}
#endif

}  // namespace

void runConfigurationApp(const Options&) {
#ifndef __APPLE__
    requireDisplay();
#endif
    // Qt keeps argc and argv for the application's life. Only the program's
    // name is passed: the options were the player's, and are read already.
    std::string name = processValues().executablePath.string();
    int argc = 1;
    char* argv[] = {name.data(), nullptr};
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Knockbox"));
    // Desktops find the installed desktop entry, and its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.knockbox.Knockbox"));

    ConfigurationModel model;
    MainWindow window(model, reduceMotionRequested());
    QObject::connect(&window, &MainWindow::licensesRequested, [&window] {
        showLicenses(noticesFile(processValues().executablePath, bundleResourcesDirectory()), &window,
                     [](const QUrl& url) { return QDesktopServices::openUrl(url); });
    });

    // Ctrl-C and SIGTERM quit like the menu does: a running player is
    // stopped first.
    QSocketNotifier stopSignals(signalPipeReadEnd(), QSocketNotifier::Read);
    QObject::connect(&stopSignals, &QSocketNotifier::activated, [&window] {
        char bytes[16];
        while (::read(signalPipeReadEnd(), bytes, sizeof bytes) > 0) {
        }
        window.close();
    });
    stopSignals.setEnabled(signalPipeReadEnd() >= 0);

    window.present();
    QApplication::exec();
}

}  // namespace knockbox
