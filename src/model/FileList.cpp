#include "model/FileList.hpp"

#include <unicode/coll.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <unordered_set>

#include "system/FileSystem.hpp"
#include "system/FolderEntries.hpp"
#include "text/PathNames.hpp"

namespace tavix::FileList {

std::string_view describe(SkipReason reason) {
    switch (reason) {
        case SkipReason::alreadyListed:
            return "already listed";
        case SkipReason::isFolder:
            return "is a folder";
        case SkipReason::doesNotExist:
            return "does not exist";
    }
    return {};
}

std::vector<Path> adding(const std::vector<Path>& current, std::vector<Path> given,
                         const std::function<void(const Path&, SkipReason)>& onSkip) {
    std::vector<Path> files;
    // Reserved up front so that the views in `listed` never move.
    files.reserve(current.size() + given.size());
    files.insert(files.end(), current.begin(), current.end());
    std::unordered_set<std::string_view> listed;
    listed.reserve(files.capacity());
    for (const Path& path : files) listed.insert(path.native());
    // Asked for all at once: a folder that holds many of them is read once.
    const std::vector<FileSystem::ExistsAndKind> found = FileSystem::existAndKinds(given);
    for (std::size_t i = 0; i < given.size(); ++i) {
        Path& path = given[i];
        const auto report = [&](SkipReason reason) {
            if (onSkip) onSkip(path, reason);
        };
        if (listed.contains(path.native())) {
            report(SkipReason::alreadyListed);
            continue;
        }
        if (!found[i].exists) {
            report(SkipReason::doesNotExist);
            continue;
        }
        if (found[i].isFolder) {
            report(SkipReason::isFolder);
            continue;
        }
        files.push_back(std::move(path));
        listed.insert(files.back().native());
    }
    return files;
}

std::vector<Path> sortedByName(std::vector<Path> files) {
    UErrorCode status = U_ZERO_ERROR;
    // The C and POSIX locales map to en_US_POSIX, whose collation is plain code
    // point order (B before a); a file browser there still orders like the root.
    icu::Locale locale = icu::Locale::getDefault();
    if (std::string_view(locale.getName()) == "en_US_POSIX") locale = icu::Locale::getRoot();
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !collator) return files;
    // Secondary strength tells accents apart but not letter case.
    collator->setStrength(icu::Collator::SECONDARY);
    collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);

    // One sort key per name, made once: comparing keys is a byte comparison.
    std::vector<std::string> keys;
    keys.reserve(files.size());
    for (const Path& file : files) {
        const icu::UnicodeString name = icu::UnicodeString::fromUTF8(PathNames::name(file));
        std::string key;
        const int32_t length = collator->getSortKey(name, nullptr, 0);
        key.resize(static_cast<std::size_t>(std::max(length, 0)));
        collator->getSortKey(name, reinterpret_cast<uint8_t*>(key.data()), length);
        keys.push_back(std::move(key));
    }
    std::vector<std::size_t> order(files.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<Path> sorted;
    sorted.reserve(files.size());
    for (std::size_t i : order) sorted.push_back(std::move(files[i]));
    return sorted;
}

}  // namespace tavix::FileList
