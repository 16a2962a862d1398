#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
#include "system/FolderEntries.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;

class OnDisk : public ::testing::Test {
protected:
    test::TemporaryFolder temp;
};

// Whether renaming `path` to `name` would meet an entry, asked alone and left
// to lstat.
bool takenBeside(const fs::path& path, const std::string& name) {
    FileSystem::FolderSnapshots alone(FileSystem::FolderReads::never);
    return alone.existBeside(1, [&](std::size_t) {
        return FileSystem::BesideQuestion{path.native(), name};
    })[0];
}

// Whether a path exists follows symbolic links; whether a name beside a file
// is taken counts every other entry, links to the file itself included.
TEST_F(OnDisk, ExistenceFollowsLinksAndAnythingButTheFileItselfTakesItsName) {
    const fs::path self = temp.write("a.txt", "twelve bytes"), folder = temp.folder("photos");
    temp.write("b.txt", "b");
    fs::create_hard_link(self, temp.path() / "hard-link.txt");
    for (const auto& [to, link] : {std::pair{self, "soft-link.txt"}, {folder, "link-to-folder"},
                                   {temp.path() / "gone", "dangling"}})
        fs::create_symlink(to, temp.path() / link);
    using Found = FileSystem::ExistsAndKind;
    const struct { std::string name; Found found; bool taken; } cases[] = {
        {"a.txt", {true, false}, false} /* its own entry */, {"free.txt", {false, false}, false},
        {"b.txt", {true, false}, true}, {"hard-link.txt", {true, false}, true} /* the same file */,
        {"soft-link.txt", {true, false}, true}, {"photos", {true, true}, true},
        {"link-to-folder", {true, true}, true}, {"dangling", {false, false}, true}};  // to nothing
    for (const auto& c : cases) {
        EXPECT_EQ(FileSystem::existsAndKind(temp.path() / c.name), c.found) << c.name;
        EXPECT_EQ(FileSystem::exists(temp.path() / c.name), c.found.exists) << c.name;
        EXPECT_EQ(takenBeside(self, c.name), c.taken) << c.name;
    }
    EXPECT_EQ(FileSystem::existsAndKind(self / "inside"), (Found{false, false}));
    // A source that has vanished can't be what sits at the destination.
    EXPECT_TRUE(takenBeside(temp.path() / "vanished.txt", "b.txt"));
    // Identity is the entry itself: a hard link shares it, a symbolic link doesn't.
    const auto id = FileSystem::identity(self);
    EXPECT_TRUE(id && FileSystem::identity(temp.path() / "hard-link.txt") == id);
    EXPECT_NE(FileSystem::identity(temp.path() / "soft-link.txt"), id);
    EXPECT_EQ(FileSystem::identity(temp.path() / "missing"), std::nullopt);

    // Values follow links too; a missing file or a dangling link has none. Times
    // keep their nanoseconds, and before 1970 the nanoseconds still count forward.
    using std::chrono::seconds, std::chrono::nanoseconds;
    for (const auto& [s, ns] : {std::pair{1'709'647'620, 123'456'789}, {-86'400, 500}}) {
        test::setModified(self, s, ns);
        const FileSystem::Timestamp at{seconds{s} + nanoseconds{ns}};
        const auto values = FileSystem::resourceValues(temp.path() / "soft-link.txt");
        ASSERT_TRUE(values);
        EXPECT_EQ(values->size, 12u);
        EXPECT_EQ(values->modified, at);
        EXPECT_EQ(FileSystem::modificationTime(self), at);
        EXPECT_GT(values->created.value_or(at + seconds{1}), at);  // made now, set back
    }
    for (const char* name : {"missing.txt", "dangling"}) {
        EXPECT_EQ(FileSystem::resourceValues(temp.path() / name), std::nullopt);
        EXPECT_EQ(FileSystem::modificationTime(temp.path() / name), std::nullopt);
    }
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
        ::_exit(takenBeside(self, "b.txt") ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(folder.c_str(), 0700);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Where the file system refuses RENAME_NOREPLACE, link and unlink stand in and
// still never replace a file.
TEST_F(OnDisk, MovesRenameWithoutEverReplacing) {
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused);
        test::refuseExclusiveRenames(refused);
        const test::TemporaryFolder in(temp.path());
        const fs::path a = in.write("a.txt", "alpha"), b = in.path() / "b.txt";
        EXPECT_FALSE(FileSystem::move(a, b));
        EXPECT_EQ(FileSystem::move(in.write("c.txt", "gamma"), b), std::errc::file_exists);
        EXPECT_EQ(FileSystem::move(in.path() / "gone.txt", in.path() / "new.txt"),
                  std::errc::no_such_file_or_directory);
        test::refuseExclusiveRenames(false);
        EXPECT_EQ(test::filesIn(in.path()), (std::map<std::string, std::string>{
                                                {"b.txt", "alpha"}, {"c.txt", "gamma"}}));
    }
}

// The kind a file manager shows: the name decides when it is conclusive, even
// against the contents, else the first bytes do; unknown binary data has none
// (callers fall back to the extension).
TEST_F(OnDisk, KindsAsAFileManagerTellsThem) {
    const auto kindOf = [](const fs::path& path) { return FileSystem::resourceValues(path)->kind; };
    const std::string png = "\x89PNG\r\n\x1A\n" + std::string(32, '\0');
    const struct { std::string name, contents; std::optional<std::string> kind; } cases[] = {
        {"notes.txt", "milk\n", "plain text document"}, {"photo.PNG", "not really", "PNG image"},
        {"shopping", "milk\neggs\n", "plain text document"}, {"nothing", "", "empty document"},
        {"picture", png, "PNG image"}, {"blob", std::string("\x01\x02\x00\xFF\xFE", 5), {}},
        // A name that isn't UTF-8, its last sequence cut short, is still matched.
        {"caf\xC3.txt", "x", "plain text document"}, {"notes\xF0", "milk", "plain text document"}};
    for (const auto& c : cases) EXPECT_EQ(kindOf(temp.write(c.name, c.contents)), c.kind) << c.name;
    EXPECT_EQ(kindOf(temp.folder("photos.png")), "folder");
    ASSERT_EQ(::mkfifo((temp.path() / "pipe.txt").c_str(), 0600), 0);
    EXPECT_EQ(kindOf(temp.path() / "pipe.txt"), "pipe");
}

// A batch asked about on two threads, its files in two
// folders by turns, a link among them and some missing: each gets its own
// stamp, exactly as asking for it alone gives it, and a missing one none.
TEST_F(OnDisk, StampsOfABatchAreEachFilesOwn) {
    if (!FileSystem::stamp(Location(temp.path()))->birth) GTEST_SKIP() << "no birth times here";
    constexpr std::size_t count = 1200;
    for (const char* folder : {"a", "b"}) temp.folder(folder);
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < count; ++i) {
        paths.push_back((temp.path() / (i % 2 ? "a/f" : "b/f")).string() + std::to_string(i));
        if (i % 100 != 7) std::ofstream{paths.back()};  // else missing
    }
    fs::remove(paths[600]);
    fs::create_symlink("f1", paths[600]);
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
TEST_F(OnDisk, FoldersGiveBackTheirDescriptors) {
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
