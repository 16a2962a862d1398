#include "system/TextEditor.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace tavix::FileSystem {

std::filesystem::path createScratchFile(std::string_view text, std::error_code& error) {
    std::string pattern =
        (std::filesystem::temp_directory_path(error) / "tavix-edit-XXXXXX.txt").string();
    if (error) return {};
    // mkstemps creates the file with O_EXCL and mode 0600.
    const int file = ::mkstemps(pattern.data(), 4);
    if (file < 0) {
        error.assign(errno, std::generic_category());
        return {};
    }
    while (!text.empty()) {
        const ssize_t written = ::write(file, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            error.assign(written < 0 ? errno : EIO, std::generic_category());
            ::close(file);
            ::unlink(pattern.c_str());
            return {};
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::close(file) != 0) {
        error.assign(errno, std::generic_category());
        ::unlink(pattern.c_str());
        return {};
    }
    return pattern;
}

int runEditor(const std::string& command, const std::filesystem::path& file,
              std::error_code& error) {
    // The shell splits the command as the user wrote it; the file stays one
    // argument whatever its characters.
    const std::string script = command + " \"$1\"";
    const char* const argv[] = {"sh", "-c", script.c_str(), "sh", file.c_str(), nullptr};
    pid_t child = 0;
    const int started =
        ::posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ);
    if (started != 0) {
        error.assign(started, std::generic_category());
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            error.assign(errno, std::generic_category());
            return -1;
        }
    }
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

void removeScratchFile(const std::filesystem::path& file) {
    ::unlink(file.c_str());
}

}  // namespace tavix::FileSystem
