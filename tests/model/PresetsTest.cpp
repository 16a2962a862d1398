#include "model/Presets.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "model/TavixModel.hpp"
#include "support/Files.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace Presets {
void PrintTo(const Error& error, std::ostream* out) {
    *out << "kind " << static_cast<int>(error.kind) << " \"" << error.detail << '"';
}
}  // namespace Presets

namespace {

namespace fs = std::filesystem;
using Kind = Presets::Error::Kind;
using Names = std::vector<std::string>;

// "Café" precomposed (NFC) and with a combining accent (NFD).
const std::string composed = "Caf\u00E9";
const std::string decomposed = "Cafe\u0301";

// Presets kept in a fresh config folder for each test.
class PresetStore : public ::testing::Test {
protected:
    PresetStore() { setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }
    ~PresetStore() override { unsetenv("XDG_CONFIG_HOME"); }

    fs::path folder() const { return config.path() / "tavix" / "presets"; }
    Names names() const {
        Names found;
        EXPECT_EQ(Presets::list(found), std::nullopt);
        return found;
    }
    // Loads the preset into `rules`, emptied first.
    std::optional<Presets::Error> load(const std::string& name) {
        rules.clear();
        return Presets::load(name, rules);
    }

    std::vector<RenameRule> rules;

    test::TemporaryFolder config;
    const std::vector<RenameRule> lower{RenameRule{ChangeCase{CaseStyle::lower}}};
    const std::vector<RenameRule> upper{RenameRule{ChangeCase{CaseStyle::upper}}};
};

TEST(PresetNames, AreShortPrintableTextThatIsNoPath) {
    // Characters as people count them: 100 accented letters of two code points each.
    std::string accents;
    for (int i = 0; i < 100; ++i) accents += decomposed.substr(3);
    const struct {
        std::string name;
        bool valid;
    } cases[] = {
        {"photos 2024", true}, {std::string(100, 'x'), true}, {std::string(101, 'x'), false},
        {accents, true},       {"", false},                   {".hidden", false},
        {"a/b", false},        {"unit\x1f", false},           {"del\x7f", false},
        {"next\u0085line", false},       // C1
        {"\u00A0no-break space", true},  // just past C1
        {"bad\xff", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Presets::isValidName(c.name), c.valid) << c.name;
}

TEST_F(PresetStore, KeepsOnePresetPerCanonicalName) {
    ASSERT_EQ(Presets::save(decomposed, lower, false), std::nullopt);
    EXPECT_TRUE(fs::exists(folder() / (composed + ".json")));
    EXPECT_EQ(names(), Names{composed});
    EXPECT_EQ(Presets::save(composed, upper, false), (Presets::Error{Kind::exists, {}}));
    for (const std::string& spelling : {composed, decomposed}) {
        EXPECT_TRUE(!load(spelling) && rules == lower) << spelling;
    }
    EXPECT_EQ(Presets::remove(decomposed), std::nullopt);
    EXPECT_EQ(names(), Names{});
    EXPECT_EQ(Presets::remove(decomposed), (Presets::Error{Kind::missing, {}}));
    // Nothing but the presets themselves was ever left in the folder.
    EXPECT_TRUE(fs::is_empty(folder()));
    // Listed under the spelling it has, a preset saved so before is found under it.
    config.write("tavix/presets/" + decomposed + ".json", R"([{"changeCase":{"_0":"lowercase"}}])");
    EXPECT_EQ(names(), Names{decomposed});
    EXPECT_TRUE(!load(decomposed) && rules == lower);
    EXPECT_EQ(Presets::remove(decomposed), std::nullopt);
    EXPECT_TRUE(fs::is_empty(folder()));
}

// An absolute XDG_CONFIG_HOME names the folder, else an absolute HOME; a
// relative one of either is ignored.
TEST_F(PresetStore, FolderComesFromAnAbsoluteConfigElseHome) {
    const char* was = std::getenv("HOME");
    const std::optional<std::string> home = was ? std::optional<std::string>(was) : std::nullopt;
    setenv("XDG_CONFIG_HOME", "c", 1);
    setenv("HOME", "/h", 1);
    EXPECT_EQ(Presets::folder(), fs::path("/h/.config/tavix/presets"));
    setenv("HOME", "h", 1);
    EXPECT_EQ(Presets::folder(), std::nullopt);
    home ? setenv("HOME", home->c_str(), 1) : unsetenv("HOME");
}

// A FIFO would block a reader and /dev/zero would feed it without end: anything
// but a regular file is refused at once and left out of the list. A file that
// doesn't decode says why.
TEST_F(PresetStore, TellsWhyAPresetCannotBeLoaded) {
    ASSERT_EQ(Presets::save("kept", lower, false), std::nullopt);
    ASSERT_EQ(::mkfifo((folder() / "fifo.json").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder() / "zero.json");
    fs::create_symlink(folder() / "kept.json", folder() / "link.json");
    fs::create_directory(folder() / "folder.json");
    config.write("tavix/presets/.hidden.json", "[]");
    config.write("tavix/presets/notes.txt", "[]");
    config.write("tavix/presets/bad.json", "[");
    config.write("tavix/presets/object.json", R"({"changeCase":{}})");
    EXPECT_EQ(names(), (Names{"bad", "kept", "link", "object"}));
    EXPECT_EQ(load("bad"), (Presets::Error{Kind::undecodable, "not valid JSON"}));
    EXPECT_EQ(load("object"),
              (Presets::Error{Kind::undecodable, "expected a JSON array of steps"}));
    EXPECT_EQ(load("fifo"), (Presets::Error{Kind::unreadable, "not a regular file"}));
    EXPECT_EQ(load("link"), std::nullopt);
    EXPECT_EQ(load("missing"), (Presets::Error{Kind::missing, {}}));
    EXPECT_EQ(load("a/b"), (Presets::Error{Kind::badName, {}}));
    EXPECT_EQ(load("made\nby hand")->kind, Kind::missing);  // readable, were it there
}

// The presets folder can't be made, a file standing where it would go.
TEST_F(PresetStore, SaveFailsWholeAndLeavesNothingBehind) {
    config.write("tavix/presets", "not a folder");
    EXPECT_EQ(Presets::save("p", lower, false).value_or(Presets::Error{}).kind, Kind::unwritable);
    EXPECT_EQ(test::contentsOf(folder()), "not a folder");
}

// The window's side of the store: a preset loaded is one assignment of new
// steps, the first selected; one that can't be loaded changes nothing.
TEST_F(PresetStore, ModelLoadsAPresetAsOneAssignmentToTheStack) {
    TavixModel window;
    window.setRule(window.rules()[0].id, lower[0]);
    window.addStep();
    ASSERT_EQ(window.savePreset("two", false), std::nullopt);
    EXPECT_EQ(window.presetNames(), Names{"two"});
    TavixModel other;
    std::vector<TavixModel::Field> told;
    const auto watching = other.observe([&](TavixModel::Field f) { told.push_back(f); });
    EXPECT_EQ(other.loadPreset("none")->kind, Kind::missing);
    EXPECT_TRUE(told.empty());
    ASSERT_EQ(other.loadPreset("two"), std::nullopt);
    using F = TavixModel::Field;
    EXPECT_EQ(told, (std::vector<F>{F::rules, F::plan, F::selection}));
    EXPECT_EQ(other.rules().size(), 2u);
    EXPECT_EQ(other.rules()[0].rule, lower[0]);
    EXPECT_EQ(other.selection(), other.rules()[0].id);
}

}  // namespace
}  // namespace tavix
