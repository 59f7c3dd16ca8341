#include "platform/private_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace knockbox {
namespace fs = std::filesystem;

PrivateFolder::PrivateFolder() {
    // mkdtemp makes the folder with mode 0700 under a name nobody else holds.
    std::string pattern = (fs::temp_directory_path() / "knockbox-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), pattern);
    path_ = pattern;
}

PrivateFolder::~PrivateFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace knockbox
