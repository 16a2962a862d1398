#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "support/SystemCallFaults.hpp"
#include "support/TemporaryFolder.hpp"
#include "system/FileSystem.hpp"
#include "system/FolderEntries.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using FileSystem::FolderEntries;
using FileSystem::FolderReads;

// Spellings of one name that a volume ignoring case or normalising names could
// take for each other; a byte-exact one keeps them apart.
const std::vector<std::vector<std::string>> spellings = {
    {"photo.jpg", "Photo.jpg", "PHOTO.JPG", "photo.JPG"},
    {"caf\u00e9.txt", "cafe\u0301.txt", "CAF\u00c9.txt", "CAFE\u0301.TXT"},
    {"\u00e9t\u00e9", "e\u0301te\u0301", "\u00c9T\u00c9"},
    {"stra\u00dfe", "STRASSE", "strasse", "STRA\u1e9e"},
    {"\u01c4ungla", "\u01c5ungla", "\u01c6ungla"},
    {"\u212b", "\u00c5", "A\u030a", "\u00e5"},
    {"report", "Report", "REPORT", "report "},
};

// A folder of random entries: files, hard links of them, symbolic links to
// them, to nothing and to a folder, and folders, under names that often differ
// from others only by case or normalisation.
struct Folder {
    fs::path path;
    std::vector<std::string> entries;
    std::vector<fs::path> files;
};

Folder makeFolder(const fs::path& path, std::mt19937& random) {
    Folder folder{.path = path, .entries = {}, .files = {}};
    fs::create_directories(path);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int i = 0; i < 60; ++i) {
        const auto& group = spellings[pick(spellings.size())];
        const std::string name = std::to_string(pick(4)) + group[pick(group.size())];
        const fs::path entry = path / name;
        if (fs::symlink_status(entry).type() != fs::file_type::not_found) continue;
        switch (folder.files.empty() ? 0 : pick(8)) {
            case 4: fs::create_hard_link(folder.files[pick(folder.files.size())], entry); break;
            case 5: fs::create_symlink(folder.files[pick(folder.files.size())].filename(), entry); break;
            case 6: fs::create_symlink("gone", entry); break;
            case 7: fs::create_directory_symlink("..", entry); break;
            default:
                if (pick(10) == 0) {
                    fs::create_directory(entry);
                } else {
                    std::ofstream{entry};
                    folder.files.push_back(entry);
                }
        }
        folder.entries.push_back(name);
    }
    return folder;
}

// A name to ask about beside `source`: an entry's own spelling, another
// spelling of one, the source's, a fresh one, or one lstat doesn't take as one
// entry.
std::string candidate(const Folder& folder, const fs::path& source, std::mt19937& random) {
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const std::string special[] = {".", "..", "", "sub/x", std::string(300, 'a'),
                                   std::string("a\0b", 3)};
    switch (pick(10)) {
        case 0: case 1: case 2: return folder.entries[pick(folder.entries.size())];
        case 3: case 4: case 5: {
            const auto& group = spellings[pick(spellings.size())];
            return std::to_string(pick(4)) + group[pick(group.size())];
        }
        case 6: return source.filename().string();
        case 7: return "new-" + std::to_string(pick(1000)) + ".jpg";
        case 8: {  // another letter case of an entry's ASCII letters
            std::string name = folder.entries[pick(folder.entries.size())];
            for (char& c : name) c = std::isupper(c) ? char(std::tolower(c)) : char(std::toupper(c));
            return name;
        }
        default: return special[pick(std::size(special))];
    }
}

class FolderEntriesTest : public ::testing::Test {
protected:
    void TearDown() override { test::failFolderReads(0); }
};

TEST_F(FolderEntriesTest, AnswerAsOneLstatPerNameDoes) {
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        test::TemporaryFolder temp;
        const Folder folders[] = {makeFolder(temp.path() / "a", random),
                                  makeFolder(temp.path() / "b", random),
                                  makeFolder(temp.path() / "c", random)};

        // Questions from two folders, interleaved, a few in a third (too few to
        // read it) and some in a folder that has vanished.
        std::vector<std::string> urls;
        std::vector<std::string> names;
        for (int i = 0; i < 600; ++i) {
            const Folder& folder = folders[i < 597 ? random() % 2 : 2];
            const fs::path source = i % 50 == 0 ? folder.path / "vanished.jpg"
                                                : folder.files[random() % folder.files.size()];
            urls.push_back(source.string());
            names.push_back(candidate(folder, source, random));
        }
        for (int i = 0; i < 20; ++i) {
            urls.push_back((temp.path() / "gone" / "x.jpg").string());
            names.push_back(folders[0].entries[0]);
        }

        std::vector<bool> expected;
        for (std::size_t i = 0; i < urls.size(); ++i)
            expected.push_back(FileSystem::existsBeside(urls[i], names[i]));
        const auto batch = [&](FolderReads reads) {
            return FileSystem::existBeside(
                urls.size(),
                [&](std::size_t i) { return FileSystem::BesideQuestion{urls[i], names[i]}; },
                reads);
        };
        EXPECT_EQ(batch(FolderReads::judged), expected);
        EXPECT_EQ(batch(FolderReads::always), expected);
        // The same questions folder by folder, as most lists come.
        std::vector<std::size_t> order(urls.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return fs::path(urls[a]).parent_path() < fs::path(urls[b]).parent_path();
        });
        const auto sorted = FileSystem::existBeside(
            order.size(),
            [&](std::size_t i) {
                return FileSystem::BesideQuestion{urls[order[i]], names[order[i]]};
            },
            FolderReads::always);
        for (std::size_t i = 0; i < order.size(); ++i)
            EXPECT_EQ(sorted[i], expected[order[i]]) << urls[order[i]] << " " << names[order[i]];
        // A folder that can't be read leaves every answer to lstat.
        test::failFolderReads(EACCES);
        EXPECT_EQ(batch(FolderReads::always), expected);
        test::failFolderReads(0);

        // Whole paths, as a list gives them: entries of every kind, other
        // spellings, and names no entry has.
        std::vector<Location> paths;
        for (std::size_t i = 0; i < names.size(); ++i)
            paths.emplace_back(fs::path(urls[i]).parent_path() / names[i]);
        std::vector<FileSystem::ExistsAndKind> kinds;
        std::vector<std::optional<FileSystem::FileId>> ids;
        for (const Location& path : paths) {
            kinds.push_back(FileSystem::existsAndKind(path));
            ids.push_back(FileSystem::identity(path));
        }
        for (const auto reads : {FolderReads::always, FolderReads::judged}) {
            EXPECT_EQ(FileSystem::existAndKinds(paths, reads), kinds);
            EXPECT_EQ(FileSystem::identities(
                          paths.size(),
                          [&](std::size_t i) -> std::string_view { return paths[i].native(); },
                          reads),
                      ids);
        }

        // The read itself, name by name, where the volume compares bytes.
        for (const Folder& folder : folders) {
            std::vector<std::string> asked;
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (fs::path(urls[i]).parent_path() == folder.path && !names[i].empty() &&
                    names[i] != "." && names[i] != ".." &&
                    names[i].find_first_of(std::string_view("/\0", 2)) == std::string::npos)
                    asked.push_back(names[i]);
            }
            const FolderEntries entries(
                folder.path.string(), asked.size(),
                [&](std::size_t i) { return std::string_view(asked[i]); }, false,
                FolderReads::always);
            if (entries.outcome() == FolderEntries::Outcome::foldsNames)
                GTEST_SKIP() << folder.path << " is on a volume that may fold names";
            ASSERT_EQ(entries.outcome(), FolderEntries::Outcome::read);
            for (std::size_t i = 0; i < asked.size(); ++i) {
                struct stat status;
                const bool there = ::lstat((folder.path / asked[i]).c_str(), &status) == 0;
                EXPECT_EQ(entries.found(i), there) << asked[i];
            }
        }
    }
}

}  // namespace
}  // namespace tavix
