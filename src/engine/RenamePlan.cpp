#include "engine/RenamePlan.hpp"

#include <algorithm>
#include <cstring>
#include <bit>
#include <cstdint>
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
std::optional<std::string> clashKey(std::string_view name, bool valid) {
    if (!valid) return std::nullopt;
    if (text::isAscii(name)) {
        if (std::none_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
            return std::nullopt;
        std::string key(name);
        for (char& c : key) c = text::asciiLower(c);
        return key;
    }
    std::string key = canonicalForm(text::lowercased(name));
    if (key == name) return std::nullopt;
    return key;
}

// The items' clash keys seen so far, each with the first item that had it: an
// open-addressing table of item offsets over the keys `keyOf(i)` gives, a few
// bytes per file where a node-based map takes a heap block for each.
template <class KeyOf>
class KeysSeen {
public:
    KeysSeen(std::size_t items, KeyOf keyOf)
        : keyOf_(std::move(keyOf)), slots_(std::bit_ceil(std::max<std::size_t>(2 * items, 8))) {}

    // Records item `i`'s key; false when an earlier item recorded the same key.
    bool insertFirst(std::size_t i) {
        const std::string_view key = keyOf_(i);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = std::hash<std::string_view>{}(key)&mask;;
             slot = (slot + 1) & mask) {
            if (slots_[slot] == 0) {
                slots_[slot] = static_cast<std::uint32_t>(i + 1);
                return true;
            }
            if (keyOf_(slots_[slot] - 1) == key) return false;
        }
    }

    // Gives the table's memory back.
    void release() { std::vector<std::uint32_t>().swap(slots_); }

private:
    KeyOf keyOf_;
    // 1 + an item's offset, 0 for an empty slot. 32 bits are plenty: a plan of
    // four billion items would not fit in memory.
    std::vector<std::uint32_t> slots_;
};

}  // namespace

PlanText& PlanText::operator=(const PlanText& other) {
    if (this != &other) *this = PlanText(other);
    return *this;
}

std::string_view PlanText::keep(std::string_view text) {
    if (left_ < text.size() + 1) {
        // Blocks grow from a few hundred bytes to 64 KiB, so that a plan of one
        // file (one of many folders' plans) takes little and a long plan few blocks.
        const std::size_t size = std::max(nextBlock_, text.size() + 1);
        nextBlock_ = std::min<std::size_t>(2 * nextBlock_, 64 * 1024);
        std::shared_ptr<char[]> block(new char[size]);
        free_ = block.get();
        left_ = size;
        owners_.push_back(std::move(block));
    }
    char* const at = free_;
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
    at[text.size()] = '\0';
    free_ += text.size() + 1;
    left_ -= text.size() + 1;
    return {at, text.size()};
}

void PlanText::share(const PlanText& other) {
    owners_.insert(owners_.end(), other.owners_.begin(), other.owners_.end());
}

RenamePlan::Item& RenamePlan::add(std::string_view path, std::string_view newName,
                                  std::optional<Problem> problem) {
    const std::string_view kept = text.keep(path);
    return items.emplace_back(Item{Uuid::random(), kept, text.keep(newName), problem});
}

void RenamePlan::append(RenamePlan&& part) {
    text.share(part.text);
    if (items.empty()) {
        items = std::move(part.items);
    } else {
        items.insert(items.end(), part.items.begin(), part.items.end());
    }
    part.items.clear();
}

std::string_view RenamePlan::Item::originalName() const {
    return PathNames::nameView(path);
}

bool RenamePlan::Item::isChanged() const {
    return !canonicallyEqual(newName, originalName());
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

// Both overloads: `Files` is a const or movable vector of paths; a moved one
// gives each path's memory back as soon as the plan has its copy, and is left
// empty. `names`, when given, holds each file's new name whole: no step is run
// and no extension is kept apart.
template <class Files>
RenamePlan makePlan(Files&& files, const std::vector<RenameRule>& rules, bool keepExtension,
                    RenameEngine::DateSource dates,
                    const std::vector<std::string>* names = nullptr,
                    RenameEngine::StepStages* kept = nullptr,
                    std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr,
                    RenameEngine::KnownDates known = {}) {
    constexpr bool moving = !std::is_lvalue_reference_v<Files>;
    const std::size_t count = files.size();
    if (known.size() != count) known = {};
    RenamePlan plan;
    plan.folders = folders ? std::move(folders) : std::make_shared<FileSystem::FolderSnapshots>();
    plan.items.reserve(count);
    // Each item's clash key: its new name, or where that isn't its own key, the
    // text numbered ownKeyOf[i] in ownKeys.
    constexpr std::uint32_t noKey = UINT32_MAX;
    std::vector<std::uint32_t> ownKeyOf(count, noKey);
    TextColumn ownKeys;
    const auto keyOf = [&](std::size_t i) -> std::string_view {
        return ownKeyOf[i] == noKey ? plan.items[i].newName : ownKeys[ownKeyOf[i]];
    };
    KeysSeen seen(count, keyOf);
    // Items whose key an earlier item had.
    std::vector<std::uint32_t> repeated;
    // Changed items without a problem, tested for an entry at their new name
    // once all are known, so that a folder holding many of them is read once.
    std::vector<std::uint32_t> toTest;
    toTest.reserve(count);
    // With kept stages, the steps go over the list one after another and only
    // from the first that changed (StepStages); otherwise each file goes
    // through every step in turn, with each step made ready once for the plan
    // (and not at all for an empty list: compiling a pattern costs more than
    // starting the program).
    const bool staged = kept != nullptr && !names;
    if (staged) {
        if (kept->size() != count || files.empty()) {
            TextColumn stems;
            stems.reserve(count, 0);
            for (const Location& file : files) {
                const std::string_view original = PathNames::nameView(file);
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
        kept->run(list, rules, dates, known);
    }
    std::vector<RenameEngine::PreparedStep> steps;
    if (!staged && !names && !files.empty()) {
        steps.reserve(rules.size());
        for (const RenameRule& rule : rules) steps.emplace_back(rule, dates, known);
    }

    std::string stem;
    std::string joined;
    for (std::size_t i = 0; i < count; ++i) {
        auto& file = files[i];
        const std::string_view path = plan.text.keep(file.native());
        const std::string_view original = PathNames::nameView(path);
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
                        step.tryApply(stem, static_cast<std::int64_t>(i), file);
                    if (!next) {
                        finished = false;
                        break;
                    }
                    stem = std::move(*next);
                }
            }
        }
        // Moved out, not assigned over: assigning an empty text would keep the
        // path's memory.
        if constexpr (moving) Location gone = std::move(file);

        // A name left as it was is a view into its path, when nothing follows it
        // there but the NUL.
        std::string_view newName = original;
        if (finished) {
            joined.assign(stem);
            if (!extension.empty()) joined.append(".").append(extension);
            newName = joined;
        }
        if (newName != original || original.end() != path.end()) {
            newName = plan.text.keep(newName);
        } else {
            newName = original;
        }

        RenamePlan::Item& item =
            plan.items.emplace_back(RenamePlan::Item{Uuid::random(), path, newName, std::nullopt});
        if (auto key = clashKey(item.newName, valid)) {
            ownKeyOf[i] = static_cast<std::uint32_t>(ownKeys.size());
            ownKeys.push_back(*key);
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
                repeated.push_back(static_cast<std::uint32_t>(i));
            } else if (item.isChanged()) {
                toTest.push_back(static_cast<std::uint32_t>(i));
            }
        }
    }
    if constexpr (moving) std::vector<Location>().swap(files);

    // Every member of a clashing group is marked, the first one included.
    if (!repeated.empty()) {
        std::unordered_set<std::string_view> clashing;
        for (const std::uint32_t i : repeated) clashing.insert(keyOf(i));
        for (std::size_t i = 0; i < count; ++i) {
            if (plan.items[i].problem != RenamePlan::Problem::tooSlow &&
                clashing.contains(keyOf(i))) {
                plan.items[i].problem = RenamePlan::Problem::duplicate;
            }
        }
    }
    // The keys are done with: their memory goes back before the folders are read.
    seen.release();
    ownKeys.release();
    std::vector<std::uint32_t>().swap(ownKeyOf);
    std::erase_if(toTest, [&](std::uint32_t i) { return plan.items[i].problem.has_value(); });

    const std::vector<bool> taken = plan.folders->existBeside(toTest.size(), [&](std::size_t k) {
        const RenamePlan::Item& item = plan.items[toTest[k]];
        return FileSystem::BesideQuestion{item.path, item.newName};
    });
    for (std::size_t k = 0; k < toTest.size(); ++k) {
        if (taken[k]) plan.items[toTest[k]].problem = RenamePlan::Problem::exists;
    }
    return plan;
}

}  // namespace

RenamePlan RenameEngine::plan(const std::vector<Location>& files,
                              const std::vector<RenameRule>& rules, bool keepExtension,
                              DateSource dates,
                              std::shared_ptr<FileSystem::FolderSnapshots> folders,
                              KnownDates known) {
    return makePlan(files, rules, keepExtension, dates, nullptr, nullptr, std::move(folders),
                    known);
}

RenamePlan RenameEngine::plan(std::vector<Location>&& files, const std::vector<RenameRule>& rules,
                              bool keepExtension, DateSource dates,
                              std::shared_ptr<FileSystem::FolderSnapshots> folders,
                              KnownDates known) {
    return makePlan(std::move(files), rules, keepExtension, dates, nullptr, nullptr,
                    std::move(folders), known);
}

RenamePlan RenameEngine::plan(const std::vector<Location>& files,
                              const std::vector<RenameRule>& rules, bool keepExtension,
                              DateSource dates, StepStages& stages,
                              std::shared_ptr<FileSystem::FolderSnapshots> folders,
                              KnownDates known) {
    return makePlan(files, rules, keepExtension, dates, nullptr, &stages, std::move(folders),
                    known);
}

RenamePlan RenameEngine::planNames(std::vector<Location>&& files,
                                   const std::vector<std::string>& newNames,
                                   std::shared_ptr<FileSystem::FolderSnapshots> folders) {
    return makePlan(std::move(files), {}, false, DateSource::modified, &newNames, nullptr,
                    std::move(folders));
}

}  // namespace tavix
