#include "journal/History.hpp"

#include <algorithm>
#include <ctime>
#include <tuple>

#include "journal/JournalContents.hpp"
#include "journal/Record.hpp"
#include "journal/StateFolder.hpp"
#include "system/ChunkReads.hpp"
#include "system/FileStatus.hpp"
#include "system/FileStore.hpp"
#include "system/FolderFiles.hpp"
#include "system/RegularFile.hpp"
#include "text/PathNames.hpp"

namespace tavix::journal {
namespace {

namespace fs = std::filesystem;

// Names start with the UTC time, then the process id and a counter for batches
// of one process within one second.
auto orderKey(const std::string& name) {
    const auto firstDash = name.find('-');
    const auto secondDash = name.find('-', firstDash == std::string::npos ? 0 : firstDash + 1);
    const auto dot = name.find('.', secondDash == std::string::npos ? 0 : secondDash);
    int counter = 1;
    if (secondDash != std::string::npos && dot != std::string::npos) {
        counter = std::atoi(name.substr(secondDash + 1, dot - secondDash - 1).c_str());
    }
    return std::tuple(name.substr(0, firstDash), counter, name);
}

// When the journal named `name` was created, from its name; nothing when the
// name doesn't start with a time.
std::optional<std::time_t> createdFromName(const std::string& name) {
    std::tm parts{};
    const char* end = ::strptime(name.c_str(), "%Y%m%dT%H%M%SZ", &parts);
    if (end == nullptr) return std::nullopt;
    return ::timegm(&parts);
}

// The last state lines of a journal of this version, read backwards from its
// end: the current state and the batch's end.
void readEnding(const FileSystem::Descriptor& file, HistoryEntry& entry) {
    const auto size = FileSystem::sizeOf(file).value_or(0);
    constexpr std::uint64_t tailSize = 64 * 1024;
    const std::uint64_t from = size > tailSize ? size - tailSize : 0;
    std::string tail(static_cast<std::size_t>(size - from), '\0');
    std::size_t got = 0;
    if (FileSystem::readAt(file, from, tail.data(), tail.size(), got)) return;
    tail.resize(got);
    // A last line without its newline was cut short by a crash.
    std::size_t end = tail.rfind('\n');
    if (end == std::string::npos) return;
    RecordEvents events;
    bool sawState = false;
    while (end > 0) {
        const std::size_t start = tail.rfind('\n', end - 1);
        // The file's first line is the header, never a state line; a line with no
        // newline before it in a tail that starts later began before the tail.
        if (start == std::string::npos) break;
        const std::size_t first = start + 1;
        if (!parseRecord(std::string_view(tail).substr(first, end - first), events)) break;
        const auto state = events.record.text("state");
        if (!state) break;
        if (!sawState)
            entry.state = *state == "undone" ? JournalState::undone : JournalState::complete;
        sawState = true;
        if (*state == "complete") {
            entry.message = events.record.text("message");
            entry.moved = events.record.number("moved");
            entry.failed = events.record.number("failed");
            break;
        }
        end = start;
    }
}

}  // namespace

std::vector<fs::path> journalFiles(const fs::path& folder, std::vector<Skipped>& skipped) {
    if (!FileSystem::status(folder)) return {};
    if (const auto why = folderDistrust(folder)) {
        throw JournalError("journal folder \u201C" + folder.string() +
                           "\u201D is not safe: " + *why);
    }
    std::error_code error;
    std::vector<std::string> names = FileSystem::namesIn(folder, error);
    if (error)
        throw JournalError("journal folder \u201C" + folder.string() +
                           "\u201D: " + error.message());
    std::erase_if(names, [](const std::string& name) { return !isJournalName(name); });
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return orderKey(a) > orderKey(b); });
    std::vector<fs::path> files;
    for (const std::string& name : names) {
        const fs::path path = folder / name;
        const auto found = FileSystem::status(path);
        std::optional<std::string> why;
        if (!found || !found->regular) {
            why = "not a regular file";
        } else if (found->owner != FileSystem::currentUser()) {
            why = "owned by another user";
        } else if (FileSystem::writableByOthers(found->mode, true)) {
            why = "writable by group or others";
        }
        if (why) {
            skipped.push_back({path, "not trusted: " + *why});
        } else {
            files.push_back(path);
        }
    }
    return files;
}

HistoryEntry historyEntry(const fs::path& journal) {
    const std::string name = journal.string();
    std::error_code error;
    const FileSystem::Descriptor file = FileSystem::openRegularNoFollow(journal, error);
    if (error) throw JournalError(name + ": " + error.message());
    if (const auto why = fileDistrust(file)) throw JournalError(name + ": not trusted: " + *why);
    const ReadBytes read = [&](char* buffer, std::size_t size, std::size_t& got) {
        return FileSystem::readSome(file, buffer, size, got);
    };
    HistoryEntry entry;
    entry.journal = journal;
    if (!journal.native().ends_with(".jsonl")) {
        // The earlier form is one document: it is read whole, a record at a time.
        const JournalContents c = readJournal(read, name);
        entry.created = c.created;
        entry.state = c.state;
        entry.planned = c.planned.size();
        entry.message = c.message;
        if (!c.planned.empty()) entry.folder = PathNames::folder(c.planned.front().from).native();
        if (c.state != JournalState::pending) {
            entry.moved = static_cast<std::size_t>(
                std::count(c.fates.begin(), c.fates.end(), JournalContents::Fate::moved));
            entry.failed = static_cast<std::size_t>(
                std::count(c.fates.begin(), c.fates.end(), JournalContents::Fate::failed));
        }
        return entry;
    }
    LineReader lines(read);
    LineReader::Line line;
    RecordEvents events;
    if (!lines.next(line) || line.tooLong || !parseRecord(line.text, events) ||
        events.record.number("tavixJournal") != 3u) {
        throw JournalError(name + ": line 1: not a journal of this version");
    }
    entry.created = events.record.text("created").value_or("");
    entry.by = events.record.text("by").value_or("");
    const auto planned = events.record.number("planned");
    if (planned) entry.planned = static_cast<std::size_t>(*planned);
    if (lines.next(line) && !line.tooLong && parseRecord(line.text, events)) {
        if (const auto from = events.record.path("from")) {
            entry.folder = PathNames::folder(Location(*from)).native();
        }
    }
    readEnding(file, entry);
    return entry;
}

std::vector<HistoryEntry> history(const fs::path& folder, std::vector<Skipped>& skipped) {
    std::vector<HistoryEntry> entries;
    for (const fs::path& journal : journalFiles(folder, skipped)) {
        try {
            entries.push_back(historyEntry(journal));
        } catch (const JournalError& failure) {
            skipped.push_back({journal, failure.what()});
        }
    }
    return entries;
}

std::size_t prune(const fs::path& folder, std::size_t keep,
                  std::optional<std::chrono::hours> olderThan, std::vector<Skipped>& skipped) {
    const auto files = journalFiles(folder, skipped);
    const std::time_t now = std::time(nullptr);
    std::size_t removed = 0;
    for (std::size_t i = keep; i < files.size(); ++i) {
        if (olderThan) {
            const auto created = createdFromName(files[i].filename().string());
            if (!created || now - *created <= std::chrono::seconds(*olderThan).count()) continue;
        }
        try {
            if (historyEntry(files[i]).state == JournalState::pending) continue;
        } catch (const JournalError& failure) {
            skipped.push_back({files[i], failure.what()});
            continue;
        }
        if (const auto error = FileSystem::removeFile(files[i])) {
            skipped.push_back({files[i], error.message()});
        } else {
            ++removed;
        }
    }
    return removed;
}

}  // namespace tavix::journal
