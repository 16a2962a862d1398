#include "engine/RenamePlan.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "engine/RenameEngine.hpp"
#include "engine/StepStages.hpp"
#include "engine/TextColumn.hpp"
#include "system/FileSystem.hpp"
#include "system/FolderEntries.hpp"
#include "system/Shares.hpp"
#include "text/CanonicalText.hpp"
#include "text/CaseFolding.hpp"
#include "text/CharacterClasses.hpp"
#include "text/HashedIndices.hpp"
#include "text/PathNames.hpp"
#include "text/RegexReplace.hpp"
#include "text/Utf.hpp"

namespace tavix {
namespace {

// A list is spread over threads in shares of at least this many files.
constexpr std::size_t kFilesPerShare = 4096;

// "/" and ":" are refused; so is NUL, which no file system can hold: the name
// would be cut at it.
bool isIllegal(std::string_view name) {
    // One scan per byte sought: find_first_of would call memchr per character.
    return name.find('/') != std::string::npos || name.find(':') != std::string::npos ||
           name.find('\0') != std::string::npos;
}

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
                    RenameEngine::DateSource dates, const std::vector<std::string>* names = nullptr,
                    RenameEngine::StepStages* kept = nullptr,
                    std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr,
                    RenameEngine::KnownDates known = {}) {
    constexpr bool moving = !std::is_lvalue_reference_v<Files>;
    const std::size_t count = files.size();
    if (known.size() != count) known = {};
    RenamePlan plan;
    plan.folders = folders ? std::move(folders) : std::make_shared<FileSystem::FolderSnapshots>();
    plan.items.resize(count);
    // The list is cut into shares of consecutive files, each built on a thread
    // of its own (one share for a short list): its items, the text they view,
    // and the keys and hashes below. The results are those of one thread going
    // file by file; see the accounting after the threads.
    const bool runsSteps = kept == nullptr && !names && count > 0;
    const bool spread =
        !runsSteps || std::none_of(rules.begin(), rules.end(), RenameEngine::readsDisk);
    const std::size_t parts = spread ? Shares::count(count, kFilesPerShare) : 1;
    struct Share {
        PlanText text;
        // The files, in order, on which a step couldn't finish, and that step.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> stops;
    };
    std::vector<Share> shares(parts);
    // The hash of each item's key, for the items without a problem: their keys
    // go into `seen` once all are known, each slot fetched a few items ahead.
    // 32 bits are enough to tell keys apart but for a few pairs in a million,
    // and those are compared.
    std::vector<std::uint32_t> hashes(count);
    // With kept stages, the steps go over the list one after another and only
    // from the first that changed (StepStages); otherwise each file goes
    // through every step in turn, with each step made ready once per share
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

    const auto build = [&](std::size_t part, std::size_t begin, std::size_t end) {
        Share& share = shares[part];
        std::vector<RenameEngine::PreparedStep> steps;
        if (runsSteps) {
            steps.reserve(rules.size());
            for (const RenameRule& rule : rules) steps.emplace_back(rule, dates, known);
        }
        std::string stem;
        std::string joined;
        std::string keyRoom;
        for (std::size_t i = begin; i < end; ++i) {
            auto& file = files[i];
            const std::string_view path = share.text.keep(file.native());
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
                    for (std::size_t step = 0; step < steps.size(); ++step) {
                        if (!steps[step].applyTo(stem, static_cast<std::int64_t>(i), file)) {
                            finished = false;
                            share.stops.emplace_back(static_cast<std::uint32_t>(i),
                                                     static_cast<std::uint32_t>(step));
                            break;
                        }
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
                newName = share.text.keep(newName);
            } else {
                newName = original;
            }

            RenamePlan::Item& item = plan.items[i];
            item = RenamePlan::Item{Uuid::random(), path, newName, std::nullopt};
            if (!finished) {
                item.problem = RenamePlan::Problem::tooSlow;
            } else if (text::trimWhitespace(stem).empty()) {
                item.problem = RenamePlan::Problem::empty;
            } else if (isIllegal(item.newName)) {
                item.problem = RenamePlan::Problem::illegal;
            } else {
                // Names clash when their case-folded keys are equal. The keys are
                // made again when two hashes agree rather than kept: that is rare.
                hashes[i] = static_cast<std::uint32_t>(
                    std::hash<std::string_view>{}(text::caseFoldedKey(item.newName, keyRoom)));
            }
        }
    };
    Shares::forEach(count, parts, build);
    if constexpr (moving) std::vector<Location>().swap(files);
    for (Share& share : shares) plan.text.share(share.text);

    // A step gives up once it has failed on kRegexGiveUpAfter of the names that
    // reached it, in list order; each share's prepared steps counted only that
    // share's. A name stopped at step s in its share reached s (and failed
    // there) in list order too, unless an earlier step had been given up by
    // then; and when its share's own count made s give up, the count in list
    // order had too. So the names in list order after the one on which a step
    // is given up are the ones left unknown, those finished in a later share
    // included: such an item becomes what one thread would have made of it.
    std::size_t givenUpAt = count;
    if (parts > 1) {
        std::vector<int> failures(rules.size(), 0);
        std::size_t firstGivenUp = rules.size();
        for (const Share& share : shares) {
            for (const auto& [i, step] : share.stops) {
                if (firstGivenUp > step && ++failures[step] >= text::kRegexGiveUpAfter) {
                    firstGivenUp = step;
                    if (givenUpAt == count) givenUpAt = i;
                }
            }
        }
    }
    for (std::size_t i = givenUpAt + 1; i < count; ++i) {
        RenamePlan::Item& item = plan.items[i];
        if (item.problem == RenamePlan::Problem::tooSlow) continue;
        const std::string_view original = item.originalName();
        item.newName = original.end() == item.path.end() ? original : plan.text.keep(original);
        item.problem = RenamePlan::Problem::tooSlow;
    }
    // The items without a problem so far, in list order.
    std::vector<std::uint32_t> toTest;
    toTest.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!plan.items[i].problem) toTest.push_back(static_cast<std::uint32_t>(i));
    }

    // Changed items without a problem are kept in toTest, to be tested for an
    // entry at their new name once all are known, so that a folder holding
    // many of them is read once. Every member of a clashing group is marked,
    // the first one included. The table is made only now, in the room the file
    // list leaves, and gone before the folders are read.
    {
        // The items by their keys, each key with the first item that had it.
        HashedIndices seen(toTest.size());
        std::string roomA;
        std::string roomB;
        constexpr std::size_t ahead = 8;
        std::size_t changed = 0;
        for (std::size_t k = 0; k < toTest.size(); ++k) {
            if (k + ahead < toTest.size()) seen.prefetch(hashes[toTest[k + ahead]]);
            const std::uint32_t i = toTest[k];
            const auto sameKey = [&](std::uint32_t other) {
                return text::caseFoldedKey(plan.items[other].newName, roomA) ==
                       text::caseFoldedKey(plan.items[i].newName, roomB);
            };
            const std::uint32_t first = seen.insert(hashes[i], i, sameKey);
            if (first != seen.none) {
                plan.items[i].problem = RenamePlan::Problem::duplicate;
                plan.items[first].problem = RenamePlan::Problem::duplicate;
            } else if (plan.items[i].isChanged()) {
                toTest[changed++] = i;
            }
        }
        toTest.resize(changed);
    }
    std::vector<std::uint32_t>().swap(hashes);
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
