#pragma once

#include <string_view>
#include <system_error>
#include <utility>

namespace tavix::FileSystem {

// An open file descriptor, closed when the value goes. Move-only, so every
// error path closes it without a line of its own.
class Descriptor {
public:
    Descriptor() = default;
    // Takes ownership of `fd` (a negative value holds nothing).
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int release() { return std::exchange(fd_, -1); }
    // Closes the descriptor now; nothing when none is held.
    void reset();

private:
    int fd_ = -1;
};

// The system's error `error` (an errno value) as an error code.
inline std::error_code systemError(int error) {
    return {error, std::system_category()};
}

// Writes all of `bytes` to `file`, in one write where the system allows (so a
// crash keeps whole records), going on after interrupted or partial writes.
std::error_code writeAll(const Descriptor& file, std::string_view bytes);

// Flushes `file`'s data to disk.
std::error_code sync(const Descriptor& file);

}  // namespace tavix::FileSystem
