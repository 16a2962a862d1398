#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "rules/RenameRule.hpp"
#include "system/FileSystem.hpp"
#include "text/Location.hpp"

namespace tavix::RenameEngine {

// The date the date steps write: the content modification time (the window's
// only choice), or the date a photo was taken, falling back to the former.
enum class DateSource { modified, taken };

// The date each file's date step writes, where the caller has read it already
// (a sort by that date reads it): one per file of the planned list, in its
// order, nothing where the file has no date ("now" is written then). Empty, or
// not one per file: each date step reads its file.
using KnownDates = std::span<const std::optional<FileSystem::Timestamp>>;

// One step made ready for many names: its regular expression compiled, its
// search text keyed and its date formatter built once, not once per name. It
// never fails and never reports: a step that can't be carried out (empty search
// text, a pattern that doesn't compile, a count of zero) leaves the name as it
// is. A regular expression that has run out of time on kRegexGiveUpAfter names
// is given up, and doesn't run on any later name. Not thread-safe (the
// expression keeps one matcher). A date step given `known` dates takes file
// `index`'s from them instead of reading the file; they must outlive the step.
class PreparedStep {
public:
    explicit PreparedStep(const RenameRule& rule, DateSource dates = DateSource::modified,
                          KnownDates known = {});
    ~PreparedStep();
    PreparedStep(PreparedStep&&) noexcept;
    PreparedStep& operator=(PreparedStep&&) noexcept;

    // Turns `name` into the name after the step; false when the step couldn't
    // finish on it, `name` then left as it was: its regular expression ran out
    // of time or stack on it, or had been given up before it. The step's other
    // reasons to leave a name alone (a pattern that doesn't compile, an empty
    // search text) leave it and give true. `index` is the file's 0-based
    // position in the planned list and `path` its absolute path; only the
    // generated kinds use them.
    bool applyTo(std::string& name, std::int64_t index, const Location& path);

    struct Parts;

private:
    std::unique_ptr<Parts> parts_;
    DateSource dates_;
    KnownDates known_;
};

}  // namespace tavix::RenameEngine
