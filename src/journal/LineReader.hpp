#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

// A journal's bytes, a line at a time, holding no more than one chunk and one
// line however large the journal: a line longer than the limit is skipped
// (reported as too long), never gathered.
namespace tavix::journal {

// Reads up to `size` bytes into `buffer`; `got` is 0 at the end.
using ReadBytes = std::function<std::error_code(char* buffer, std::size_t size, std::size_t& got)>;

class LineReader {
public:
    // Longest line kept: far beyond any record (a path is at most 4 KiB).
    static constexpr std::size_t maxLine = 256 * 1024;

    // Reads `read`, after the bytes of `start` already taken from it.
    LineReader(const ReadBytes& read, std::string start = {});

    struct Line {
        std::string_view text;   // without its newline; valid until the next call
        std::size_t number = 0;  // from 1
        bool ended = true;       // false for a last line with no newline
        bool tooLong = false;    // longer than maxLine; `text` is empty
    };
    // The next line, or false at the end (or on a read error, see error()).
    bool next(Line& line);
    const std::error_code& error() const { return error_; }

private:
    // Reads another chunk onto the buffer; false at the end or on error.
    bool fill();

    const ReadBytes& read_;
    std::string buffer_;
    std::size_t at_ = 0;  // start of the next line in buffer_
    std::size_t number_ = 0;
    bool atEnd_ = false;
    std::error_code error_;
};

}  // namespace tavix::journal
