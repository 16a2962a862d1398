#include "journal/LineReader.hpp"

namespace tavix::journal {
namespace {

constexpr std::size_t chunk = 64 * 1024;

}  // namespace

LineReader::LineReader(const ReadBytes& read, std::string start)
    : read_(read), buffer_(std::move(start)) {}

bool LineReader::fill() {
    if (atEnd_) return false;
    // What was handed out is dropped first, so the buffer holds one line and a chunk.
    buffer_.erase(0, at_);
    at_ = 0;
    const std::size_t had = buffer_.size();
    buffer_.resize(had + chunk);
    std::size_t got = 0;
    error_ = read_(buffer_.data() + had, chunk, got);
    buffer_.resize(had + got);
    if (error_ || got == 0) {
        atEnd_ = true;
        return false;
    }
    return true;
}

bool LineReader::next(Line& line) {
    line = Line{};
    std::size_t searched = at_;
    bool skipping = false;
    for (;;) {
        const std::size_t newline = buffer_.find('\n', searched);
        if (newline != std::string::npos) {
            line.number = ++number_;
            line.tooLong = skipping || newline - at_ > maxLine;
            if (!line.tooLong) line.text = std::string_view(buffer_).substr(at_, newline - at_);
            at_ = newline + 1;
            return true;
        }
        if (buffer_.size() - at_ > maxLine) {
            // Too long to keep: drop what there is and look for its end.
            skipping = true;
            at_ = buffer_.size();
        }
        searched = buffer_.size() - at_;
        if (!fill()) {
            if (at_ == buffer_.size() && !skipping) return false;
            line.number = ++number_;
            line.ended = false;
            line.tooLong = skipping;
            if (!skipping) line.text = std::string_view(buffer_).substr(at_);
            at_ = buffer_.size();
            return true;
        }
        searched += at_;  // fill() moved the unread bytes to the start
    }
}

}  // namespace tavix::journal
