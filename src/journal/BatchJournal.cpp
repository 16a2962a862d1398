#include "journal/BatchJournal.hpp"

#include <unistd.h>

#include <algorithm>
#include <charconv>

#include "journal/Encoding.hpp"
#include "journal/StateFolder.hpp"
#include "system/FileStatus.hpp"
#include "system/FileStore.hpp"
#include "system/FolderFiles.hpp"
#include "text/PathNames.hpp"
#include "text/Utf.hpp"

namespace tavix::journal {
namespace {

namespace fs = std::filesystem;

// Lines are written in pieces of about this many bytes.
constexpr std::size_t piece = 64 * 1024;

[[noreturn]] void refuse(const fs::path& file, const std::string& why) {
    throw JournalError("journal \u201C" + file.string() + "\u201D: " + why +
                       "; nothing was renamed");
}

// Whether the journal would stand at a name the batch moves a file to: the
// batch would then fail on its own journal.
bool isNewNameOf(const fs::path& file, const RenameEngine::Batch& batch) {
    const std::string wanted = file.lexically_normal().native();
    std::string to;
    for (std::size_t move = 0; move < batch.size(); ++move) {
        if (!std::string_view(wanted).ends_with(batch.toName(move))) continue;
        batch.destinationPath(move, to);
        if (to == wanted) return true;
    }
    return false;
}

// Whether a path holds a "." or ".." component, which a journal never records.
bool hasDotComponent(std::string_view path) {
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part == "." || part == "..") return true;
        start = end + 1;
    }
    return false;
}

// Appends `value` in decimal.
void appendNumber(std::string& out, std::uint64_t value) {
    char digits[20];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

// A move's paths as the journal records them: as the plan gives them, or, when
// they reach the file by way of "." or "..", in the folder the system resolves
// them to (the kernel's own reading, symbolic links included). The folder's
// part of the paths is made and escaped once for a run of moves in one folder.
class JournalPaths {
public:
    // Takes the folder of `move`.
    void enter(const RenameEngine::Batch& batch, std::size_t move) {
        const std::string_view folder = batch.folder(move);
        const std::string_view name = batch.fromName(move);
        const bool resolve = hasDotComponent(folder) || name == "." || name == "..";
        if (started_ && folder == folder_ && resolve == resolved_) return;
        started_ = true;
        folder_.assign(folder);
        resolved_ = resolve;
        prefix_ = resolve ? FileSystem::resolvedFolder(folder_).value_or(folder_) : folder_;
        if (prefix_.empty() || prefix_.back() != '/') prefix_ += '/';
        utf8_ = text::isValidUtf8(prefix_);
        escaped_.clear();
        if (utf8_) appendEscaped(escaped_, prefix_);
    }

    // Appends the path of `name` in the folder entered.
    void append(std::string& out, std::string_view name) {
        if (utf8_ && text::isValidUtf8(name)) {
            out += '"';
            out += escaped_;
            appendEscaped(out, name);
            out += '"';
            return;
        }
        whole_.assign(prefix_).append(name);
        appendPath(out, whole_);
    }

    // Appends the path of the move's file: as the plan gives it, which is the
    // folder's path and its name unless it was resolved or is spelled otherwise.
    void appendFrom(std::string& out, const RenameEngine::Batch& batch, std::size_t move) {
        const std::string_view given = batch.fromPath(move);
        const std::string_view name = batch.fromName(move);
        if (!resolved_ && !(given.size() == prefix_.size() + name.size() &&
                            given.starts_with(prefix_) && given.ends_with(name))) {
            appendPath(out, given);
            return;
        }
        append(out, name);
    }

private:
    bool started_ = false;
    std::string folder_;  // the folder as the plan gives it
    bool resolved_ = false;
    std::string prefix_;  // the folder recorded, ending in "/"
    bool utf8_ = false;
    std::string escaped_;  // prefix_ inside a JSON string
    std::string whole_;
};

}  // namespace

std::unique_ptr<BatchJournal> BatchJournal::begin(const fs::path& file,
                                                  const RenameEngine::Batch& batch,
                                                  const std::string& by) {
    if (isNewNameOf(file, batch)) refuse(file, "it is one of the batch's new names");
    std::error_code error;
    auto created = FileSystem::AppendOnlyFile::create(file, error);
    if (error) refuse(file, error.message());
    std::unique_ptr<BatchJournal> journal(new BatchJournal(std::move(created), batch));
    if ((error = journal->writeIntent(by))) {
        // An intent that isn't durable can't be relied on: it goes, nothing moves.
        (void)FileSystem::removeFile(file);
        refuse(file, error.message());
    }
    return journal;
}

std::unique_ptr<BatchJournal> BatchJournal::beginInFolder(const fs::path& folder,
                                                          const RenameEngine::Batch& batch,
                                                          const std::string& by) {
    prepareJournalFolder(folder);
    const std::string stem = utcNow("%Y%m%dT%H%M%SZ") + "-" + std::to_string(::getpid());
    for (int attempt = 1;; ++attempt) {
        std::string name = stem;
        if (attempt > 1) name.append("-").append(std::to_string(attempt));
        name += ".jsonl";
        const fs::path file = folder / name;
        // A name already taken (several batches within one second) tries the next.
        if (attempt < 1000 && FileSystem::status(file)) continue;
        return begin(file, batch, by);
    }
}

std::error_code BatchJournal::writeIntent(const std::string& by) {
    const std::size_t count = batch_.size();
    // Where the volume records birth times every file is asked for its stamp,
    // which gives its identity too; elsewhere the identities come from the
    // folders' reads.
    const auto stamps =
        FileSystem::stampsWithBirth(count, [&](std::size_t move) { return batch_.fromPath(move); });
    std::vector<std::optional<FileSystem::FileId>> identities;
    if (std::any_of(stamps.begin(), stamps.end(), [](const auto& stamp) { return !stamp; })) {
        identities = batch_.identities();
    }

    std::string out;
    out.reserve(piece + 4096);  // room for a piece and, as a rule, the line that passes it
    out = "{\"tavixJournal\":3,\"created\":";
    appendString(out, utcNow("%Y-%m-%dT%H:%M:%SZ"));
    out += ",\"by\":";
    appendString(out, text::validUtf8(by));
    out += ",\"planned\":";
    appendNumber(out, count);
    out += "}\n";
    JournalPaths paths;
    std::string temporary;
    for (std::size_t move = 0; move < count; ++move) {
        paths.enter(batch_, move);
        out += "{\"from\":";
        paths.appendFrom(out, batch_, move);
        out += ",\"to\":";
        paths.append(out, batch_.toName(move));
        const auto& stamp = stamps[move];
        const std::optional<FileSystem::FileId> id = stamp ? stamp->id : identities[move];
        if (id) {
            out += ",\"device\":";
            appendNumber(out, id->device);
            out += ",\"inode\":";
            appendNumber(out, id->inode);
        } else {
            out += ",\"device\":null,\"inode\":null";
        }
        out += ",\"birth\":";
        if (stamp && stamp->birth) {
            out += '"';
            appendTime(out, *stamp->birth);
            out += '"';
        } else {
            out += "null";
        }
        out += ",\"temporary\":";
        if (batch_.temporaryName(move, temporary)) {
            paths.append(out, temporary);
        } else {
            out += "null";
        }
        out += "}\n";
        if (out.size() >= piece) {
            if (auto error = file_.append(out)) return error;
            out.clear();
        }
    }
    out += "{\"intent\":\"complete\"}\n";
    if (auto error = file_.append(out)) return error;
    return file_.sync();
}

void BatchJournal::record(std::size_t move, const RenameEngine::Applied::Failure* failure) {
    if (failure) {
        lines_ += "{\"failed\":";
        appendNumber(lines_, move + 1);
        lines_ += ",\"message\":";
        appendString(lines_, text::validUtf8(failure->message));
        lines_ += "}\n";
    } else {
        lines_ += "{\"moved\":";
        appendNumber(lines_, move + 1);
        lines_ += "}\n";
    }
    if (lines_.size() >= piece) flush();
}

void BatchJournal::flush() {
    // Whole lines only, so a crash keeps whole records; a failure loses only
    // what undo finds out by identity anyway.
    if (!lines_.empty()) (void)file_.append(lines_);
    lines_.clear();
}

BatchJournal::Finished BatchJournal::finish(const std::string& message, std::size_t moved,
                                            std::size_t failed) {
    flush();
    if (!file_.stillAtPath()) return {{}, true};
    std::string line = "{\"state\":\"complete\",\"message\":";
    appendString(line, text::validUtf8(message));
    line += ",\"moved\":" + std::to_string(moved) + ",\"failed\":" + std::to_string(failed) + "}\n";
    if (auto error = file_.append(line)) return {error, false};
    return {file_.sync(false), false};
}

BatchJournal::~BatchJournal() {
    flush();
}

}  // namespace tavix::journal
