#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tavix::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the test ends.
class TemporaryFolder {
public:
    TemporaryFolder() : TemporaryFolder(std::filesystem::temp_directory_path()) {}
    // The same in `base`.
    explicit TemporaryFolder(const std::filesystem::path& base) {
        std::string pattern = (base / "tavix-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Creates (or replaces) a file holding `contents`, making folders as needed.
    std::filesystem::path write(const std::string& relative,
                                const std::string& contents = "") const {
        const auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << contents;
        return file;
    }

    std::filesystem::path folder(const std::string& relative) const {
        const auto folder = path_ / relative;
        std::filesystem::create_directories(folder);
        return folder;
    }

private:
    std::filesystem::path path_;
};

}  // namespace tavix::test
