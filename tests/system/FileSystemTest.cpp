#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/Files.hpp"
#include "support/SystemCallFaults.hpp"
#include "support/TemporaryFolder.hpp"
#include "system/FileStatus.hpp"
#include "system/FileSystem.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;

using test::contentsOf;

class OnDisk : public ::testing::Test {
protected:
    test::TemporaryFolder temp;
};

// Whether a path exists follows symbolic links; whether a name beside a file
// is taken counts every other entry, links to the file itself included.
TEST_F(OnDisk, ExistenceFollowsLinksAndAnythingButTheFileItselfTakesItsName) {
    const fs::path self = temp.write("a.txt", "a");
    temp.write("b.txt", "b");
    temp.folder("photos");
    fs::create_hard_link(self, temp.path() / "hard-link.txt");
    fs::create_symlink(self, temp.path() / "soft-link.txt");
    fs::create_symlink(temp.path() / "photos", temp.path() / "link-to-folder");
    fs::create_symlink(temp.path() / "gone", temp.path() / "dangling");
    using Found = FileSystem::ExistsAndKind;
    const struct {
        std::string name;
        Found found;
        bool taken;
    } cases[] = {
        {"a.txt", {true, false}, false},  // its own entry
        {"free.txt", {false, false}, false},
        {"b.txt", {true, false}, true},
        {"hard-link.txt", {true, false}, true},  // another entry of the same file
        {"soft-link.txt", {true, false}, true},
        {"photos", {true, true}, true},
        {"link-to-folder", {true, true}, true},
        {"dangling", {false, false}, true},  // a link to nothing still takes the name
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileSystem::existsAndKind(temp.path() / c.name), c.found) << c.name;
        EXPECT_EQ(FileSystem::exists(temp.path() / c.name), c.found.exists) << c.name;
        EXPECT_EQ(FileSystem::existsBeside(self, c.name), c.taken) << c.name;
    }
    EXPECT_EQ(FileSystem::existsAndKind(self / "inside"), (Found{false, false}));
    // A file's only entry is its own, whatever spelling reaches it.
    EXPECT_FALSE(FileSystem::existsBeside(temp.write("single.txt"), "single.txt"));
    // A source that has vanished can't be what sits at the destination.
    EXPECT_TRUE(FileSystem::existsBeside(temp.path() / "vanished.txt", "b.txt"));
    // Identity is the entry itself: a hard link shares it, a symbolic link doesn't.
    const auto id = FileSystem::identity(self);
    ASSERT_TRUE(id);
    EXPECT_EQ(FileSystem::identity(temp.path() / "hard-link.txt"), id);
    EXPECT_NE(FileSystem::identity(temp.path() / "soft-link.txt"), id);
    EXPECT_EQ(FileSystem::identity(temp.path() / "missing"), std::nullopt);
}

// Another hard link is told apart by reading the folder; a folder that can be
// searched but not read can't tell, so the name counts as taken. Root reads
// every folder: a child process asks as nobody.
TEST_F(OnDisk, AHardLinkInAFolderThatCantBeReadCountsAsTaken) {
    const auto folder = temp.folder("locked");
    const auto self = temp.write("locked/a.txt", "a");
    fs::create_hard_link(self, folder / "b.txt");
    ASSERT_EQ(::chmod(temp.path().c_str(), 0711), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0311), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        ::_exit(FileSystem::existsBeside(self, "b.txt") ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(folder.c_str(), 0700);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Where the file system refuses RENAME_NOREPLACE, link and unlink stand in and
// still never replace a file.
class Moves : public OnDisk, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override { test::refuseExclusiveRenames(GetParam()); }
    void TearDown() override { test::refuseExclusiveRenames(false); }
};

TEST_P(Moves, RenameWithoutEverReplacing) {
    const fs::path from = temp.write("a.txt", "alpha");
    EXPECT_FALSE(FileSystem::move(from, temp.path() / "b.txt"));
    EXPECT_FALSE(fs::exists(from));
    EXPECT_EQ(contentsOf(temp.path() / "b.txt"), "alpha");

    const fs::path other = temp.write("c.txt", "gamma");
    EXPECT_EQ(FileSystem::move(other, temp.path() / "b.txt"), std::errc::file_exists);
    EXPECT_EQ(contentsOf(other), "gamma");
    EXPECT_EQ(contentsOf(temp.path() / "b.txt"), "alpha");

    EXPECT_EQ(FileSystem::move(temp.path() / "gone.txt", temp.path() / "new.txt"),
              std::errc::no_such_file_or_directory);
    EXPECT_FALSE(fs::exists(temp.path() / "new.txt"));
}

INSTANTIATE_TEST_SUITE_P(FileSystem, Moves, ::testing::Bool());

FileSystem::Timestamp at(std::int64_t seconds, std::int64_t nanoseconds) {
    return FileSystem::Timestamp{std::chrono::seconds{seconds} +
                                 std::chrono::nanoseconds{nanoseconds}};
}

TEST_F(OnDisk, ResourceValuesFollowLinksAndFailForMissingFiles) {
    const auto before = std::chrono::system_clock::now() - std::chrono::seconds{2};
    const fs::path file = temp.write("notes.txt", "twelve bytes");
    fs::create_symlink(file, temp.path() / "link");
    const auto values = FileSystem::resourceValues(temp.path() / "link");
    ASSERT_TRUE(values);
    EXPECT_EQ(values->size, 12u);
    ASSERT_TRUE(values->modified);
    EXPECT_GT(*values->modified, before);
    if (values->created) {
        EXPECT_LE(*values->created, *values->modified + std::chrono::seconds{1});
    }
    EXPECT_EQ(values->kind, "plain text document");
    EXPECT_EQ(FileSystem::resourceValues(temp.path() / "missing.txt"), std::nullopt);
    fs::create_symlink(temp.path() / "gone", temp.path() / "dangling");
    EXPECT_EQ(FileSystem::resourceValues(temp.path() / "dangling"), std::nullopt);
}

TEST_F(OnDisk, ModificationTimeKeepsNanoseconds) {
    const fs::path file = temp.write("a.txt", "a");
    test::setModified(file, 1'709'647'620, 123'456'789);
    EXPECT_EQ(FileSystem::modificationTime(file), at(1'709'647'620, 123'456'789));
    EXPECT_EQ(FileSystem::resourceValues(file)->modified, at(1'709'647'620, 123'456'789));
    // Before 1970 the seconds are negative and the nanoseconds still count forward.
    test::setModified(file, -86'400, 500);
    EXPECT_EQ(FileSystem::modificationTime(file), at(-86'400, 500));
    EXPECT_EQ(FileSystem::modificationTime(temp.path() / "missing"), std::nullopt);
}

// A batch asked about on two threads, its files in two
// folders by turns, a link among them and some missing: each gets its own
// stamp, exactly as asking for it alone gives it, and a missing one none.
TEST_F(OnDisk, StampsOfABatchAreEachFilesOwn) {
    if (!FileSystem::stamp(Location(temp.path()))->birth) {
        GTEST_SKIP() << "this file system records no birth time";
    }
    constexpr std::size_t count = 1200;
    temp.folder("a");
    temp.folder("b");
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < count; ++i) {
        paths.push_back((temp.path() / (i % 2 ? "a/f" : "b/f")).string() + std::to_string(i));
        if (i % 100 == 7) continue;  // missing
        if (i == 600) {
            fs::create_symlink("f1", paths.back());
        } else {
            std::ofstream{paths.back()};
        }
    }
    const auto stamps = FileSystem::stampsWithBirth(
        count, [&](std::size_t i) { return std::string_view(paths[i]); }, 100);
    ASSERT_EQ(stamps.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(stamps[i], FileSystem::stamp(Location(paths[i]))) << paths[i];
        ASSERT_EQ(stamps[i].has_value(), i % 100 != 7) << paths[i];
    }
}

// A folder opened for moves closes its descriptor when it goes, also when
// another is moved over it.
TEST(Folders, GiveBackTheirDescriptors) {
    test::TemporaryFolder temp;
    const auto openDescriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
    };
    const auto before = openDescriptors();
    {
        FileSystem::Folder kept(temp.path().string());
        FileSystem::Folder other(temp.path().string());
        kept = std::move(other);
    }
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace tavix
