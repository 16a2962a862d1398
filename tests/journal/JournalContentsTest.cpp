#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "journal/JournalContents.hpp"

namespace tavix::journal {
namespace {

using Fate = JournalContents::Fate;

// Reads `before`, `blanks` spaces, then `after`.
ReadBytes source(std::string before, std::size_t blanks = 0, std::string after = "") {
    return [=, at = std::size_t(0)](char* buffer, std::size_t size, std::size_t& got) mutable {
        const std::size_t middle = before.size(), end = middle + blanks;
        got = std::min(size, end + after.size() - at);
        for (std::size_t i = 0; i < got; ++i, ++at)
            buffer[i] = at < middle ? before[at] : at < end ? ' ' : after[at - end];
        return std::error_code();
    };
}

JournalContents read(const std::string& text) {
    return readJournal(source(text), "j");
}

const std::string header =
    R"({"tavixJournal":3,"created":"2026-12-09T14:03:11Z","by":"t","planned":2})";
std::string move(const std::string& from, const std::string& to) {
    return R"({"from":")" + from + R"(","to":")" + to +
           R"(","device":1,"inode":2,"birth":null,"temporary":null})";
}
const std::string moves = move("/d/a", "/d/b") + "\n" + move("/d/c", "/d/e") + "\n";

TEST(JournalContents, ALineCutShortAtTheEndIsIgnoredDamageElsewhereIsNamed) {
    // A key a later version adds, of any type, is passed over.
    const auto whole = read(header + "\n" + moves +
                            "{\"intent\":\"complete\"}\n{\"moved\":2,\"later\":true}\n{\"sta");
    EXPECT_TRUE(whole.damage.empty());
    EXPECT_TRUE(whole.intentComplete);
    EXPECT_EQ(whole.fates, (std::vector{Fate::unknown, Fate::moved}));
    EXPECT_EQ(whole.state, JournalState::pending);

    // A damaged planned move keeps its place, so the moves after it keep their numbers.
    const auto damaged =
        read(header + "\n{\"from\":\"/d/a\",\"to\n" + move("/d/c", "/d/e") +
             "\n{\"intent\":\"complete\"}\n{\"moved\":2}\n3\n" +
             R"({"state":"complete","message":"Renamed 1 file.","moved":1,"failed":0})" + "\n");
    ASSERT_EQ(damaged.damage.size(), 2u);
    EXPECT_EQ(damaged.damage[0].rfind("line 2: not valid JSON", 0), 0u) << damaged.damage[0];
    EXPECT_EQ(damaged.damage[1], "line 6: not a JSON object");
    EXPECT_EQ(damaged.fates, (std::vector{Fate::unreadable, Fate::moved}));
    EXPECT_EQ(damaged.planned[1].from, Location("/d/c"));
    EXPECT_EQ(damaged.state, JournalState::complete);
    EXPECT_EQ(damaged.message, "Renamed 1 file.");
}

// A value of the wrong type is damage: a fraction or a string never passes for
// the null of a move recorded without identity, birth or temporary name. So is
// a line longer than the reader keeps, whatever it holds.
TEST(JournalContents, ValuesOfTheWrongTypeMakeAPlannedMoveUnreadable) {
    const std::string noIdentity = "a planned move without a valid device and inode";
    const std::pair<std::string, std::string> cases[] = {
        {R"("device":1.5,"inode":2.5,"birth":null,"temporary":null)", noIdentity},
        {R"("device":"1","inode":2,"birth":null,"temporary":null)", noIdentity},
        {R"("device":null,"inode":2,"birth":null,"temporary":null)", noIdentity},
        {R"("device":-1,"inode":2,"birth":null,"temporary":null)", noIdentity},
        {R"("device":null,"inode":null,"birth":0.5,"temporary":null)",
         "a birth time that can't be read"},
        {R"("device":null,"inode":null,"birth":null,"temporary":1.5)",
         "a temporary name that isn't a path"},
        // The first fault of a path object is the one told.
        {R"("device":null,"inode":null,"birth":null,"temporary":{"x":1})",
         "a path object other than {\"base64\":\u2026}"},
        {R"("device":null,"inode":null,"birth":null,"temporary":{"base64":true,"x":1})",
         "a value nested where none belongs"},
        {R"("device":null,"inode":null,"birth":null,"temporary":{"base64":"L2E"})",
         "a path that isn't base64"},
        {R"("device":null,"inode":null,"birth":null,"temporary":["/a"])",
         "a list where none belongs"},
        // A line past the reader's limit is damage whatever it holds.
        {R"("device":null,"inode":null,"birth":null,"temporary":null,"pad":")" +
             std::string(LineReader::maxLine, ' ') + '"',
         "longer than any journal line"},
    };
    for (const auto& [fields, reason] : cases) {
        const auto contents = read(header + "\n" + R"({"from":"/d/a","to":"/d/b",)" + fields +
                                   "}\n" + move("/d/c", "/d/e") + "\n");
        const std::string row = fields.substr(0, 80);
        EXPECT_EQ(contents.damage, std::vector<std::string>{"line 2: " + reason}) << row;
        EXPECT_EQ(contents.fates, (std::vector{Fate::unreadable, Fate::unknown})) << row;
    }
    // A move without its new name.
    EXPECT_EQ(read(header + "\n" + R"({"from":"/d/a","device":null,"inode":null})" + "\n" + moves)
                  .damage,
              std::vector<std::string>{"line 2: a planned move needs \"from\" and \"to\" paths"});
}

TEST(JournalContents, PathsThatCouldLeadAnywhereRefuseTheWholeJournal) {
    const std::pair<std::string, std::string> cases[] = {
        {move("/d/x/../../etc/a", "/d/x/../../etc/b"), "a path with \".\" or \"..\" in it"},
        {move("/d/./a", "/d/./b"), "a path with \".\" or \"..\" in it"},
        {move("d/a", "d/b"), "a path that isn't absolute"},
        {move("/d/a", "/e/a"), "a move that leaves its folder"},
        {move("/d/a", "/d/"), "a path that names no file"},
        {R"({"from":"/d/a","to":"/d/b","device":1,"inode":2,"birth":null,"temporary":"/d/.."})",
         "a path with \".\" or \"..\" in it"},
    };
    for (const auto& [line, error] : cases) {
        EXPECT_THAT([&] { read(header + "\n" + line + "\n"); },
                    ::testing::ThrowsMessage<JournalError>(::testing::StrEq("j: line 2: " + error)));
    }
    EXPECT_THROW(read("{\"tavixJournal\":3,\"planned\":1\n" + moves), JournalError);
    EXPECT_THROW(read("{\"tavixJournal\":4}\n"), JournalError);
}

TEST(JournalContents, TheEarlierFormsAreReadARecordAtATime) {
    // Whitespace between values is squeezed as the document is read; within a
    // value, at its start and after an escaped quote too, every space is kept.
    const std::string spaced = R"(/d/e\"  f  g)";
    const auto second = read(
        R"({"tavixJournal":2,"created":"c",  "state":"complete","planned":[)" +
        move("/d/a", "/d/b") + ",\n\t   " + move("/d/c", spaced) + R"(],"moves":[{"from":"/d/c","to":")" +
        spaced + R"("}],"failures":[{"path":"/d/a","message":"m"}],"message":"  M"})");
    EXPECT_EQ(second.version, 2);
    EXPECT_EQ(second.fates, (std::vector{Fate::failed, Fate::moved}));
    EXPECT_EQ(second.planned[0].identity, (FileSystem::FileId{1, 2}));
    EXPECT_EQ(second.planned[1].to, Location("/d/e\"  f  g"));
    EXPECT_EQ(second.message, "  M");

    // An identity of the wrong type is damage, as in a journal of lines.
    EXPECT_THROW(
        read(
            R"({"tavixJournal":2,"planned":[{"from":"/d/a","to":"/d/b","device":1.5,"inode":2.5}]})"),
        JournalError);

    // Cut in half: the moves read so far, and the damage.
    const auto cut = read(R"({"tavixJournal":2,"state":"complete","planned":[)" +
                          move("/d/a", "/d/b") + ",{\"from\":");
    EXPECT_EQ(cut.planned.size(), 1u);
    EXPECT_FALSE(cut.intentComplete);
    EXPECT_EQ(cut.damage.size(), 1u);
}

// 200 MB of whitespace, before a document or as one line of a journal of
// lines, is read in bounded memory.
TEST(JournalContents, HugeJournalsAreReadInBoundedMemory) {
    const std::pair<std::string, std::string> cases[] = {{"", "{\"moves\":[]}"},
                                                         {header + "\n", "\n"}};
    for (const auto& [before, after] : cases) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                (void)readJournal(source(before, 200u << 20, after), "j");
            } catch (const JournalError&) {
            }
            struct rusage usage;
            ::getrusage(RUSAGE_SELF, &usage);
            ::_exit(usage.ru_maxrss < 64 * 1024 ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << before;
    }
}

}  // namespace
}  // namespace tavix::journal
