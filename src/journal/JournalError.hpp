#pragma once

#include <stdexcept>
#include <string_view>

namespace tavix::journal {

// A journal that can't be created, read, trusted or undone; the text is the
// one-line reason, naming the journal.
class JournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class JournalState { pending, complete, undone };
// "pending", "complete", "undone".
std::string_view rawValue(JournalState state);

}  // namespace tavix::journal
