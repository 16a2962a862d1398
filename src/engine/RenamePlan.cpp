#include "engine/RenamePlan.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <deque>
#include <type_traits>
#include <unordered_set>

#include "engine/RenameEngine.hpp"
#include "engine/StepStages.hpp"
#include "engine/TextColumn.hpp"
#include "text/CaseMapping.hpp"
#include "text/Utf.hpp"
#include "system/FileSystem.hpp"
#include "system/FolderEntries.hpp"
#include "text/CanonicalText.hpp"
#include "text/CharacterClasses.hpp"
#include "text/PathNames.hpp"

namespace tavix {
namespace {

// "/" and ":" are refused; so is NUL, which no file system can hold: the name
// would be cut at it.
bool isIllegal(std::string_view name) {
    // One scan per byte sought: find_first_of would call memchr per character.
    return name.find('/') != std::string::npos || name.find(':') != std::string::npos ||
           name.find('\0') != std::string::npos;
}

// The clash key: the full lowercase mapping, independent of locale, in NFC, so
// that names equal under canonical equivalence clash. Names that aren't UTF-8
// keep their bytes, so two different such names never clash. Nothing when the
// name is its own key (no capitals, already in NFC: every name after a
// lowercase step), so that most plans keep no second copy of their names.
std::optional<std::string> clashKey(const std::string& name, bool valid) {
    if (!valid) return std::nullopt;
    if (text::isAscii(name)) {
        if (std::none_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
            return std::nullopt;
        std::string key = name;
        for (char& c : key) c = text::asciiLower(c);
        return key;
    }
    std::string key = canonicalForm(text::lowercased(name));
    if (key == name) return std::nullopt;
    return key;
}

// The items' clash keys seen so far, each with the first item that had it: an
// open-addressing table of item offsets over the plan's own key views, a few
// bytes per file where a node-based map takes a heap block for each.
class KeysSeen {
public:
    // `keys` holds the key of every item; it must outlive the table.
    explicit KeysSeen(const std::vector<std::string_view>& keys)
        : keys_(keys), slots_(std::bit_ceil(std::max<std::size_t>(2 * keys.size(), 8))) {}

    // Records item `i`'s key; false when an earlier item recorded the same key.
    bool insertFirst(std::size_t i) {
        const std::string_view key = keys_[i];
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = std::hash<std::string_view>{}(key)&mask;;
             slot = (slot + 1) & mask) {
            if (slots_[slot] == 0) {
                slots_[slot] = static_cast<std::uint32_t>(i + 1);
                return true;
            }
            if (keys_[slots_[slot] - 1] == key) return false;
        }
    }

private:
    const std::vector<std::string_view>& keys_;
    // 1 + an item's offset, 0 for an empty slot. 32 bits are plenty: a plan of
    // four billion items would not fit in memory.
    std::vector<std::uint32_t> slots_;
};

}  // namespace

RenamePlan::Item RenamePlan::Item::make(Location url, std::string originalName, std::string newName,
                                        std::optional<Problem> problem) {
    return Item{Uuid::random(), std::move(url), std::move(originalName), std::move(newName),
                problem};
}

bool RenamePlan::Item::isChanged() const {
    return !canonicallyEqual(newName, originalName);
}

bool RenamePlan::hasProblems() const {
    return std::any_of(items.begin(), items.end(),
                       [](const Item& item) { return item.problem.has_value(); });
}

std::size_t RenamePlan::changedCount() const {
    return static_cast<std::size_t>(std::count_if(items.begin(), items.end(), [](const Item& item) {
        return !item.problem && item.isChanged();
    }));
}

std::string_view rawValue(RenamePlan::Problem problem) {
    switch (problem) {
        case RenamePlan::Problem::duplicate:
            return "Two files would share this name";
        case RenamePlan::Problem::exists:
            return "A file with this name already exists";
        case RenamePlan::Problem::empty:
            return "Name would be empty";
        case RenamePlan::Problem::illegal:
            return "Names can't contain \u201C/\u201D or \u201C:\u201D";
        case RenamePlan::Problem::tooSlow:
            return "The pattern takes too long on this name";
    }
    return {};
}

namespace {

// Both overloads: `Files` is a const or movable vector of paths.
// `names`, when given, holds each file's new name whole: no step is run and no
// extension is kept apart.
template <class Files>
RenamePlan makePlan(Files&& files, const std::vector<RenameRule>& rules, bool keepExtension,
                    RenameEngine::DateSource dates,
                    const std::vector<std::string>* names = nullptr,
                    RenameEngine::StepStages* kept = nullptr,
                    std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr) {
    RenamePlan plan;
    plan.folders = folders ? std::move(folders) : std::make_shared<FileSystem::FolderSnapshots>();
    plan.items.reserve(files.size());
    // Each item's clash key: a view into its new name when that is its own key,
    // else into `ownKeys`. Neither moves: `plan.items` never reallocates.
    std::vector<std::string_view> keys(files.size());
    std::deque<std::string> ownKeys;
    KeysSeen seen(keys);
    std::unordered_set<std::string_view> clashing;
    // Changed items without a problem, tested for an entry at their new name
    // once all are known, so that a folder holding many of them is read once.
    std::vector<std::uint32_t> toTest;
    toTest.reserve(files.size());
    // With kept stages, the steps go over the list one after another and only
    // from the first that changed (StepStages); otherwise each file goes
    // through every step in turn, with each step made ready once for the plan
    // (and not at all for an empty list: compiling a pattern costs more than
    // starting the program).
    const bool staged = kept != nullptr && !names;
    if (staged) {
        if (kept->size() != files.size() || files.empty()) {
            TextColumn stems;
            stems.reserve(files.size(), 0);
            for (const Location& url : files) {
                const std::string_view original = PathNames::nameView(url);
                std::string_view stem = original;
                if (keepExtension && text::isValidUtf8(original)) {
                    const std::string_view extension = PathNames::nameExtensionView(original);
                    if (!extension.empty()) stem.remove_suffix(extension.size() + 1);
                }
                stems.push_back(stem);
            }
            kept->setInput(std::move(stems));
        }
        const std::vector<Location>& list = files;
        kept->run(list, rules, dates);
    }
    std::vector<RenameEngine::PreparedStep> steps;
    if (!staged && !names && !files.empty()) {
        steps.reserve(rules.size());
        for (const RenameRule& rule : rules) steps.emplace_back(rule, dates);
    }

    std::string stem;
    for (std::size_t i = 0; i < files.size(); ++i) {
        auto& url = files[i];
        std::string original = PathNames::name(url);
        bool valid = text::isValidUtf8(original);

        // A name that isn't UTF-8 is planned unchanged, so its bytes survive.
        std::string_view extension;
        if (names) {
            stem = (*names)[i];
            valid = text::isValidUtf8(stem);
        } else if (valid && keepExtension) {
            extension = PathNames::nameExtensionView(original);
        }
        // A step that couldn't finish leaves the new name unknown: the later
        // steps don't run, and the item keeps its name.
        bool finished = true;
        if (staged) {
            finished = kept->finished(i);
            if (finished) stem = kept->stem(i);
        } else if (!names) {
            stem.assign(original, 0,
                        original.size() - (extension.empty() ? 0 : extension.size() + 1));
            if (valid) {
                for (RenameEngine::PreparedStep& step : steps) {
                    std::optional<std::string> next =
                        step.tryApply(stem, static_cast<std::int64_t>(i), url);
                    if (!next) {
                        finished = false;
                        break;
                    }
                    stem = std::move(*next);
                }
            }
        }
        std::string newName;
        if (finished) {
            newName.reserve(stem.size() + (extension.empty() ? 0 : 1 + extension.size()));
            newName.append(stem);
            if (!extension.empty()) newName.append(".").append(extension);
        } else {
            newName = original;
        }

        Location location;
        if constexpr (std::is_lvalue_reference_v<Files>) {
            location = url;
        } else {
            location = std::move(url);
        }
        RenamePlan::Item& item = plan.items.emplace_back(
            RenamePlan::Item::make(std::move(location), std::move(original), std::move(newName)));
        if (auto key = clashKey(item.newName, valid)) {
            keys[i] = ownKeys.emplace_back(std::move(*key));
        } else {
            keys[i] = item.newName;
        }
        if (!finished) {
            item.problem = RenamePlan::Problem::tooSlow;
        } else if (text::trimWhitespace(stem).empty()) {
            item.problem = RenamePlan::Problem::empty;
        } else if (isIllegal(item.newName)) {
            item.problem = RenamePlan::Problem::illegal;
        } else {
            if (!seen.insertFirst(i)) {
                item.problem = RenamePlan::Problem::duplicate;
                clashing.insert(keys[i]);
            } else if (item.isChanged()) {
                toTest.push_back(static_cast<std::uint32_t>(i));
            }
        }
    }

    const std::vector<bool> taken = plan.folders->existBeside(toTest.size(), [&](std::size_t k) {
        const RenamePlan::Item& item = plan.items[toTest[k]];
        return FileSystem::BesideQuestion{item.url.native(), item.newName};
    });
    for (std::size_t k = 0; k < toTest.size(); ++k) {
        if (taken[k]) plan.items[toTest[k]].problem = RenamePlan::Problem::exists;
    }

    // Every member of a clashing group is marked, the first one included.
    if (!clashing.empty()) {
        for (std::size_t i = 0; i < plan.items.size(); ++i) {
            if (plan.items[i].problem != RenamePlan::Problem::tooSlow &&
                clashing.contains(keys[i])) {
                plan.items[i].problem = RenamePlan::Problem::duplicate;
            }
        }
    }
    return plan;
}

}  // namespace

RenamePlan RenameEngine::plan(const std::vector<Location>& files,
                              const std::vector<RenameRule>& rules, bool keepExtension,
                              DateSource dates,
                              std::shared_ptr<FileSystem::FolderSnapshots> folders) {
    return makePlan(files, rules, keepExtension, dates, nullptr, nullptr, std::move(folders));
}

RenamePlan RenameEngine::plan(std::vector<Location>&& files, const std::vector<RenameRule>& rules,
                              bool keepExtension, DateSource dates,
                              std::shared_ptr<FileSystem::FolderSnapshots> folders) {
    return makePlan(std::move(files), rules, keepExtension, dates, nullptr, nullptr,
                    std::move(folders));
}

RenamePlan RenameEngine::plan(const std::vector<Location>& files,
                              const std::vector<RenameRule>& rules, bool keepExtension,
                              DateSource dates, StepStages& stages,
                              std::shared_ptr<FileSystem::FolderSnapshots> folders) {
    return makePlan(files, rules, keepExtension, dates, nullptr, &stages, std::move(folders));
}

RenamePlan RenameEngine::planNames(std::vector<Location>&& files,
                                   const std::vector<std::string>& newNames) {
    return makePlan(std::move(files), {}, false, DateSource::modified, &newNames);
}

}  // namespace tavix
