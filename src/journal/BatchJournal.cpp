#include "journal/BatchJournal.hpp"

#include <unistd.h>

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

// A move's paths as the journal records them: as the plan gives them, or, when
// they reach the file by way of "." or "..", in the folder the system resolves
// them to (the kernel's own reading, symbolic links included).
class JournalPaths {
public:
    void set(std::string& from, std::string& to, std::optional<std::string>& temporary) {
        if (!hasDotComponent(from)) return;
        const std::string folder = PathNames::folder(Location(from)).native();
        if (folder != folder_) {
            folder_ = folder;
            resolved_ = FileSystem::resolvedFolder(folder).value_or(folder);
            if (resolved_ != "/") resolved_ += '/';
        }
        for (std::string* path : {&from, &to, temporary ? &*temporary : nullptr}) {
            if (path != nullptr) *path = resolved_ + PathNames::name(Location(*path));
        }
    }

private:
    std::string folder_;
    std::string resolved_;
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
    const auto identities = batch_.identities();
    const auto births = FileSystem::birthTimes(
        batch_.size(), [&](std::size_t move) { return batch_.fromPath(move); }, identities);

    std::string out = "{\"tavixJournal\":3,\"created\":";
    appendString(out, utcNow("%Y-%m-%dT%H:%M:%SZ"));
    out += ",\"by\":";
    appendString(out, text::validUtf8(by));
    out += ",\"planned\":" + std::to_string(batch_.size()) + "}\n";
    JournalPaths paths;
    std::string from;
    std::string to;
    std::optional<std::string> temporary;
    for (std::size_t move = 0; move < batch_.size(); ++move) {
        from.assign(batch_.fromPath(move));
        batch_.destinationPath(move, to);
        temporary.reset();
        if (batch_.hasTemporary(move)) batch_.temporaryPath(move, temporary.emplace());
        paths.set(from, to, temporary);
        out += "{\"from\":";
        appendPath(out, from);
        out += ",\"to\":";
        appendPath(out, to);
        if (const auto& id = identities[move]) {
            out += ",\"device\":" + std::to_string(id->device);
            out += ",\"inode\":" + std::to_string(id->inode);
        } else {
            out += ",\"device\":null,\"inode\":null";
        }
        out += ",\"birth\":";
        if (births[move]) {
            out += '"' + timeText(*births[move]) + '"';
        } else {
            out += "null";
        }
        out += ",\"temporary\":";
        if (temporary) {
            appendPath(out, *temporary);
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
        lines_ += "{\"failed\":" + std::to_string(move + 1) + ",\"message\":";
        appendString(lines_, text::validUtf8(failure->message));
        lines_ += "}\n";
    } else {
        lines_ += "{\"moved\":";
        lines_ += std::to_string(move + 1);
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
