#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavix {

// A list of texts kept end to end in one buffer: two heap blocks for the whole
// list where a vector of strings takes one for each text longer than a short
// string's few bytes.
class TextColumn {
public:
    void reserve(std::size_t texts, std::size_t bytes) {
        ends_.reserve(texts);
        bytes_.reserve(bytes);
    }
    void push_back(std::string_view text) {
        bytes_.append(text);
        ends_.push_back(bytes_.size());
    }
    // The texts of `other` after these.
    void append(const TextColumn& other) {
        const std::size_t base = bytes_.size();
        bytes_.append(other.bytes_);
        for (const std::size_t end : other.ends_) ends_.push_back(base + end);
    }
    void clear() {
        bytes_.clear();
        ends_.clear();
    }
    // Gives its memory back, unlike clear().
    void release() { *this = TextColumn(); }

    std::size_t size() const noexcept { return ends_.size(); }
    bool empty() const noexcept { return ends_.empty(); }
    std::size_t bytes() const noexcept { return bytes_.size(); }
    std::string_view operator[](std::size_t i) const noexcept {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(bytes_).substr(begin, ends_[i] - begin);
    }

private:
    std::string bytes_;
    std::vector<std::size_t> ends_;  // where each text ends in bytes_
};

}  // namespace tavix
