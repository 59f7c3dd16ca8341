#pragma once
// A new file that takes a target's place only once it is complete: every file
// we replace (profiles, settings, exported sounds, recordings) is written this
// way. It is created exclusively and never through a symbolic link, so
// nothing planted at its name (by another user of a shared folder such as
// /tmp) is ever opened, let alone written.

#include <filesystem>

namespace knockbox {

class TemporaryFile {
public:
    // In the target's folder under a hidden name nobody can predict
    // (".<target's name>.<random>.partial"). The folder must exist.
    static TemporaryFile beside(const std::filesystem::path& target, std::filesystem::perms permissions);
    // At `path` itself, a name others may know (a recording's
    // "<target>.partial"): refused with EEXIST when anything is there, a
    // dangling link included.
    static TemporaryFile at(std::filesystem::path path, std::filesystem::path target,
                            std::filesystem::perms permissions);
    // Both throw std::system_error naming the file they could not create;
    // `permissions` apply to it before the umask.

    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&&) = delete;
    // Removes the file unless it was committed or kept.
    ~TemporaryFile();

    // Open for writing until commit, discard or keep.
    int fd() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }
    const std::filesystem::path& target() const { return target_; }

    // Flushes the file to stable storage, closes it, renames it over the
    // target and flushes the folder, so a reader (and a crash) sees the old
    // target or the new one whole. Each step is checked: on failure
    // std::system_error (naming the target) and the file stays where it is,
    // closed, for the owner to keep or leave to the destructor.
    void commit();
    // Closes the file and leaves it where it is.
    void keep() noexcept;

private:
    TemporaryFile(int fd, std::filesystem::path path, std::filesystem::path target)
        : fd_(fd), path_(std::move(path)), target_(std::move(target)) {}
    void close() noexcept;

    int fd_ = -1;
    std::filesystem::path path_;
    std::filesystem::path target_;
    bool done_ = false;  // committed or kept: the file is not ours to remove
};

}  // namespace knockbox
