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

// What reading a path handed to us gives: its bytes, or why not. A regular
// file's read refuses anything else at once, never read and never waited on;
// a read to the end takes pipes and FIFOs too (lists and steps handed to the
// terminal program come that way) but nothing without end.
TEST(RegularFile, ReadsOnlyRegularFilesOrPipesAndWithinTheirLimit) {
    test::TemporaryFolder temp;
    const fs::path file = temp.write("notes.json", "[1,2,3]");
    const fs::path fifo = temp.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path toFile = temp.path() / "link", toZero = temp.path() / "zero";
    fs::create_symlink(file, toFile);
    fs::create_symlink("/dev/zero", toZero);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "c.jpg\n", 6), 6);
    ::close(ends[1]);
    const FileSystem::Descriptor reading(ends[0]);
    const fs::path pipe = "/proc/self/fd/" + std::to_string(ends[0]);

    const auto system = [](int error) { return std::error_code(error, std::system_category()); };
    const struct { fs::path path; size_t limit; std::error_code regular, end; std::string out; }
        cases[] = {
        {file, 99, {}, {}, "[1,2,3]"}, {file, 7, {}, {}, "[1,2,3]"}, {toFile, 9, {}, {}, "[1,2,3]"},
        {file, 6, FileError::tooLarge, FileError::tooLarge, ""},
        {fifo, 100, FileError::notRegular, {}, ""},  // no writer: at its end at once
        {pipe, 100, FileError::notRegular, {}, "c.jpg\n"},
        {toZero, 100, FileError::notRegular, FileError::tooLarge, ""},
        {temp.path(), 100, FileError::notRegular, system(EISDIR), ""},
        {temp.path() / "missing", 100, system(ENOENT), system(ENOENT), ""},
    };
    // A read to the end, as the terminal program reads its inputs.
    const auto readToEnd = [](const fs::path& path, std::size_t limit, std::string& out) {
        std::error_code error;
        const FileSystem::Descriptor in = FileSystem::openForReading(path, error);
        return error ? error : FileSystem::readAll(in, limit, out);
    };
    for (const auto& c : cases) {
        for (const bool toEnd : {false, true}) {
            std::string bytes;
            const std::error_code error =
                toEnd ? readToEnd(c.path, c.limit, bytes)
                      : FileSystem::readRegularFile(c.path, c.limit, bytes);
            EXPECT_EQ(error, toEnd ? c.end : c.regular) << c.path << ": " << error.message();
            EXPECT_EQ(bytes, error ? "" : c.out) << c.path;
        }
    }

    std::error_code error;
    EXPECT_FALSE(FileSystem::openRegularNoFollow(toFile, error));
    EXPECT_EQ(error, system(ELOOP));
    EXPECT_TRUE(FileSystem::openRegularNoFollow(file, error));

    // A read that fails is reported, not tried again: a folder can't be read.
    const FileSystem::Descriptor folder(::open(temp.path().c_str(), O_RDONLY | O_CLOEXEC));
    char byte;
    std::size_t got = 1;
    EXPECT_EQ(FileSystem::readSome(folder, &byte, 1, got), system(EISDIR));
    EXPECT_EQ(FileSystem::readAt(folder, 0, &byte, 1, got), system(EISDIR));
    EXPECT_EQ(got, 0u);
    // The end of a file ends a read, whatever errno holds from an earlier call.
    const FileSystem::Descriptor nothing(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    errno = EINTR;
    EXPECT_EQ(FileSystem::readSome(nothing, &byte, 1, got), std::error_code());
    errno = EINTR;
    EXPECT_EQ(FileSystem::readAt(nothing, 0, &byte, 1, got), std::error_code());
}

}  // namespace
}  // namespace tavix
