#include "app/preferences.h"

namespace knockbox {

std::unique_ptr<QSettings> applicationPreferences() {
    // Qt names the macOS domain after the organisation's reversed domain
    // followed by the application's name: "knockbox.github.io" and
    // "Knockbox" give io.github.knockbox.Knockbox.
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("knockbox.github.io"),
                                       QStringLiteral("Knockbox"));
}

}  // namespace knockbox
