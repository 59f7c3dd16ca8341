#pragma once
// A fresh folder under the system's temporary folder ($TMPDIR, else /tmp)
// that only its owner can enter, removed with everything in it when the value
// goes away.

#include <filesystem>

namespace knockbox {

class PrivateFolder {
public:
    // Throws std::system_error naming where it was tried ("TMPDIR=<path>" or
    // "/tmp") when no folder can be made.
    PrivateFolder();
    // Removal failures are ignored: nothing can be done about them here.
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace knockbox
