#include "cli/Journal.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <istream>
#include <nlohmann/json.hpp>
#include <streambuf>

#include "cli/Inputs.hpp"
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

// Whether `text` holds a byte JSON escapes (a control, '"' or '\\'), tested
// eight bytes at a time: journals write every path several times.
bool needsEscape(std::string_view text) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    // Whether a byte of `word` is below `n` (n <= 128); exact for the word as a whole.
    const auto hasLess = [](std::uint64_t word, std::uint64_t n) {
        return ((word - ones * n) & ~word & highs) != 0;
    };
    const auto hasByte = [&](std::uint64_t word, std::uint64_t byte) {
        return hasLess(word ^ (ones * byte), 1);
    };
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if (hasLess(word, 0x20) || hasByte(word, '"') || hasByte(word, '\\')) return true;
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\') return true;
    }
    return false;
}

// A JSON string of well-formed UTF-8, escaped as JSON requires.
void appendString(std::string& out, std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    out += '"';
    if (!needsEscape(text)) {
        out += text;
        out += '"';
        return;
    }
    // Runs that need no escape, nearly every name whole, are copied at once.
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && c != '"' && c != '\\') continue;
        out.append(text, plain, i - plain);
        plain = i + 1;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    out.append(text, plain);
    out += '"';
}

// A path round-trips byte for byte: UTF-8 as a string, anything else as base64.
void appendPath(std::string& out, std::string_view bytes) {
    if (text::isValidUtf8(bytes)) {
        appendString(out, bytes);
    } else {
        out += "{\"base64\":\"";
        out += base64(bytes);
        out += "\"}";
    }
}

void appendMove(std::string& out, std::string_view from, std::string_view to) {
    out += "{\"from\":";
    appendPath(out, from);
    out += ",\"to\":";
    appendPath(out, to);
    out += '}';
}

void appendFailure(std::string& out, const Failure& failure) {
    out += "{\"path\":";
    appendPath(out, failure.url.native());
    out += ",\"message\":";
    appendString(out, text::validUtf8(failure.message));
    out += '}';
}

void appendIdentity(std::string& out, const std::optional<FileSystem::FileId>& identity) {
    if (identity) {
        out += ",\"device\":";
        out += std::to_string(identity->device);
        out += ",\"inode\":";
        out += std::to_string(identity->inode);
    } else {
        out += ",\"device\":null,\"inode\":null";
    }
}

void appendPlanned(std::string& out, const PlannedMove& move) {
    out += "{\"from\":";
    appendPath(out, move.from.native());
    out += ",\"to\":";
    appendPath(out, move.to.native());
    appendIdentity(out, move.identity);
    out += ",\"temporary\":";
    if (move.temporary) {
        appendPath(out, move.temporary->native());
    } else {
        out += "null";
    }
    out += '}';
}

// Collects pieces of a document and hands them on in pieces of about 64 KiB.
class Pieces {
public:
    explicit Pieces(const Sink& write) : write_(write) {}
    ~Pieces() = default;
    std::string& text() { return text_; }
    // Hands on what has been collected once there is enough of it.
    void maybeFlush() {
        if (text_.size() >= 1 << 16) flush();
    }
    void flush() {
        if (!text_.empty()) write_(text_);
        text_.clear();
    }

private:
    const Sink& write_;
    std::string text_;
};

// Writes a list's items as `,"key":[…]`, each item appended by `each(out, visit)`
// calling its visitor once per item.
template <class Each>
void writeList(Pieces& pieces, std::string_view key, Each each, bool opensObject = false) {
    std::string& out = pieces.text();
    if (!opensObject) out += ',';
    out += '"';
    out += key;
    out += "\":[";
    bool first = true;
    each([&](const auto& append) {
        if (!first) out += ',';
        first = false;
        append(out);
        pieces.maybeFlush();
    });
    out += ']';
}

void writeHead(std::string& out, std::string_view created, JournalState state) {
    out += "{\"tavixJournal\":2,\"created\":";
    appendString(out, created);
    out += ",\"state\":";
    appendString(out, rawValue(state));
}

void writeMessage(std::string& out, const std::optional<std::string>& message) {
    out += ",\"message\":";
    if (message) {
        appendString(out, text::validUtf8(*message));
    } else {
        out += "null";
    }
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

// Names a record in errors: "move 3", "planned move 3".
struct Where {
    std::string_view prefix;
    std::size_t index;
    std::string text() const {
        if (index == whole) return std::string(prefix);
        return std::string(prefix) + std::to_string(index + 1);
    }
    static constexpr std::size_t whole = static_cast<std::size_t>(-1);
};

constexpr std::string_view movePrefix = "move ";
constexpr std::string_view plannedPrefix = "planned move ";

class Reader {
public:
    explicit Reader(const std::string& name) : name_(name) {}

    [[noreturn]] void fail(const std::string& why) const { throw JournalError(name_ + ": " + why); }

    fs::path path(const Json& value, const Where& where) const {
        if (value.is_string()) return fs::path(value.get_ref<const std::string&>());
        if (value.is_object()) {
            const auto found = value.find("base64");
            if (found != value.end() && found->is_string()) {
                if (auto bytes = fromBase64(found->get_ref<const std::string&>()))
                    return fs::path(std::move(*bytes));
            }
        }
        fail(where.text() + " needs \"from\" and \"to\" paths");
    }

    // A move's two paths: absolute, in one folder, as every rename is.
    Move move(const Json& entry, const Where& where) const {
        if (!entry.is_object() || !entry.contains("from") || !entry.contains("to")) {
            fail(where.text() + " needs \"from\" and \"to\" paths");
        }
        fs::path from = path(entry["from"], where);
        fs::path to = path(entry["to"], where);
        if (!from.is_absolute() || !to.is_absolute()) fail(where.text() + " needs absolute paths");
        if (from.parent_path() != to.parent_path()) fail(where.text() + " leaves its folder");
        return {std::move(from), std::move(to)};
    }

    PlannedMove planned(const Json& entry, const Where& where) const {
        auto [from, to] = move(entry, where);
        PlannedMove planned{std::move(from), std::move(to), std::nullopt, std::nullopt};
        const auto temporary = entry.find("temporary");
        if (temporary != entry.end() && !temporary->is_null()) {
            planned.temporary = path(*temporary, where);
            if (planned.temporary->parent_path() != planned.from.parent_path()) {
                fail(where.text() + " leaves its folder");
            }
        }
        const auto device = entry.find("device");
        const auto inode = entry.find("inode");
        const bool hasDevice = device != entry.end() && !device->is_null();
        const bool hasInode = inode != entry.end() && !inode->is_null();
        if (hasDevice && hasInode && device->is_number_unsigned() && inode->is_number_unsigned()) {
            planned.identity =
                FileSystem::FileId{device->get<std::uint64_t>(), inode->get<std::uint64_t>()};
        } else if (hasDevice || hasInode) {
            fail(where.text() + " has no valid device and inode");
        }
        return planned;
    }

    Failure failure(const Json& entry) const {
        if (!entry.is_object() || !entry.contains("path")) fail("a failure needs a \"path\"");
        const auto message = entry.find("message");
        return {path(entry["path"], {"a failure", Where::whole}),
                message != entry.end() && message->is_string() ? message->get<std::string>()
                                                               : std::string()};
    }

private:
    const std::string& name_;
};

// Reads a byte range of a file through one buffer, knowing where it is.
class FileBuffer : public std::streambuf {
public:
    FileBuffer(int fd, std::uint64_t from, std::uint64_t end)
        : fd_(fd), start_(from), end_(end), buffer_(1 << 16) {
        setg(buffer_.data(), buffer_.data(), buffer_.data());
    }

    // The offset in the file of the next byte to be read.
    std::uint64_t position() const { return start_ + static_cast<std::uint64_t>(gptr() - eback()); }
    void seek(std::uint64_t at) {
        start_ = at;
        setg(buffer_.data(), buffer_.data(), buffer_.data());
    }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        start_ += static_cast<std::uint64_t>(egptr() - eback());
        setg(buffer_.data(), buffer_.data(), buffer_.data());
        if (start_ >= end_) return traits_type::eof();
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), end_ - start_));
        ssize_t n;
        do {
            n = ::pread(fd_, buffer_.data(), want, static_cast<off_t>(start_));
        } while (n < 0 && errno == EINTR);
        if (n <= 0) return traits_type::eof();
        setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
        return traits_type::to_int_type(*gptr());
    }

private:
    int fd_;
    std::uint64_t start_;  // the file offset of eback()
    std::uint64_t end_;
    std::vector<char> buffer_;
};

// Builds a JSON value from parsing events, as the library's own parser does.
class ValueBuilder {
public:
    Json root;

    bool done() const { return stack_.empty(); }
    void clear() {
        root = Json();
        stack_.clear();
    }
    void value(Json&& value) { place(std::move(value)); }
    void open(bool object) { stack_.push_back(place(object ? Json::object() : Json::array())); }
    void key(std::string& key) { key_ = std::move(key); }
    void close() { stack_.pop_back(); }

private:
    Json* place(Json&& value) {
        if (stack_.empty()) {
            root = std::move(value);
            return &root;
        }
        Json& top = *stack_.back();
        if (top.is_array()) {
            top.push_back(std::move(value));
            return &top.back();
        }
        Json& slot = top[key_];
        slot = std::move(value);
        return &slot;
    }

    std::vector<Json*> stack_;
    std::string key_;
};

// Parsing events turned into values by a builder: the shared part of the
// document scanner and the record reader.
template <class Handler>
class Events {
public:
    bool null() { return self().onValue(Json(nullptr)); }
    bool boolean(bool value) { return self().onValue(Json(value)); }
    bool number_integer(Json::number_integer_t value) { return self().onValue(Json(value)); }
    bool number_unsigned(Json::number_unsigned_t value) { return self().onValue(Json(value)); }
    bool number_float(Json::number_float_t value, const std::string&) {
        return self().onValue(Json(value));
    }
    bool string(std::string& value) { return self().onValue(Json(std::move(value))); }
    bool binary(Json::binary_t&) { return false; }
    bool start_object(std::size_t) { return self().onOpen(true); }
    bool start_array(std::size_t) { return self().onOpen(false); }
    bool end_object() { return self().onClose(); }
    bool end_array() { return self().onClose(); }
    bool key(std::string& key) { return self().onKey(key); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
        return false;
    }

private:
    Handler& self() { return static_cast<Handler&>(*this); }
};

// One value read from where a buffer stands.
class RecordParser : public Events<RecordParser> {
public:
    ValueBuilder builder;
    bool onValue(Json&& value) {
        builder.value(std::move(value));
        return true;
    }
    bool onOpen(bool object) {
        builder.open(object);
        return true;
    }
    bool onClose() {
        builder.close();
        return true;
    }
    bool onKey(std::string& key) {
        builder.key(key);
        return true;
    }
};

enum class ListKind { planned, moves, failures };
constexpr std::array<std::string_view, 3> listKeys = {"planned", "moves", "failures"};

// The records of one list are found again from every `checkpointEvery`-th one's offset.
constexpr std::size_t checkpointEvery = JournalReader::chunk;

}  // namespace

struct JournalReader::List {
    std::size_t count = 0;
    std::vector<std::uint64_t> checkpoints;  // where records 0, 1024, 2048 … start
    std::optional<std::string> firstError;   // the first record that doesn't read
    std::optional<fs::path> firstFrom;       // the first record's source
};

struct JournalReader::Appended {
    std::uint64_t from = 0;  // where the lines appended after the document start
    std::uint64_t end = 0;
    std::size_t moves = 0;
    std::size_t failures = 0;
};

namespace {

using List = JournalReader::List;

// Reads the document once: keeps its top-level values but not the records of
// its lists, which are checked one by one as they are read and then dropped.
class DocumentScanner : public Events<DocumentScanner> {
public:
    DocumentScanner(const FileBuffer& buffer, const Reader& reader, std::array<List*, 3> lists)
        : buffer_(buffer), reader_(reader), lists_(lists) {}

    ValueBuilder skeleton;

    bool onValue(Json&& value) {
        if (depth_ == 0) {
            skeleton.value(std::move(value));
        } else if (!rootIsObject_) {
            // The contents of a document that isn't an object don't matter.
        } else if (list_) {
            record_.value(std::move(value));
            if (depth_ == 2) finishRecord();
        } else {
            skeleton.value(std::move(value));
        }
        return true;
    }

    bool onOpen(bool object) {
        if (depth_ == 0) {
            rootIsObject_ = object;
            skeleton.open(object);
        } else if (!rootIsObject_) {
        } else if (list_) {
            if (depth_ == 2) recordStart_ = buffer_.position() - 1;
            record_.open(object);
        } else if (depth_ == 1 && !object && listOf(key_)) {
            // One of the lists: kept empty in the document, its records read one by one.
            list_ = listOf(key_);
            *lists_[static_cast<std::size_t>(*list_)] = List{};
            skeleton.value(Json::array());
        } else {
            skeleton.open(object);
        }
        ++depth_;
        return true;
    }

    bool onClose() {
        --depth_;
        if (depth_ == 0) {
            skeleton.close();
        } else if (!rootIsObject_) {
        } else if (list_) {
            if (depth_ == 1) {
                list_.reset();
            } else {
                record_.close();
                if (depth_ == 2) finishRecord();
            }
        } else {
            skeleton.close();
        }
        return true;
    }

    bool onKey(std::string& key) {
        if (!rootIsObject_) return true;
        if (list_) {
            record_.key(key);
        } else {
            if (depth_ == 1) key_ = key;
            skeleton.key(key);
        }
        return true;
    }

private:
    static std::optional<ListKind> listOf(std::string_view key) {
        for (std::size_t i = 0; i < listKeys.size(); ++i) {
            if (key == listKeys[i]) return static_cast<ListKind>(i);
        }
        return std::nullopt;
    }

    void finishRecord() {
        List& list = *lists_[static_cast<std::size_t>(*list_)];
        const std::size_t index = list.count++;
        if (index % checkpointEvery == 0) list.checkpoints.push_back(recordStart_);
        if (!list.firstError) {
            try {
                switch (*list_) {
                    case ListKind::planned: {
                        PlannedMove move = reader_.planned(record_.root, {plannedPrefix, index});
                        if (index == 0) list.firstFrom = std::move(move.from);
                        break;
                    }
                    case ListKind::moves: {
                        Move move = reader_.move(record_.root, {movePrefix, index});
                        if (index == 0) list.firstFrom = std::move(move.from);
                        break;
                    }
                    case ListKind::failures:
                        reader_.failure(record_.root);
                        break;
                }
            } catch (const JournalError& error) {
                list.firstError = error.what();
            }
        }
        record_.clear();
    }

    const FileBuffer& buffer_;
    const Reader& reader_;
    std::array<List*, 3> lists_;
    std::size_t depth_ = 0;
    bool rootIsObject_ = false;
    std::string key_;
    std::optional<ListKind> list_;
    std::uint64_t recordStart_ = 0;
    ValueBuilder record_;
};

// Calls `visit` with each line of [from, end), without its newline.
void forEachLine(int file, std::uint64_t from, std::uint64_t end,
                 const std::function<void(const std::string&)>& visit) {
    FileBuffer buffer(file, from, end);
    std::string line;
    for (;;) {
        const auto c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof() || c == '\n') {
            if (c == '\n' || !line.empty()) visit(line);
            line.clear();
            if (c == std::char_traits<char>::eof()) break;
        } else {
            line += static_cast<char>(c);
        }
    }
}

std::uint64_t sizeOf(int file) {
    struct stat status;
    if (::fstat(file, &status) != 0) return 0;
    return static_cast<std::uint64_t>(status.st_size);
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

namespace {

// Reads records of `list` one at a time: `count` of them from record `first`.
void readRecords(int file, std::uint64_t end, const List& list, std::size_t first,
                 std::size_t count, const Reader& reader,
                 const std::function<void(const Json&, std::size_t)>& visit) {
    if (count == 0) return;
    if (first + count > list.count) reader.fail("not valid JSON");
    FileBuffer buffer(file, 0, end);
    std::istream in(&buffer);
    std::size_t index = first - first % checkpointEvery;
    buffer.seek(list.checkpoints[index / checkpointEvery]);
    RecordParser parser;
    for (; index < first + count; ++index) {
        // Between two records: white space and a comma.
        for (;;) {
            const auto c = buffer.sgetc();
            if (c != ',' && c != ' ' && c != '\n' && c != '\r' && c != '\t') break;
            buffer.sbumpc();
        }
        parser.builder.clear();
        if (buffer.sgetc() != '{' ||
            !Json::sax_parse(in, &parser, Json::input_format_t::json, false) ||
            !parser.builder.done()) {
            // The journal changed since it was read.
            reader.fail("not valid JSON");
        }
        if (index >= first) visit(parser.builder.root, index);
    }
}

}  // namespace

JournalReader::JournalReader(int file, std::string name)
    : file_(file),
      name_(std::move(name)),
      planned_(std::make_unique<List>()),
      moves_(std::make_unique<List>()),
      failures_(std::make_unique<List>()),
      appended_(std::make_unique<Appended>()) {
    try {
        read();
    } catch (...) {
        ::close(file_);
        file_ = -1;
        throw;
    }
}

void JournalReader::read() {
    const Reader reader(name_);
    const std::uint64_t size = sizeOf(file_);
    std::uint64_t documentEnd = size;

    const auto scan = [&](std::uint64_t end) {
        FileBuffer buffer(file_, 0, end);
        std::istream in(&buffer);
        DocumentScanner scanner(buffer, reader, {planned_.get(), moves_.get(), failures_.get()});
        const bool parsed = Json::sax_parse(in, &scanner, Json::input_format_t::json, true);
        if (!parsed) return Json(Json::value_t::discarded);
        return std::move(scanner.skeleton.root);
    };
    // A file that can't be read (a folder) reads as empty, as a stream gives it.
    Json document = scan(size);
    if (document.is_discarded()) {
        // A pending journal: the document on its first line, then the records
        // appended while the batch ran (the last one possibly cut short).
        std::optional<std::uint64_t> newline;
        {
            FileBuffer buffer(file_, 0, size);
            std::uint64_t at = 0;
            for (auto c = buffer.sbumpc(); c != std::char_traits<char>::eof();
                 c = buffer.sbumpc(), ++at) {
                if (c == '\n') {
                    newline = at;
                    break;
                }
            }
        }
        if (newline) {
            *planned_ = List{};
            *moves_ = List{};
            *failures_ = List{};
            document = scan(*newline);
            documentEnd = *newline;
            appended_->from = *newline + 1;
            appended_->end = size;
        }
        if (document.is_discarded()) {
            // The intent is written whole and synced before the first move: a
            // journal cut short within its first line stopped before anything moved.
            constexpr std::string_view start = "{\"tavixJournal\":";
            std::string head(start.size(), '\0');
            const ssize_t n = ::pread(file_, head.data(), head.size(), 0);
            if (!newline && n == static_cast<ssize_t>(start.size()) && head == start) {
                reader.fail("the batch stopped before its first move; nothing to put back");
            }
            reader.fail("not valid JSON");
        }
    }
    documentEnd_ = documentEnd;
    if (!document.is_object()) reader.fail("not a journal (no \"moves\" list)");

    earlierForm_ = !document.contains("tavixJournal");
    if (earlierForm_) {
        if (!document.contains("moves") || !document["moves"].is_array()) {
            reader.fail("not a journal (no \"moves\" list)");
        }
    } else {
        if (!document["tavixJournal"].is_number_integer() || document["tavixJournal"] != 2) {
            reader.fail("a journal of an unknown version");
        }
        for (const std::string_view key : listKeys) {
            const auto found = document.find(key);
            if (found == document.end() || !found->is_array()) {
                reader.fail("not a journal (no \"" + std::string(key) + "\" list)");
            }
        }
        if (document.value("created", Json()).is_string()) {
            created_ = document["created"].get<std::string>();
        }
    }
    const Json state = document.value("state", Json(earlierForm_ ? "complete" : ""));
    if (state == "pending") {
        state_ = JournalState::pending;
    } else if (state == "complete") {
        state_ = JournalState::complete;
    } else if (state == "undone") {
        state_ = JournalState::undone;
    } else {
        reader.fail("not a journal (no valid \"state\")");
    }
    if (appended_->from < appended_->end && state_ != JournalState::pending) {
        reader.fail("not valid JSON");
    }

    if (moves_->firstError) throw JournalError(*moves_->firstError);
    if (earlierForm_) {
        // Its moves are its plan; a list of planned moves means nothing there.
        *planned_ = List{};
    } else if (planned_->firstError) {
        throw JournalError(*planned_->firstError);
    }
    if (!document.contains("failures") || !document["failures"].is_array()) *failures_ = List{};
    if (failures_->firstError) throw JournalError(*failures_->firstError);
    if (document.contains("message") && document["message"].is_string()) {
        message_ = document["message"].get<std::string>();
    }
    const List& plan = earlierForm_ ? *moves_ : *planned_;
    if (plan.count > 0 && plan.firstFrom) firstFolder_ = plan.firstFrom->parent_path();

    // Records appended while the batch ran; one cut short by a crash is ignored.
    if (appended_->from < appended_->end) {
        forEachLine(file_, appended_->from, appended_->end, [&](const std::string& line) {
            const Json record = Json::parse(line, nullptr, false);
            if (record.is_discarded() || !record.is_object()) return;
            if (record.contains("from")) {
                reader.move(record, {movePrefix, moves_->count + appended_->moves});
                ++appended_->moves;
            } else if (record.contains("path")) {
                reader.failure(record);
                ++appended_->failures;
            }
        });
    }
}

std::unique_ptr<JournalReader> JournalReader::open(const fs::path& path, const std::string& name) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) throw InputError(name + ": " + std::strerror(errno));
    return std::make_unique<JournalReader>(file, name);
}

JournalReader::~JournalReader() {
    if (file_ >= 0) ::close(file_);
}

std::size_t JournalReader::plannedCount() const {
    return earlierForm_ ? moves_->count : planned_->count;
}

std::size_t JournalReader::movedCount() const {
    return moves_->count + appended_->moves;
}

std::size_t JournalReader::failedCount() const {
    return failures_->count + appended_->failures;
}

std::vector<PlannedMove> JournalReader::planned(std::size_t first, std::size_t count) const {
    const Reader reader(name_);
    std::vector<PlannedMove> moves;
    moves.reserve(count);
    if (earlierForm_) {
        readRecords(
            file_, documentEnd_, *moves_, first, count, reader,
            [&](const Json& record, std::size_t index) {
                auto [from, to] = reader.move(record, {movePrefix, index});
                moves.push_back({std::move(from), std::move(to), std::nullopt, std::nullopt});
            });
    } else {
        readRecords(file_, documentEnd_, *planned_, first, count, reader,
                    [&](const Json& record, std::size_t index) {
                        moves.push_back(reader.planned(record, {plannedPrefix, index}));
                    });
    }
    return moves;
}

void JournalReader::forEachPlanned(const std::function<void(const PlannedMove&)>& visit) const {
    const std::size_t count = plannedCount();
    for (std::size_t first = 0; first < count; first += checkpointEvery) {
        for (const PlannedMove& move : planned(first, std::min(checkpointEvery, count - first))) {
            visit(move);
        }
    }
}

void JournalReader::forEachMove(const std::function<void(const Move&)>& visit) const {
    const Reader reader(name_);
    readRecords(file_, documentEnd_, *moves_, 0, moves_->count, reader,
                [&](const Json& record, std::size_t index) {
                    visit(reader.move(record, {movePrefix, index}));
                });
    if (appended_->moves == 0) return;
    std::size_t index = moves_->count;
    forEachLine(file_, appended_->from, appended_->end, [&](const std::string& line) {
        const Json record = Json::parse(line, nullptr, false);
        if (record.is_discarded() || !record.is_object() || !record.contains("from")) return;
        visit(reader.move(record, {movePrefix, index++}));
    });
}

void JournalReader::forEachFailure(const std::function<void(const Failure&)>& visit) const {
    const Reader reader(name_);
    readRecords(file_, documentEnd_, *failures_, 0, failures_->count, reader,
                [&](const Json& record, std::size_t) { visit(reader.failure(record)); });
    if (appended_->failures == 0) return;
    forEachLine(file_, appended_->from, appended_->end, [&](const std::string& line) {
        const Json record = Json::parse(line, nullptr, false);
        if (record.is_discarded() || !record.is_object() || record.contains("from") ||
            !record.contains("path")) {
            return;
        }
        visit(reader.failure(record));
    });
}

void JournalReader::writeUndone(const Sink& write) const {
    Pieces pieces(write);
    std::string& out = pieces.text();
    const auto moves = [&](const auto& item) {
        forEachMove([&](const Move& move) {
            item(
                [&](std::string& text) { appendMove(text, move.from.native(), move.to.native()); });
        });
    };
    const auto failures = [&](const auto& item) {
        forEachFailure([&](const Failure& failure) {
            item([&](std::string& text) { appendFailure(text, failure); });
        });
    };
    if (!earlierForm_) {
        writeHead(out, created_, JournalState::undone);
        writeList(pieces, "planned", [&](const auto& item) {
            forEachPlanned([&](const PlannedMove& move) {
                item([&](std::string& text) { appendPlanned(text, move); });
            });
        });
        writeList(pieces, "moves", moves);
        writeList(pieces, "failures", failures);
        writeMessage(out, message_);
        out += "}\n";
    } else {
        // The earlier form keeps its own keys, with the state added.
        out += '{';
        writeList(pieces, "moves", moves, true);
        writeList(pieces, "failures", failures);
        writeMessage(out, message_);
        out += ",\"state\":\"undone\"}\n";
    }
    pieces.flush();
}

JournalWriter::JournalWriter(const fs::path& path, const RenameEngine::Batch& batch,
                             std::vector<std::optional<FileSystem::FileId>> identities)
    : batch_(batch),
      identities_(std::move(identities)),
      made_(batch.size(), false),
      created_(utcNow("%Y-%m-%dT%H:%M:%SZ")) {
    std::error_code error;
    file_ = FileSystem::DurableFile::create(path, error);
    if (error) {
        throw JournalError("journal \u201C" + path.string() + "\u201D: " + error.message() +
                           "; nothing was renamed");
    }
    // The intent goes to the file in pieces as it is written; it counts only
    // once it is whole and synced, before the first move.
    const Sink append = [&](std::string_view piece) {
        if (!error) error = file_->append(piece);
    };
    {
        Pieces pieces(append);
        std::string& out = pieces.text();
        writeHead(out, created_, JournalState::pending);
        writeList(pieces, "planned", [&](const auto& item) {
            for (std::size_t move = 0; move < batch_.size(); ++move) {
                item([&](std::string& text) { appendPlannedMove(text, move); });
            }
        });
        out += ",\"moves\":[],\"failures\":[]";
        writeMessage(out, std::nullopt);
        out += "}\n";
        pieces.flush();
    }
    if (!error) error = file_->sync();
    if (error) {
        // An intent that isn't durable can't be relied on: remove it, move nothing.
        ::unlink(path.c_str());
        throw JournalError("journal \u201C" + path.string() + "\u201D: " + error.message() +
                           "; nothing was renamed");
    }
}

void JournalWriter::appendPlannedMove(std::string& out, std::size_t move) {
    batch_.destinationPath(move, to_);
    out += "{\"from\":";
    appendPath(out, batch_.fromPath(move));
    out += ",\"to\":";
    appendPath(out, to_);
    appendIdentity(out, identities_[move]);
    out += ",\"temporary\":";
    if (!batch_.hasTemporary(move)) {
        out += "null";
    } else {
        batch_.temporaryPath(move, to_);
        appendPath(out, to_);
    }
    out += '}';
}

std::unique_ptr<JournalWriter> JournalWriter::inFolder(
    const fs::path& folder, const RenameEngine::Batch& batch,
    std::vector<std::optional<FileSystem::FileId>> identities) {
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
        return std::make_unique<JournalWriter>(path, batch, std::move(identities));
    }
}

void JournalWriter::record(std::size_t move, const Failure* failure) {
    if (failure) {
        appendFailure(records_, *failure);
    } else {
        made_[move] = true;
        batch_.destinationPath(move, to_);
        appendMove(records_, batch_.fromPath(move), to_);
    }
    records_ += '\n';
    if (records_.size() >= recordsHeld) writeRecords();
}

void JournalWriter::writeRecords() {
    // Whole lines only, so a crash mid-journal keeps whole records.
    (void)file_->append(records_);
    records_.clear();
}

JournalWriter::~JournalWriter() {
    if (!records_.empty()) writeRecords();
}

std::error_code JournalWriter::complete(const std::vector<Failure>& failures,
                                        const std::string& message) {
    // The pending journal lists what was done so far, should the finished one
    // fail to take its place.
    writeRecords();
    return file_->replace([&](const Sink& write) {
        Pieces pieces(write);
        std::string& out = pieces.text();
        writeHead(out, created_, JournalState::complete);
        writeList(pieces, "planned", [&](const auto& item) {
            for (std::size_t move = 0; move < batch_.size(); ++move) {
                item([&](std::string& text) { appendPlannedMove(text, move); });
            }
        });
        writeList(pieces, "moves", [&](const auto& item) {
            for (std::size_t move = 0; move < batch_.size(); ++move) {
                if (!made_[move]) continue;
                item([&](std::string& text) {
                    batch_.destinationPath(move, to_);
                    appendMove(text, batch_.fromPath(move), to_);
                });
            }
        });
        writeList(pieces, "failures", [&](const auto& item) {
            for (const Failure& failure : failures) {
                item([&](std::string& text) { appendFailure(text, failure); });
            }
        });
        writeMessage(out, message);
        out += "}\n";
        pieces.flush();
    });
}

std::error_code markUndone(const fs::path& path, const JournalReader& journal) {
    std::error_code error;
    const auto file = FileSystem::DurableFile::open(path, error);
    if (error) return error;
    return file->replace([&](const Sink& write) { journal.writeUndone(write); });
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
        const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (file < 0) {
            skipped(path, "could not be read");
            continue;
        }
        try {
            const JournalReader journal(file, path.string());
            entries.push_back({path, journal.created(), journal.state(), journal.plannedCount(),
                               journal.movedCount(), journal.failedCount(), journal.message(),
                               journal.firstFolder()});
        } catch (const JournalError& failure) {
            skipped(path, failure.what());
        } catch (const InputError&) {
            skipped(path, "could not be read");
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
