#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/StatusTexts.hpp"
#include "model/TavixModel.hpp"

namespace tavix {
namespace {

using Path = TavixModel::Path;

// `files` with, for each move in order, the first listing of its `from` replaced
// by its `to`; everything else keeps its place.
std::vector<Path> following(std::vector<Path> files, const std::vector<Move>& moves) {
    // Only the paths the moves name are indexed, each with the ascending offsets
    // that hold it now, so a move finds its first listing without scanning the list.
    std::unordered_map<std::string_view, std::vector<std::size_t>> holders;
    holders.reserve(2 * moves.size());
    for (const Move& move : moves) {
        holders.try_emplace(move.from.native());
        holders.try_emplace(move.to.native());
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto found = holders.find(files[i].native());
        if (found != holders.end()) found->second.push_back(i);
    }
    for (const Move& move : moves) {
        std::vector<std::size_t>& was = holders.at(move.from.native());
        if (was.empty()) continue;
        const std::size_t offset = was.front();
        was.erase(was.begin());
        files[offset] = move.to;
        std::vector<std::size_t>& now = holders.at(move.to.native());
        now.insert(std::ranges::lower_bound(now, offset), offset);
    }
    return files;
}

}  // namespace

void TavixModel::rename() {
    const ProgressRun progress(*this, changedCount_);
    RenameEngine::Applied applied = RenameEngine::perform(plan_);
    const std::size_t moved = applied.moves.size();
    assignLastMoves(std::move(applied.moves));
    assignFiles(following(files_, lastMoves_));
    const std::string_view firstFailure =
        applied.failures.empty() ? std::string_view{} : applied.failures.front().message;
    setMessage(StatusTexts::renamed(moved, applied.failures.size(), firstFailure));
    if (clearAfterRenaming_ && applied.failures.empty()) {
        assignFiles({});
        assignLastMoves({});
    }
}

void TavixModel::undo() {
    const ProgressRun progress(*this, lastMoves_.size());
    const std::vector<bool> putBack = RenameEngine::undoEach(lastMoves_);
    // Only the files that did move back are listed under their old names again;
    // one that couldn't stays listed where it still is.
    std::vector<Move> back;
    for (std::size_t i = 0; i < lastMoves_.size() && i < putBack.size(); ++i) {
        if (putBack[i]) back.push_back({lastMoves_[i].to, lastMoves_[i].from});
    }
    assignFiles(following(files_, back));
    assignLastMoves({});
    setMessage(StatusTexts::putBack(back.size()));
}

}  // namespace tavix
