#include "platform/private_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include "core/line_text.h"

namespace knockbox {
namespace fs = std::filesystem;

PrivateFolder::PrivateFolder() {
    // The system's temporary folder: $TMPDIR, else /tmp.
    const char* variable = std::getenv("TMPDIR");
    const bool fromVariable = variable && *variable;
    const fs::path parent = fromVariable ? fs::path(variable) : fs::path("/tmp");
    // mkdtemp makes the folder with mode 0700 under a name nobody else holds.
    std::string pattern = (parent / "knockbox-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::system_error(errno, std::generic_category(), (fromVariable ? "TMPDIR=" : "") + pathText(parent));
    path_ = pattern;
}

PrivateFolder::~PrivateFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace knockbox
