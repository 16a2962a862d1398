#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace tavix::test {

inline std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in `folder`, sorted.
inline std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::ranges::sort(names);
    return names;
}

// The last part of each path, in order.
template <class Path>
std::vector<std::string> namesOf(const std::vector<Path>& paths) {
    std::vector<std::string> names;
    for (const auto& path : paths) names.push_back(path.filename().string());
    return names;
}

// Each file in `folder` by name, with its contents; folders are left out.
inline std::map<std::string, std::string> filesIn(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (!entry.is_directory()) files[entry.path().filename()] = contentsOf(entry.path());
    return files;
}

// Sets a file's access and modification time; nanoseconds may be negative.
// Gives back `file`.
inline std::filesystem::path setModified(const std::filesystem::path& file, std::int64_t seconds,
                                         std::int64_t nanoseconds = 0) {
    const auto [s, ns] = std::lldiv(seconds * 1'000'000'000 + nanoseconds, 1'000'000'000);
    const struct timespec at = {s - (ns < 0), ns < 0 ? ns + 1'000'000'000 : ns};
    const struct timespec t[2] = {at, at};
    if (::utimensat(AT_FDCWD, file.c_str(), t, 0) != 0) std::abort();
    return file;
}

}  // namespace tavix::test
