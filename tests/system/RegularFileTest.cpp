#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "support/TemporaryFolder.hpp"
#include "system/ChunkReads.hpp"
#include "system/RegularFile.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using FileSystem::FileError;

// What reading a path handed to us gives: its bytes, or why not. Anything that
// isn't a regular file is refused at once, never read and never waited on.
TEST(RegularFile, ReadsOnlyRegularFilesAndWithinTheirLimit) {
    test::TemporaryFolder temp;
    const fs::path file = temp.write("notes.json", "[1,2,3]");
    const fs::path fifo = temp.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path toFile = temp.path() / "link";
    fs::create_symlink(file, toFile);
    const fs::path toZero = temp.path() / "zero";
    fs::create_symlink("/dev/zero", toZero);

    struct Case {
        fs::path path;
        std::size_t limit;
        std::error_code error;
        std::string bytes;
    };
    const Case cases[] = {
        {file, 100, {}, "[1,2,3]"},
        {file, 7, {}, "[1,2,3]"},
        {file, 6, FileError::tooLarge, ""},
        {toFile, 100, {}, "[1,2,3]"},
        {fifo, 100, FileError::notRegular, ""},
        {toZero, 100, FileError::notRegular, ""},
        {temp.path(), 100, FileError::notRegular, ""},
        {temp.path() / "missing", 100, std::error_code(ENOENT, std::system_category()),
         ""},
    };
    for (const Case& c : cases) {
        std::string bytes;
        const std::error_code error = FileSystem::readRegularFile(c.path, c.limit, bytes);
        EXPECT_EQ(error, c.error) << c.path << ": " << error.message();
        if (!c.error) {
            EXPECT_EQ(bytes, c.bytes) << c.path;
        }
    }

    std::error_code error;
    EXPECT_FALSE(FileSystem::openRegularNoFollow(toFile, error));
    EXPECT_EQ(error, std::error_code(ELOOP, std::system_category()));
    EXPECT_TRUE(FileSystem::openRegularNoFollow(file, error));
}

// Lists and steps handed to the terminal program may come through a pipe or a
// FIFO; nothing is ever waited on without a writer, nor read without end.
TEST(RegularFile, ReadsPipesToTheirEndButNothingWithoutEnd) {
    test::TemporaryFolder temp;
    const fs::path file = temp.write("list.txt", "a.jpg\nb.jpg\n");
    const fs::path fifo = temp.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "c.jpg\n", 6), 6);
    ::close(ends[1]);
    const FileSystem::Descriptor reading(ends[0]);
    const fs::path pipe = "/proc/self/fd/" + std::to_string(ends[0]);

    struct Case {
        fs::path path;
        std::error_code error;
        std::string bytes;
    };
    const Case cases[] = {
        {file, {}, "a.jpg\nb.jpg\n"},
        {pipe, {}, "c.jpg\n"},
        {fifo, {}, ""},  // no writer: at its end at once
        {"/dev/zero", FileError::tooLarge, ""},
        {temp.path(), std::error_code(EISDIR, std::system_category()), ""},
        {temp.path() / "missing", std::error_code(ENOENT, std::system_category()), ""},
    };
    for (const Case& c : cases) {
        std::string bytes;
        const std::error_code error = FileSystem::readToEnd(c.path, 1000, bytes);
        EXPECT_EQ(error, c.error) << c.path << ": " << error.message();
        if (!c.error) {
            EXPECT_EQ(bytes, c.bytes) << c.path;
        }
    }
}

// A read that fails is reported, not tried again: a folder can't be read.
TEST(ChunkReads, AFailedReadIsReportedAtOnce) {
    test::TemporaryFolder temp;
    const FileSystem::Descriptor folder(::open(temp.path().c_str(), O_RDONLY | O_CLOEXEC));
    char byte;
    std::size_t got = 1;
    const std::error_code isFolder(EISDIR, std::system_category());
    EXPECT_EQ(FileSystem::readSome(folder, &byte, 1, got), isFolder);
    EXPECT_EQ(FileSystem::readAt(folder, 0, &byte, 1, got), isFolder);
    EXPECT_EQ(got, 0u);
}

}  // namespace
}  // namespace tavix
