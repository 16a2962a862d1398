#include "system/FileStore.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include "support/Files.hpp"
#include "support/SystemCallFaults.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;

// Saving never replaces what it wasn't asked to, and leaves only the file.
TEST(FileStore, SavesWholeListsAndRemoves) {
    test::TemporaryFolder temp;
    const fs::path file = temp.path() / "new" / "deeper" / "p.json";
    EXPECT_FALSE(FileSystem::saveWhole(file, "one", false));
    EXPECT_EQ(test::contentsOf(file), "one");
    EXPECT_EQ(FileSystem::saveWhole(file, "two", false), std::errc::file_exists);
    EXPECT_EQ(test::contentsOf(file), "one");
    EXPECT_FALSE(FileSystem::saveWhole(file, "two", true));
    EXPECT_EQ(test::contentsOf(file), "two");

    // A link at the name is an entry like any other: kept without `replace`, and
    // replaced itself (not what it points to) with it.
    const fs::path target = temp.write("target", "kept");
    const fs::path link = temp.path() / "new" / "deeper" / "link.json";
    fs::create_symlink(target, link);
    EXPECT_EQ(FileSystem::saveWhole(link, "x", false), std::errc::file_exists);
    EXPECT_FALSE(FileSystem::saveWhole(link, "x", true));
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(test::contentsOf(target), "kept");

    // A replacement that the disk takes but can't sync is not put in place:
    // the error is returned and the old contents stay. Only a sync meets a
    // file that already holds the new bytes.
    test::failWrites([](const fs::path& path) -> std::optional<int> {
        std::error_code error;
        return fs::is_regular_file(path, error) && fs::file_size(path, error) == 5
                   ? std::optional(EIO)
                   : std::nullopt;
    });
    const std::error_code error = FileSystem::saveWhole(file, "three", true);
    test::failWrites({});
    EXPECT_EQ(error, std::errc::io_error);
    EXPECT_EQ(test::contentsOf(file), "two");

    // Listed: regular files, links to them followed (the presets' tests meet
    // FIFOs, devices and folders). Removed: an entry itself, never a folder.
    const fs::path folder = temp.folder("new/deeper/sub").parent_path();
    fs::create_symlink("p.json", folder / "to-p");
    fs::create_symlink("gone", folder / "dangling");
    std::error_code listed;
    auto names = FileSystem::regularFileNames(folder, listed);
    std::ranges::sort(names);
    EXPECT_EQ(names, (std::vector<std::string>{"link.json", "p.json", "to-p"}));
    FileSystem::regularFileNames(temp.path() / "missing", listed);
    EXPECT_EQ(listed, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(FileSystem::removeFile(folder / "to-p"));
    EXPECT_EQ(FileSystem::removeFile(folder / "to-p"), std::errc::no_such_file_or_directory);
    EXPECT_TRUE(FileSystem::removeFile(folder / "sub"));
    // No save left a temporary behind.
    EXPECT_EQ(test::namesIn(folder),
              (std::vector<std::string>{"dangling", "link.json", "p.json", "sub"}));
}

}  // namespace
}  // namespace tavix
