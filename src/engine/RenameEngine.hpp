#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "rules/RenameRule.hpp"

namespace tavix::RenameEngine {

// The date the date steps write: the content modification time (the window's
// only choice), or the date a photo was taken, falling back to the former.
enum class DateSource { modified, taken };

// The name after one step. Never fails and never reports: a step that can't be
// carried out (empty search text, a pattern that doesn't compile or runs out of
// time, a count of zero) returns the name unchanged. `index` is the file's
// 0-based position in the planned list and `url` its absolute path; only the
// generated kinds use them.
std::string apply(const RenameRule& rule, const std::string& name, std::int64_t index,
                  const std::filesystem::path& url, DateSource dates = DateSource::modified);

}  // namespace tavix::RenameEngine
