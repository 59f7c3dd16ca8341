#include "app/preferences.h"

#ifndef __APPLE__
#include <filesystem>
#include <system_error>

#include <QStandardPaths>

#include "app/set_aside.h"
#include "core/small_file.h"
#endif

namespace knockbox {

std::unique_ptr<QSettings> applicationPreferences() {
#ifdef __APPLE__
    // Qt names the macOS domain after the organisation's reversed domain
    // followed by the application's name: "knockbox.github.io" and
    // "Knockbox" give io.github.knockbox.Knockbox.
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("knockbox.github.io"),
                                       QStringLiteral("Knockbox"));
#else
    // The file Qt's native format uses here, named outright: Qt reads it as
    // the object is made, and a FIFO there would hold the app before its
    // window, a huge file fill its memory. Such a file is set aside first.
    const std::filesystem::path file =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
        "/knockbox.github.io/Knockbox.conf";
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (std::filesystem::exists(status) &&
        (!std::filesystem::is_regular_file(status) || std::filesystem::file_size(file, error) > smallFileLimit))
        setAside(file);
    return std::make_unique<QSettings>(QString::fromStdString(file.string()), QSettings::IniFormat);
#endif
}

}  // namespace knockbox
