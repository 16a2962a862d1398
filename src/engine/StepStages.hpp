#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/RenameEngine.hpp"
#include "engine/TextColumn.hpp"
#include "rules/RenameRule.hpp"
#include "text/Location.hpp"

namespace tavix::RenameEngine {

// Whether the step's result depends on the disk as well as on the name and the
// file's place (such steps are not spread over threads).
bool readsDisk(const RenameRule& rule);

// The stems of one list after each step of a stack. Kept from one plan of a
// list to the next, a stack that first differs from the last one at step k has
// steps k onwards applied again and the stems after steps 0 … k−1 reused. A
// step that reads the disk (dateStamp, imageDimensions) is applied again every
// time, and so is every step below it, so that its results are those of the
// disk now.
//
// Steps go over the list one after another, each over every file, on several
// threads for a long list of steps that don't read the disk. The results are
// those of one thread going file by file: PreparedStep's giving up a regular
// expression after kRegexGiveUpAfter names is accounted for in list order (see
// finished()), whichever thread ran a name.
class StepStages {
public:
    // `threads`: at most this many (0: one per core), each given at least
    // `filesPerThread` files.
    explicit StepStages(unsigned threads = 0, std::size_t filesPerThread = 4096);

    // Forgets the list: the next run needs a new input.
    void clear();
    // The number of stems of the input; 0 when there is none.
    std::size_t size() const { return stops_.size(); }
    // The stems before any step, one per file of the list, in its order.
    void setInput(TextColumn stems);

    // Brings the stems after the last step up to date with `rules` over
    // `files`, the list the input is of (the same files in the same order).
    // Date steps take the dates in `known` where given (one per file), this run only.
    void run(const std::vector<Location>& files, const std::vector<RenameRule>& rules,
             DateSource dates, KnownDates known = {});

    // After run: file i's stem after every step, meaningful when finished(i).
    std::string_view stem(std::size_t i) const { return columns_.back()[i]; }
    // Whether every step finished on file i: none ran out of time or stack on it,
    // and none had been given up, counting the names each step ran on in list
    // order.
    bool finished(std::size_t i) const { return finished_[i] != 0; }

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // Applies steps `from` onwards to files [begin, end) into `out`, one column per step.
    void applyTo(std::size_t begin, std::size_t end, std::size_t from,
                 const std::vector<Location>& files, KnownDates known,
                 std::vector<TextColumn>& out);
    // Works out finished() from each file's stop.
    void account();

    unsigned threads_;
    std::size_t filesPerThread_;
    std::vector<RenameRule> rules_;  // the stack the columns were made with
    DateSource dates_ = DateSource::modified;
    // columns_[j]: the stems after j steps; [0] is the input.
    std::vector<TextColumn> columns_;
    // Per file, the step that couldn't finish on it on the thread that ran it
    // (it ran out of time or stack, or had been given up there), or kNone. Its
    // stems after that step are empty.
    std::vector<std::uint32_t> stops_;
    std::vector<char> finished_;
};

}  // namespace tavix::RenameEngine
