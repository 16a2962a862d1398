#include "cli/Journal.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

namespace tavix::cli {
namespace {

std::string reason() {
    return std::strerror(errno);
}

}  // namespace

PendingJournal::PendingJournal(const std::filesystem::path& destination)
    : destination_(destination) {
    std::string pattern = destination.string() + ".XXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) throw JournalError(destination.string() + ": " + reason());
    temporary_ = pattern;
}

PendingJournal::~PendingJournal() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void PendingJournal::commit(const std::string& contents) {
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = ::write(fd_, contents.data() + written, contents.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw JournalError(destination_.string() + ": " + reason());
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd_) != 0) throw JournalError(destination_.string() + ": " + reason());
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || std::rename(temporary_.c_str(), destination_.c_str()) != 0) {
        const std::string why = reason();
        ::unlink(temporary_.c_str());
        throw JournalError(destination_.string() + ": " + why);
    }
}

std::vector<Move> readJournalMoves(const std::string& text, const std::string& name) {
    const auto json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded()) throw JournalError(name + ": not valid JSON");
    if (!json.is_object() || !json.contains("moves") || !json["moves"].is_array()) {
        throw JournalError(name + ": not a journal (no \"moves\" list)");
    }
    std::vector<Move> moves;
    for (const auto& move : json["moves"]) {
        if (!move.is_object() || !move.contains("from") || !move.contains("to") ||
            !move["from"].is_string() || !move["to"].is_string()) {
            throw JournalError(name + ": move " + std::to_string(moves.size() + 1) +
                               " needs \"from\" and \"to\" paths");
        }
        const std::filesystem::path from = move["from"].get<std::string>();
        const std::filesystem::path to = move["to"].get<std::string>();
        if (!from.is_absolute() || !to.is_absolute()) {
            throw JournalError(name + ": move " + std::to_string(moves.size() + 1) +
                               " needs absolute paths");
        }
        // A rename never leaves its folder, so neither may a journal's move.
        if (from.parent_path() != to.parent_path()) {
            throw JournalError(name + ": move " + std::to_string(moves.size() + 1) +
                               " leaves its folder");
        }
        moves.push_back({from, to});
    }
    return moves;
}

}  // namespace tavix::cli
