#pragma once
// Values every part of the player may read, made once at the entry before the
// arguments are looked at.

#include <filesystem>
#include <string>
#include <string_view>

namespace knockbox {

struct ProcessValues {
    std::string_view help;                  // the usage text
    std::filesystem::path appSupportURL;    // <Application Support>/Knockbox
    std::filesystem::path sideProfileURL;   // firm-tap side profile
    std::filesystem::path lightProfileURL;  // light-tap side profile
    // The program's own file (links resolved), started as the sensor process.
    std::filesystem::path executablePath;
    // Where profiles saved under the program's earlier names are copied to
    // the current ones: the profiles' folder beside a bare executable; empty
    // when the location comes from the environment or the app bundle.
    std::filesystem::path legacyProfileFolder;
};

struct ProfileLocationInputs {
    const char* environmentProfile = nullptr;  // KNOCKBOX_SIDE_PROFILE, if set
    bool insideAppBundle = false;
    std::filesystem::path argument0;
    std::filesystem::path currentDirectory;
    std::filesystem::path appSupport;  // <Application Support>/Knockbox
    std::filesystem::path executable{};  // the running file, for a name found through PATH
    // Its kit was found under the prefix it is installed in: the profiles go
    // where its user may write, to the support folder, as in a bundle.
    bool installed = false;
};

// The firm profile's location by the first rule that applies: the environment
// variable, the app's support folder inside a bundle, else beside the folder
// that holds argument 0, or the running file when argument 0 is a bare name.
std::filesystem::path sideProfileLocation(const ProfileLocationInputs& inputs);

// The light profile lies beside the firm one; hidden when the firm one is.
// Nothing for no firm profile (an empty KNOCKBOX_SIDE_PROFILE).
std::filesystem::path lightProfileLocation(const std::filesystem::path& sideProfile);

// Profiles saved under the program's earlier names in `folder` are copied to
// the current names, each only while no profile of the current name exists.
// Only a run that loads or saves profiles does this, and never as root.
void migrateLegacyProfiles(const std::filesystem::path& folder);

// argv[0] made absolute against the current directory, "." and ".." removed,
// symbolic links kept.
std::filesystem::path standardizedPath(const std::filesystem::path& path,
                                       const std::filesystem::path& currentDirectory);

// Computes the values for this process from its argument 0 and environment.
ProcessValues makeProcessValues(const char* argument0);

// Set once by the entry; read anywhere afterwards.
void installProcessValues(ProcessValues values);
const ProcessValues& processValues();

}  // namespace knockbox
