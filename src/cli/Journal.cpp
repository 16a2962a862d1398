#include "cli/Journal.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unordered_set>

#include "text/Utf.hpp"

namespace tavix::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using Sink = std::function<void(std::string_view)>;
using Failure = RenameEngine::Applied::Failure;

constexpr std::string_view base64Digits =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t chunk = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            chunk <<= 8;
            if (k < n) chunk |= static_cast<unsigned char>(bytes[i + k]);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            out += k <= n ? base64Digits[(chunk >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return out;
}

std::optional<std::string> fromBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out;
    std::uint32_t chunk = 0;
    int bits = 0;
    std::size_t padding = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '=') {
            if (i + 2 < text.size()) return std::nullopt;
            ++padding;
            continue;
        }
        if (padding > 0) return std::nullopt;
        const auto digit = base64Digits.find(c);
        if (digit == std::string_view::npos) return std::nullopt;
        chunk = (chunk << 6) | static_cast<std::uint32_t>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((chunk >> bits) & 0xFF);
        }
    }
    return out;
}

// A JSON string of well-formed UTF-8, escaped as JSON requires.
void appendString(std::string& out, std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

// A path round-trips byte for byte: UTF-8 as a string, anything else as base64.
void appendPath(std::string& out, const Location& path) {
    const std::string& bytes = path.native();
    if (text::isValidUtf8(bytes)) {
        appendString(out, bytes);
    } else {
        out += "{\"base64\":\"";
        out += base64(bytes);
        out += "\"}";
    }
}

void appendMove(std::string& out, const Location& from, const Location& to) {
    out += "{\"from\":";
    appendPath(out, from);
    out += ",\"to\":";
    appendPath(out, to);
    out += '}';
}

void appendFailure(std::string& out, const Failure& failure) {
    out += "{\"path\":";
    appendPath(out, failure.url);
    out += ",\"message\":";
    appendString(out, text::validUtf8(failure.message));
    out += '}';
}

void appendPlanned(std::string& out, const PlannedMove& move) {
    out += "{\"from\":";
    appendPath(out, move.from);
    out += ",\"to\":";
    appendPath(out, move.to);
    if (move.identity) {
        out += ",\"device\":" + std::to_string(move.identity->device);
        out += ",\"inode\":" + std::to_string(move.identity->inode);
    } else {
        out += ",\"device\":null,\"inode\":null";
    }
    out += ",\"temporary\":";
    if (move.temporary) {
        appendPath(out, *move.temporary);
    } else {
        out += "null";
    }
    out += '}';
}

template <class Items, class Append>
void writeArray(const Sink& write, std::string_view key, const Items& items, Append append) {
    std::string piece = ",\"" + std::string(key) + "\":[";
    bool first = true;
    for (const auto& item : items) {
        if (!first) piece += ',';
        first = false;
        append(piece, item);
        if (piece.size() > 8192) {
            write(piece);
            piece.clear();
        }
    }
    piece += ']';
    write(piece);
}

// The document of this version, on one line.
void writeDocument(const Sink& write, std::string_view created, JournalState state,
                   const std::vector<PlannedMove>& planned, const std::vector<Move>& moves,
                   const std::vector<Failure>& failures,
                   const std::optional<std::string>& message) {
    std::string head = "{\"tavixJournal\":2,\"created\":";
    appendString(head, created);
    head += ",\"state\":";
    appendString(head, rawValue(state));
    write(head);
    writeArray(write, "planned", planned, appendPlanned);
    writeArray(write, "moves", moves,
               [](std::string& out, const Move& move) { appendMove(out, move.from, move.to); });
    writeArray(write, "failures", failures, appendFailure);
    std::string tail = ",\"message\":";
    if (message) {
        appendString(tail, text::validUtf8(*message));
    } else {
        tail += "null";
    }
    tail += "}\n";
    write(tail);
}

std::string utcNow(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, format, &parts);
    return buffer;
}

// Reading.

class Reader {
public:
    explicit Reader(const std::string& name) : name_(name) {}

    [[noreturn]] void fail(const std::string& why) const { throw JournalError(name_ + ": " + why); }

    fs::path path(const Json& value, const std::string& where) const {
        if (value.is_string()) return fs::path(value.get<std::string>());
        if (value.is_object() && value.contains("base64") && value["base64"].is_string()) {
            if (auto bytes = fromBase64(value["base64"].get<std::string>()))
                return fs::path(*bytes);
        }
        fail(where + " needs \"from\" and \"to\" paths");
    }

    // A move's two paths: absolute, in one folder, as every rename is.
    std::pair<fs::path, fs::path> move(const Json& entry, const std::string& where) const {
        if (!entry.is_object() || !entry.contains("from") || !entry.contains("to")) {
            fail(where + " needs \"from\" and \"to\" paths");
        }
        fs::path from = path(entry["from"], where);
        fs::path to = path(entry["to"], where);
        if (!from.is_absolute() || !to.is_absolute()) fail(where + " needs absolute paths");
        if (from.parent_path() != to.parent_path()) fail(where + " leaves its folder");
        return {std::move(from), std::move(to)};
    }

    PlannedMove planned(const Json& entry, const std::string& where) const {
        auto [from, to] = move(entry, where);
        PlannedMove planned{std::move(from), std::move(to), std::nullopt, std::nullopt};
        if (entry.contains("temporary") && !entry["temporary"].is_null()) {
            planned.temporary = path(entry["temporary"], where);
            if (planned.temporary->parent_path() != planned.from.parent_path()) {
                fail(where + " leaves its folder");
            }
        }
        const Json device = entry.value("device", Json());
        const Json inode = entry.value("inode", Json());
        if (device.is_number_unsigned() && inode.is_number_unsigned()) {
            planned.identity =
                FileSystem::FileId{device.get<std::uint64_t>(), inode.get<std::uint64_t>()};
        } else if (!device.is_null() || !inode.is_null()) {
            fail(where + " has no valid device and inode");
        }
        return planned;
    }

    Failure failure(const Json& entry) const {
        if (!entry.is_object() || !entry.contains("path")) fail("a failure needs a \"path\"");
        const Json message = entry.value("message", Json(""));
        return {path(entry["path"], "a failure"),
                message.is_string() ? message.get<std::string>() : ""};
    }

private:
    const std::string& name_;
};

std::string moveNumber(std::size_t index) {
    return "move " + std::to_string(index + 1);
}

}  // namespace

std::string_view rawValue(JournalState state) {
    switch (state) {
        case JournalState::pending:
            return "pending";
        case JournalState::complete:
            return "complete";
        case JournalState::undone:
            return "undone";
    }
    return {};
}

Journal readJournal(std::string_view text, const std::string& name) {
    const Reader reader(name);
    Json document = Json::parse(text, nullptr, false);
    std::string_view appended;
    if (document.is_discarded()) {
        // A pending journal: the document on its first line, then the records
        // appended while the batch ran (the last one possibly cut short).
        const auto newline = text.find('\n');
        if (newline != std::string_view::npos) {
            document = Json::parse(text.substr(0, newline), nullptr, false);
            appended = text.substr(newline + 1);
        }
        if (document.is_discarded()) {
            // The intent is written whole and synced before the first move: a
            // journal cut short within its first line stopped before anything moved.
            if (text.starts_with("{\"tavixJournal\":") && newline == std::string_view::npos) {
                reader.fail("the batch stopped before its first move; nothing to put back");
            }
            reader.fail("not valid JSON");
        }
    }
    if (!document.is_object()) reader.fail("not a journal (no \"moves\" list)");

    Journal journal;
    journal.earlierForm = !document.contains("tavixJournal");
    if (journal.earlierForm) {
        if (!document.contains("moves") || !document["moves"].is_array()) {
            reader.fail("not a journal (no \"moves\" list)");
        }
    } else {
        if (!document["tavixJournal"].is_number_integer() || document["tavixJournal"] != 2) {
            reader.fail("a journal of an unknown version");
        }
        for (const char* key : {"planned", "moves", "failures"}) {
            if (!document.contains(key) || !document[key].is_array()) {
                reader.fail(std::string("not a journal (no \"") + key + "\" list)");
            }
        }
        if (document.value("created", Json()).is_string()) {
            journal.created = document["created"].get<std::string>();
        }
    }
    const Json state = document.value("state", Json(journal.earlierForm ? "complete" : ""));
    if (state == "pending") {
        journal.state = JournalState::pending;
    } else if (state == "complete") {
        journal.state = JournalState::complete;
    } else if (state == "undone") {
        journal.state = JournalState::undone;
    } else {
        reader.fail("not a journal (no valid \"state\")");
    }
    if (!appended.empty() && journal.state != JournalState::pending) reader.fail("not valid JSON");

    const Json& moves = document["moves"];
    for (std::size_t i = 0; i < moves.size(); ++i) {
        auto [from, to] = reader.move(moves[i], moveNumber(i));
        journal.moves.push_back({std::move(from), std::move(to)});
    }
    if (journal.earlierForm) {
        for (const Move& move : journal.moves) {
            journal.planned.push_back({move.from, move.to, std::nullopt, std::nullopt});
        }
    } else {
        const Json& planned = document["planned"];
        journal.planned.reserve(planned.size());
        for (std::size_t i = 0; i < planned.size(); ++i) {
            journal.planned.push_back(reader.planned(planned[i], "planned " + moveNumber(i)));
        }
    }
    if (document.contains("failures") && document["failures"].is_array()) {
        for (const Json& failure : document["failures"]) {
            journal.failures.push_back(reader.failure(failure));
        }
    }
    if (document.contains("message") && document["message"].is_string()) {
        journal.message = document["message"].get<std::string>();
    }

    // Records appended while the batch ran; one cut short by a crash is ignored.
    while (!appended.empty()) {
        const auto newline = appended.find('\n');
        const std::string_view line = appended.substr(0, newline);
        appended =
            newline == std::string_view::npos ? std::string_view{} : appended.substr(newline + 1);
        const Json record = Json::parse(line, nullptr, false);
        if (record.is_discarded() || !record.is_object()) continue;
        if (record.contains("from")) {
            auto [from, to] = reader.move(record, moveNumber(journal.moves.size()));
            journal.moves.push_back({std::move(from), std::move(to)});
        } else if (record.contains("path")) {
            journal.failures.push_back(reader.failure(record));
        }
    }
    return journal;
}

std::string undoneText(const Journal& journal) {
    std::string text;
    const Sink write = [&](std::string_view piece) { text.append(piece); };
    if (!journal.earlierForm) {
        writeDocument(write, journal.created, JournalState::undone, journal.planned, journal.moves,
                      journal.failures, journal.message);
        return text;
    }
    // The earlier form keeps its own keys, with the state added.
    text = "{\"moves\":[";
    for (std::size_t i = 0; i < journal.moves.size(); ++i) {
        if (i > 0) text += ',';
        appendMove(text, journal.moves[i].from, journal.moves[i].to);
    }
    text += ']';
    writeArray(write, "failures", journal.failures, appendFailure);
    text += ",\"message\":";
    if (journal.message) {
        appendString(text, text::validUtf8(*journal.message));
    } else {
        text += "null";
    }
    text += ",\"state\":\"undone\"}\n";
    return text;
}

JournalWriter::JournalWriter(const fs::path& path, const std::vector<PlannedMove>& moves)
    : moves_(moves), created_(utcNow("%Y-%m-%dT%H:%M:%SZ")) {
    std::error_code error;
    file_ = FileSystem::DurableFile::create(path, error);
    if (error) {
        throw JournalError("journal \u201C" + path.string() + "\u201D: " + error.message() +
                           "; nothing was renamed");
    }
    std::string intent;
    writeDocument([&](std::string_view piece) { intent.append(piece); }, created_,
                  JournalState::pending, moves, {}, {}, std::nullopt);
    error = file_->append(intent);
    if (!error) error = file_->sync();
    if (error) {
        // An intent that isn't durable can't be relied on: remove it, move nothing.
        ::unlink(path.c_str());
        throw JournalError("journal \u201C" + path.string() + "\u201D: " + error.message() +
                           "; nothing was renamed");
    }
}

std::unique_ptr<JournalWriter> JournalWriter::inFolder(const fs::path& folder,
                                                       const std::vector<PlannedMove>& moves) {
    if (const auto error = FileSystem::createFolders(folder)) {
        throw JournalError("journal folder \u201C" + folder.string() +
                           "\u201D: " + error.message() + "; nothing was renamed");
    }
    const std::string stem = utcNow("%Y%m%dT%H%M%SZ") + "-" + std::to_string(::getpid());
    for (int attempt = 1;; ++attempt) {
        const fs::path path =
            folder / (stem + (attempt > 1 ? "-" + std::to_string(attempt) : "") + ".json");
        // A name already taken (several batches within one second) tries the next.
        if (attempt < 1000 && FileSystem::identity(path)) continue;
        return std::make_unique<JournalWriter>(path, moves);
    }
}

void JournalWriter::record(std::size_t index, const Failure* failure) {
    std::string line;
    if (failure) {
        appendFailure(line, *failure);
    } else {
        appendMove(line, moves_[index].from, moves_[index].to);
    }
    line += '\n';
    (void)file_->append(line);
}

std::error_code JournalWriter::complete(const RenameEngine::Applied& applied,
                                        const std::string& message) {
    return file_->replace([&](const Sink& write) {
        writeDocument(write, created_, JournalState::complete, moves_, applied.moves,
                      applied.failures, message);
    });
}

std::error_code markUndone(const fs::path& path, const Journal& journal) {
    std::error_code error;
    const auto file = FileSystem::DurableFile::open(path, error);
    if (error) return error;
    const std::string text = undoneText(journal);
    return file->replace([&](const Sink& write) { write(text); });
}

fs::path defaultStateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return fs::path(state) / "tavix";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return fs::path(home) / ".local/state/tavix";
    return {};
}

fs::path journalFolder(const fs::path& stateFolder) {
    return stateFolder / "journals";
}

std::vector<HistoryEntry> history(
    const fs::path& folder,
    const std::function<void(const fs::path&, const std::string&)>& skipped) {
    std::vector<HistoryEntry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (path.extension() != ".json" || !it->is_regular_file()) continue;
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) {
            skipped(path, "could not be read");
            continue;
        }
        try {
            entries.push_back({path, readJournal(text.str(), path.string())});
        } catch (const JournalError& failure) {
            skipped(path, failure.what());
        }
    }
    // Names start with the UTC time, then the process id and a counter for
    // batches of one process within one second.
    const auto key = [](const fs::path& path) {
        const std::string name = path.filename().string();
        const auto firstDash = name.find('-');
        const auto secondDash = name.find('-', firstDash == std::string::npos ? 0 : firstDash + 1);
        const int counter =
            secondDash == std::string::npos ? 1 : std::atoi(name.c_str() + secondDash + 1);
        return std::tuple(name.substr(0, firstDash), counter, name);
    };
    std::sort(entries.begin(), entries.end(), [&](const HistoryEntry& a, const HistoryEntry& b) {
        return key(a.path) > key(b.path);
    });
    return entries;
}

}  // namespace tavix::cli
