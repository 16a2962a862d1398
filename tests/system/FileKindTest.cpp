#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/TemporaryFolder.hpp"
#include "system/FileKind.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> kindOf(const fs::path& path) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileKind::describe(path, status.st_mode & S_IFMT,
                              static_cast<std::uint64_t>(status.st_size));
}

struct KindCase {
    std::string name;
    std::string contents;
    std::optional<std::string> kind;
};

class DescribesKinds : public ::testing::TestWithParam<KindCase> {
protected:
    testing::TemporaryFolder temp;
};

TEST_P(DescribesKinds, AsAFileManagerDoes) {
    const auto& c = GetParam();
    EXPECT_EQ(kindOf(temp.write(c.name, c.contents)), c.kind) << c.name;
}

const std::string pngMagic = "\x89PNG\r\n\x1A\n";

INSTANTIATE_TEST_SUITE_P(
    Files, DescribesKinds,
    ::testing::Values(
        // The name decides when it is conclusive, even against the contents.
        KindCase{"notes.txt", "milk\n", "plain text document"},
        KindCase{"photo.PNG", "not really", "PNG image"},
        KindCase{"empty.txt", "", "plain text document"},
        // Without a telling name, the first bytes decide.
        KindCase{"shopping", "milk\neggs\n", "plain text document"},
        KindCase{"picture", pngMagic + std::string(32, '\0'), "PNG image"},
        KindCase{"nothing", "", "empty document"},
        // Unknown binary data has no description; callers fall back to the extension.
        KindCase{"blob", std::string("\x01\x02\x00\xFF\xFE", 5), std::nullopt},
        KindCase{"data.xyz1", std::string("\x01\x02\x00\xFF\xFE", 5), std::nullopt},
        // A name that isn't UTF-8, its last sequence cut short, is still matched.
        KindCase{"caf\xC3.txt", "x", "plain text document"},
        KindCase{"notes\xF0", "milk\n", "plain text document"}));

TEST(DescribesKinds, FoldersAndPipes) {
    testing::TemporaryFolder temp;
    EXPECT_EQ(kindOf(temp.folder("photos.png")), "folder");
    const fs::path fifo = temp.path() / "notes.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(kindOf(fifo), "pipe");
}

}  // namespace
}  // namespace tavix
