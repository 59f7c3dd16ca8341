#pragma once
// The user-defaults store of the configuration app: it holds one flag,
// whether onboarding was completed. Everything else lives in the settings file.

#include <memory>
#include <string_view>

#include <QSettings>

namespace knockbox {

// The application's reverse-DNS identifier (its bundle identifier on macOS).
inline constexpr std::string_view applicationIdentifier = "io.github.knockbox.Knockbox";
inline constexpr char onboardingCompleteKey[] = "onboardingComplete";

// The store named by the identifier: on macOS the preferences domain
// io.github.knockbox.Knockbox (the bundle's own defaults when it runs inside
// Knockbox.app); elsewhere Qt's native user settings under that name, the
// file knockbox.github.io/Knockbox.conf in $XDG_CONFIG_HOME or ~/.config, set
// aside first when it is no regular file or far too large to be ours.
std::unique_ptr<QSettings> applicationPreferences();

}  // namespace knockbox
