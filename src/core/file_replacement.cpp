#include "core/file_replacement.h"

#include <cerrno>
#include <system_error>

#include "core/line_text.h"
#include "core/temporary_file.h"
#include "core/write_all.h"

namespace knockbox {

void replaceFile(const std::filesystem::path& path, std::string_view contents, std::filesystem::perms permissions) {
    TemporaryFile file = TemporaryFile::beside(path, permissions);
    if (!writeAll(file.fd(), contents)) throw std::system_error(errno, std::generic_category(), pathText(path));
    file.commit();
}

}  // namespace knockbox
