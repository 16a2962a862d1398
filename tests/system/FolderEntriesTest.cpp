#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "support/SystemCallFaults.hpp"
#include "support/TemporaryFolder.hpp"
#include "system/FileSystem.hpp"
#include "system/FolderEntries.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using FileSystem::FolderSnapshot;
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
    switch (pick(9)) {
        case 0: case 1: case 2: return folder.entries[pick(folder.entries.size())];
        case 3: case 4: case 5: {
            const auto& group = spellings[pick(spellings.size())];
            return std::to_string(pick(4)) + group[pick(group.size())];
        }
        case 6: return source.filename().string();
        case 7: return "new-" + std::to_string(pick(1000)) + ".jpg";
        default: return special[pick(std::size(special))];
    }
}

// Each path as the batch questions take it.
auto nativeOf(const std::vector<Location>& paths) {
    return [&paths](std::size_t i) -> std::string_view { return paths[i].native(); };
}

// What a batch answers about `paths`: whether each exists and what it is, and
// its identity.
struct Answers {
    std::vector<FileSystem::ExistsAndKind> kinds;
    std::vector<std::optional<FileSystem::FileId>> ids;
    friend bool operator==(const Answers&, const Answers&) = default;
};

// The same answers from one lstat per path.
Answers byLstat(const std::vector<Location>& paths) {
    Answers answers;
    for (const Location& path : paths) {
        answers.kinds.push_back(FileSystem::existsAndKind(path));
        answers.ids.push_back(FileSystem::identity(path));
    }
    return answers;
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
        std::vector<std::string> urls, names;
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

        std::vector<std::size_t> order(urls.size());
        std::iota(order.begin(), order.end(), 0);
        const auto batch = [&](FolderReads reads) {
            const auto question = [&](std::size_t i) {
                return FileSystem::BesideQuestion{urls[order[i]], names[order[i]]};
            };
            std::vector<bool> answers(order.size()),
                asked = FileSystem::FolderSnapshots(reads).existBeside(order.size(), question);
            for (std::size_t i = 0; i < order.size(); ++i) answers[order[i]] = asked[i];
            return answers;
        };
        // Without reads, each question is lstat's alone.
        const std::vector<bool> expected = batch(FolderReads::never);
        EXPECT_EQ(batch(FolderReads::judged), expected);
        EXPECT_EQ(batch(FolderReads::always), expected);
        // The same questions folder by folder, as most lists come.
        std::ranges::stable_sort(order, {},
                                 [&](std::size_t i) { return fs::path(urls[i]).parent_path(); });
        EXPECT_EQ(batch(FolderReads::always), expected);
        // A folder that can't be read leaves every answer to lstat.
        test::failFolderReads(EACCES);
        EXPECT_EQ(batch(FolderReads::always), expected);
        test::failFolderReads(0);

        // Whole paths, as a list gives them: entries of every kind, other
        // spellings, and names no entry has.
        std::vector<Location> paths;
        for (std::size_t i = 0; i < names.size(); ++i)
            paths.emplace_back(fs::path(urls[i]).parent_path() / names[i]);
        for (const auto reads : {FolderReads::always, FolderReads::judged}) {
            EXPECT_EQ((Answers{FileSystem::existAndKinds(paths, reads),
                               FileSystem::identities(paths.size(), nativeOf(paths), reads)}),
                      byLstat(paths));
        }
    }
}

// Names whose keys are the same: the read can't tell them apart, so every
// answer about them is lstat's: two entries (a, b), and an entry (c) and a name
// no entry has (d).
TEST_F(FolderEntriesTest, NamesSharingAKeyAreToldApartByLstat) {
    std::unordered_map<std::uint32_t, std::string> byKey;
    std::vector<std::string> pairs;
    for (int i = 0; pairs.size() < 4; ++i) {
        const std::string name = "n" + std::to_string(i) + ".jpg";
        const auto [at, added] =
            byKey.try_emplace(static_cast<std::uint32_t>(FolderSnapshot::hashOf(name)), name);
        if (!added) pairs.insert(pairs.end(), {at->second, name});
    }
    test::TemporaryFolder temp;
    const std::vector<Location> asked = {temp.write(pairs[0]), temp.write(pairs[1]),
                                         temp.write(pairs[2]), temp.path() / pairs[3]};
    const FolderSnapshot entries(temp.path().string(), 0, FolderReads::always);
    if (entries.outcome() == FolderSnapshot::Outcome::foldsNames)
        GTEST_SKIP() << "the temporary folder's volume may fold names";
    EXPECT_EQ(entries.find(pairs[0]).sharing, 2u);
    // What can't name an entry finds none.
    for (const char* name : {"", ".", "..", "a/b"}) EXPECT_EQ(entries.find(name).sharing, 0u) << name;
    // A name no entry has may take the identity of the entry sharing its key.
    EXPECT_EQ(FileSystem::existAndKinds(asked, FolderReads::always), byLstat(asked).kinds);
    EXPECT_EQ(FileSystem::identities(2, nativeOf(asked), FolderReads::always),
              byLstat({asked[0], asked[1]}).ids);
    const auto question = [&](std::size_t i) {
        return FileSystem::BesideQuestion{asked[0].native(), pairs[2 * i + 1]};
    };
    EXPECT_EQ(FileSystem::FolderSnapshots(FolderReads::always).existBeside(2, question),
              (std::vector<bool>{true, false}));
}

// Waits until the clock's second is past the folders' last changes (a change
// time is never before the modification time), so that their reads can be kept.
void settle(const std::vector<fs::path>& folders) {
    const auto settled = [&] {
        struct timespec now;
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        return std::ranges::all_of(folders, [&](const fs::path& folder) {
            struct stat status;
            return ::stat(folder.c_str(), &status) == 0 && status.st_ctim.tv_sec < now.tv_sec;
        });
    };
    while (!settled()) ::usleep(50'000);
}

// A kept read answers again, without reading, only while its folder is the
// same folder unchanged; every change to it, or a folder changed just before
// its read, has it read again. Each answer is lstat's all along.
TEST_F(FolderEntriesTest, KeptReadsAnswerOnlyWhileTheFolderIsUnchanged) {
    test::TemporaryFolder temp;
    std::mt19937 random(7);
    const std::vector<std::function<void(const fs::path&)>> changes = {
        [](const fs::path& f) { std::ofstream{f / "new.jpg"}; },
        [](const fs::path& f) { fs::remove(f / "0photo.jpg"); },
        [](const fs::path& f) { fs::permissions(f, fs::perms::owner_exec, fs::perm_options::remove); },
        [&](const fs::path& f) {  // another folder at the same path
            fs::rename(f, temp.path() / "moved");
            fs::copy(temp.path() / "moved", f,
                     fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        },
        [](const fs::path& f) { fs::remove_all(f); },
    };
    std::vector<fs::path> paths;
    std::vector<Folder> folders;
    for (std::size_t c = 0; c < changes.size(); ++c) {
        folders.push_back(makeFolder(temp.path() / std::to_string(c), random));
        if (!fs::exists(folders.back().path / "0photo.jpg")) std::ofstream{folders.back().path / "0photo.jpg"};
        paths.push_back(folders.back().path);
    }
    const auto ask = [&](FileSystem::FolderSnapshots& kept, const Folder& folder) {
        std::vector<Location> asked;
        for (const std::string& name : folder.entries) asked.emplace_back(folder.path / name);
        for (const char* name : {"0photo.jpg", "new.jpg", "none"})
            asked.emplace_back(folder.path / name);
        EXPECT_EQ((Answers{kept.existAndKinds(asked), kept.identities(asked.size(), nativeOf(asked))}),
                  byLstat(asked));
    };
    // Whether the kept read of `folder` answers without reading it again.
    const auto keptWithoutReading = [](FileSystem::FolderSnapshots& kept, const fs::path& folder) {
        test::failFolderReads(EACCES);
        const bool answered = kept.of(folder.string() + "/", 100) != nullptr;
        test::failFolderReads(0);
        return answered;
    };

    settle(paths);
    FileSystem::FolderSnapshots kept;
    for (const Folder& folder : folders) ask(kept, folder);
    if (FolderSnapshot(folders[0].path.string(), 0, FolderReads::always).outcome() ==
        FolderSnapshot::Outcome::foldsNames)
        GTEST_SKIP() << "the temporary folder's volume may fold names";
    // Unchanged: answered from the kept read, which reading now couldn't give.
    for (const Folder& folder : folders)
        EXPECT_TRUE(keptWithoutReading(kept, folder.path)) << folder.path;

    for (std::size_t c = 0; c < changes.size(); ++c) {
        SCOPED_TRACE(c);
        changes[c](folders[c].path);
        EXPECT_FALSE(keptWithoutReading(kept, folders[c].path));
        ask(kept, folders[c]);
    }
    // A folder changed within the read's second is read again next time.
    ask(kept, folders[0]);
    EXPECT_FALSE(keptWithoutReading(kept, folders[0].path));
}

}  // namespace
}  // namespace tavix
