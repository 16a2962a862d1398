#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include "system/FileSystem.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using FileSystem::Path;

std::string contentsOf(const Path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OnDisk : public ::testing::Test {
protected:
    testing::TemporaryFolder temp;
};

TEST_F(OnDisk, ExistenceFollowsSymbolicLinks) {
    const Path file = temp.write("a.txt", "a");
    const Path folder = temp.folder("photos");
    fs::create_symlink(file, temp.path() / "link-to-file");
    fs::create_symlink(folder, temp.path() / "link-to-folder");
    fs::create_symlink(temp.path() / "gone", temp.path() / "dangling");

    using Found = FileSystem::ExistsAndKind;
    const struct {
        Path path;
        Found expected;
    } cases[] = {
        {file, {true, false}},
        {folder, {true, true}},
        {temp.path() / "link-to-file", {true, false}},
        {temp.path() / "link-to-folder", {true, true}},
        {temp.path() / "dangling", {false, false}},
        {temp.path() / "missing.txt", {false, false}},
        {file / "inside", {false, false}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileSystem::existsAndKind(c.path), c.expected) << c.path;
        EXPECT_EQ(FileSystem::exists(c.path), c.expected.exists) << c.path;
    }
}

TEST_F(OnDisk, OnlyAnotherFileCountsAsExistingOtherThanSelf) {
    const Path self = temp.write("a.txt", "a");
    const Path other = temp.write("b.txt", "b");
    fs::create_hard_link(self, temp.path() / "hard-link.txt");
    fs::create_symlink(self, temp.path() / "soft-link.txt");

    EXPECT_FALSE(FileSystem::existsOtherThan(self, self));
    EXPECT_FALSE(FileSystem::existsOtherThan(temp.path() / "hard-link.txt", self));
    EXPECT_FALSE(FileSystem::existsOtherThan(temp.path() / "soft-link.txt", self));
    EXPECT_FALSE(FileSystem::existsOtherThan(temp.path() / "free.txt", self));
    EXPECT_TRUE(FileSystem::existsOtherThan(other, self));
    // A source that has vanished can't be what sits at the destination.
    EXPECT_TRUE(FileSystem::existsOtherThan(other, temp.path() / "vanished.txt"));

    EXPECT_FALSE(FileSystem::existsBeside(self, "a.txt"));
    EXPECT_FALSE(FileSystem::existsBeside(self, "hard-link.txt"));
    EXPECT_FALSE(FileSystem::existsBeside(self, "free.txt"));
    EXPECT_TRUE(FileSystem::existsBeside(self, "b.txt"));
}

TEST_F(OnDisk, MoveRenamesTheFile) {
    const Path from = temp.write("a.txt", "alpha");
    const Path to = temp.path() / "b.txt";
    EXPECT_EQ(FileSystem::move(from, to), std::nullopt);
    EXPECT_FALSE(fs::exists(from));
    EXPECT_EQ(contentsOf(to), "alpha");
}

TEST_F(OnDisk, MoveNeverReplacesAnExistingFile) {
    const Path from = temp.write("a.txt", "alpha");
    const Path to = temp.write("b.txt", "beta");
    EXPECT_EQ(FileSystem::move(from, to),
              "Couldn't rename \u201Ca.txt\u201D to \u201Cb.txt\u201D: File exists");
    EXPECT_EQ(contentsOf(from), "alpha");
    EXPECT_EQ(contentsOf(to), "beta");
}

TEST_F(OnDisk, MoveOfAMissingFileNamesItAndTheReason) {
    EXPECT_EQ(FileSystem::move(temp.path() / "gone.txt", temp.path() / "new.txt"),
              "Couldn't rename \u201Cgone.txt\u201D to \u201Cnew.txt\u201D: No such file or "
              "directory");
    EXPECT_FALSE(fs::exists(temp.path() / "new.txt"));
}

TEST_F(OnDisk, InjectedFaultFailsOnlyTheMatchingMoves) {
    const Path a = temp.write("a.txt", "alpha");
    const Path b = temp.write("b.txt", "beta");
    FileSystem::testing::failMovesTo([&](const Path&, const Path& to) -> std::optional<int> {
        if (to.filename() == "a-renamed.txt") return EACCES;
        return std::nullopt;
    });
    const auto failed = FileSystem::move(a, temp.path() / "a-renamed.txt");
    const auto moved = FileSystem::move(b, temp.path() / "b-renamed.txt");
    FileSystem::testing::failMovesTo({});

    EXPECT_EQ(failed,
              "Couldn't rename \u201Ca.txt\u201D to \u201Ca-renamed.txt\u201D: Permission denied");
    EXPECT_EQ(contentsOf(a), "alpha");
    EXPECT_FALSE(fs::exists(temp.path() / "a-renamed.txt"));
    EXPECT_EQ(moved, std::nullopt);
    EXPECT_EQ(contentsOf(temp.path() / "b-renamed.txt"), "beta");

    // Cleared, the same move goes through.
    EXPECT_EQ(FileSystem::move(a, temp.path() / "a-renamed.txt"), std::nullopt);
}

FileSystem::Timestamp at(std::int64_t seconds, std::int64_t nanoseconds) {
    return FileSystem::Timestamp{std::chrono::seconds{seconds} +
                                 std::chrono::nanoseconds{nanoseconds}};
}

void setModificationTime(const Path& file, std::int64_t seconds, long nanoseconds) {
    const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST_F(OnDisk, ResourceValuesOfAFreshFile) {
    const auto before = std::chrono::system_clock::now() - std::chrono::seconds{2};
    const Path file = temp.write("notes.txt", "hello");
    const auto values = FileSystem::resourceValues(file);
    ASSERT_TRUE(values);
    EXPECT_EQ(values->size, 5u);
    ASSERT_TRUE(values->modified);
    EXPECT_GT(*values->modified, before);
    if (values->created) {
        EXPECT_LE(*values->created, *values->modified + std::chrono::seconds{1});
    }
    EXPECT_EQ(values->kind, "plain text document");
}

TEST_F(OnDisk, ResourceValuesOfAnEmptyFileHaveSizeZero) {
    const auto values = FileSystem::resourceValues(temp.write("empty.txt"));
    ASSERT_TRUE(values);
    EXPECT_EQ(values->size, 0u);
}

TEST_F(OnDisk, ResourceValuesFollowLinksAndFailForMissingFiles) {
    const Path file = temp.write("a.txt", "twelve bytes");
    fs::create_symlink(file, temp.path() / "link");
    const auto values = FileSystem::resourceValues(temp.path() / "link");
    ASSERT_TRUE(values);
    EXPECT_EQ(values->size, 12u);
    EXPECT_EQ(FileSystem::resourceValues(temp.path() / "missing.txt"), std::nullopt);
    fs::create_symlink(temp.path() / "gone", temp.path() / "dangling");
    EXPECT_EQ(FileSystem::resourceValues(temp.path() / "dangling"), std::nullopt);
}

TEST_F(OnDisk, ModificationTimeKeepsNanoseconds) {
    const Path file = temp.write("a.txt", "a");
    setModificationTime(file, 1'709'647'620, 123'456'789);
    EXPECT_EQ(FileSystem::modificationTime(file), at(1'709'647'620, 123'456'789));
    EXPECT_EQ(FileSystem::resourceValues(file)->modified, at(1'709'647'620, 123'456'789));
    // Before 1970 the seconds are negative and the nanoseconds still count forward.
    setModificationTime(file, -86'400, 500);
    EXPECT_EQ(FileSystem::modificationTime(file), at(-86'400, 500));
    EXPECT_EQ(FileSystem::modificationTime(temp.path() / "missing"), std::nullopt);
}

}  // namespace
}  // namespace tavix
