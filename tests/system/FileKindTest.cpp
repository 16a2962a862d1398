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

TEST(DescribesKinds, AsAFileManagerDoes) {
    test::TemporaryFolder temp;
    const std::string pngMagic = "\x89PNG\r\n\x1A\n";
    const struct { std::string name, contents; std::optional<std::string> kind; } cases[] = {
        // The name decides when it is conclusive, even against the contents.
        {"notes.txt", "milk\n", "plain text document"}, {"photo.PNG", "not really", "PNG image"},
        // Without a telling name, the first bytes decide.
        {"shopping", "milk\neggs\n", "plain text document"}, {"nothing", "", "empty document"},
        {"picture", pngMagic + std::string(32, '\0'), "PNG image"},
        // Unknown binary data has no description; callers fall back to the extension.
        {"blob", std::string("\x01\x02\x00\xFF\xFE", 5), std::nullopt},
        // A name that isn't UTF-8, its last sequence cut short, is still matched.
        {"caf\xC3.txt", "x", "plain text document"}, {"notes\xF0", "milk", "plain text document"}};
    for (const auto& c : cases) EXPECT_EQ(kindOf(temp.write(c.name, c.contents)), c.kind) << c.name;

    EXPECT_EQ(kindOf(temp.folder("photos.png")), "folder");
    const fs::path fifo = temp.path() / "pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(kindOf(fifo), "pipe");
}

}  // namespace
}  // namespace tavix
