// Changes of letter case on volumes that ignore it and give each spelling of a
// name an inode number of its own (FAT through FUSE, some SMB mounts), where
// the destination's lookup finds the file itself under another number.
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "ApplyCase.hpp"
#include "support/Files.hpp"
#include "support/SystemCallFaults.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using test::filesIn;
using Files = std::map<std::string, std::string>;
using Names = std::vector<std::string>;

// Lowercases three camera files in `folder`, each holding its own name, and
// returns what the batch reported, having checked that another file under
// another spelling of a destination is `exists`.
Names lowercaseCameraFiles(const fs::path& folder) {
    std::vector<Location> files;
    for (const char* name : {"Photo.JPG", "IMG_0001.JPG", "Notes.TXT"}) {
        std::ofstream(folder / name) << name;
        files.emplace_back(folder / name);
    }
    const RenamePlan plan = RenameEngine::plan(files, {RenameRule{ChangeCase{CaseStyle::lower}}},
                                               false);
    EXPECT_EQ(printed(plan), (Names{"photo.jpg", "img_0001.jpg", "notes.txt"}));
    const Names reported = performed(plan);
    std::ofstream(folder / "a.txt") << "a";
    std::ofstream(folder / "b.txt") << "b";
    EXPECT_EQ(printed(RenameEngine::planNames({folder / "a.txt", folder / "b.txt"},
                                              {"photo.jpg", "IMG_0001.jpg"})),
              (Names{"photo.jpg !exists", "IMG_0001.jpg !exists"}));
    return reported;
}

TEST(CaseFoldingVolume, ChangesOnlyLetterCaseOfTheFileItself) {
    test::TemporaryFolder temp;
    const test::FoldLetterCase folding(temp.path());
    EXPECT_EQ(lowercaseCameraFiles(temp.path()),
              (Names{"Photo.JPG > photo.jpg", "IMG_0001.JPG > img_0001.jpg",
                     "Notes.TXT > notes.txt"}));
    EXPECT_EQ(filesIn(temp.path()), (Files{{"a.txt", "a"}, {"b.txt", "b"},
                                           {"img_0001.jpg", "IMG_0001.JPG"},
                                           {"notes.txt", "Notes.TXT"}, {"photo.jpg", "Photo.JPG"}}));
}

// A FAT image mounted through FUSE in `folder`, unmounted when the value goes;
// `unavailable` says why not when it couldn't be mounted.
struct FatMount {
    explicit FatMount(const fs::path& where) : folder(where / "fat") {
        fs::create_directory(folder);
        const std::string image = "'" + (where / "fat.img").string() + "'";
        const std::string mount = "truncate -s 4M " + image + " && mkfs.vfat " + image +
                                  " >/dev/null 2>&1 && fusefat -o rw+ " + image + " '" +
                                  folder.string() + "' >/dev/null 2>&1";
        if (::access("/dev/fuse", R_OK | W_OK) != 0 || std::system(mount.c_str()) != 0) {
            unavailable = "no /dev/fuse, or no mkfs.vfat and fusefat (dosfstools, fusefat)";
            return;
        }
        mounted = true;
        // FUSE_SUPER_MAGIC: the mount has taken the folder's place.
        for (int tries = 0; tries < 100; ++tries) {
            struct statfs volume;
            if (::statfs(folder.c_str(), &volume) == 0 && volume.f_type == 0x65735546) return;
            ::usleep(50'000);
        }
        unavailable = "the FAT image didn't appear mounted";
    }
    ~FatMount() {
        const std::string quoted = " '" + folder.string() + "' >/dev/null 2>&1";
        if (mounted && std::system(("fusermount -u" + quoted).c_str()) != 0) {
            [[maybe_unused]] const int lazily = std::system(("umount -l" + quoted).c_str());
        }
    }
    FatMount(const FatMount&) = delete;
    FatMount& operator=(const FatMount&) = delete;

    fs::path folder;
    std::string unavailable;
    bool mounted = false;
};

// The same on a real FAT volume. Its FUSE server takes neither RENAME_NOREPLACE
// nor hard links, so no move can be made there without risking a plain rename:
// every move fails and leaves its file as it was.
TEST(CaseFoldingVolume, OnAFatImageThroughFuse) {
    test::TemporaryFolder temp;
    const FatMount fat(temp.path());
    if (!fat.unavailable.empty()) GTEST_SKIP() << "No FAT volume: " << fat.unavailable;
    const Names reported = lowercaseCameraFiles(fat.folder);
    EXPECT_EQ(reported.size(), 3u);
    for (const std::string& line : reported) EXPECT_TRUE(line.starts_with("! ")) << line;
    EXPECT_EQ(filesIn(fat.folder),
              (Files{{"IMG_0001.JPG", "IMG_0001.JPG"}, {"Notes.TXT", "Notes.TXT"},
                     {"Photo.JPG", "Photo.JPG"}, {"a.txt", "a"}, {"b.txt", "b"}}));
}

}  // namespace
}  // namespace tavix
