#include "model/FileList.hpp"

#include <algorithm>
#include <memory>
#include <numeric>

#include "engine/NameTable.hpp"
#include "system/FileSystem.hpp"
#include "system/FolderEntries.hpp"
#include "text/NameCollation.hpp"
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

std::vector<Location> adding(const std::vector<Location>& current, std::vector<Location> given,
                         const std::function<void(const Location&, SkipReason)>& onSkip,
                         FileSystem::FolderSnapshots* folders) {
    std::vector<Location> files;
    files.reserve(current.size() + given.size());
    files.insert(files.end(), current.begin(), current.end());
    // The files listed so far, by path: a few bytes each.
    NameTable listed(files.capacity(), [&](std::uint32_t i) {
        return FolderName{{}, files[i].native()};
    });
    for (std::size_t i = 0; i < files.size(); ++i) listed.insert(static_cast<std::uint32_t>(i));
    // Asked for all at once: a folder that holds many of them is read once.
    const std::vector<FileSystem::ExistsAndKind> found =
        folders ? folders->existAndKinds(given) : FileSystem::existAndKinds(given);
    for (std::size_t i = 0; i < given.size(); ++i) {
        Location& path = given[i];
        const auto report = [&](SkipReason reason) {
            if (onSkip) onSkip(path, reason);
        };
        if (listed.find(FolderName{{}, path.native()}) != listed.none) {
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
        listed.insert(static_cast<std::uint32_t>(files.size() - 1));
    }
    return files;
}

std::vector<Location> sortedByName(std::vector<Location> files) {
    // One sort key per name, made once: comparing keys is a byte comparison.
    std::vector<std::string_view> names;
    names.reserve(files.size());
    for (const Location& file : files) names.push_back(PathNames::nameView(file));
    const std::vector<std::string> keys = text::nameSortKeys(names);
    if (keys.size() != files.size()) return files;
    std::vector<std::size_t> order(files.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<Location> sorted;
    sorted.reserve(files.size());
    for (std::size_t i : order) sorted.push_back(std::move(files[i]));
    return sorted;
}

}  // namespace tavix::FileList
