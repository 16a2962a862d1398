#include <istream>
#include <streambuf>
#include <unordered_map>

#include "journal/JournalContents.hpp"
#include "journal/Record.hpp"

// Journals of the earlier forms: one JSON document,
//   version 2: {"tavixJournal":2,"created":…,"state":…,"planned":[{"from","to",
//              "device","inode","temporary"}…],"moves":[{"from","to"}…],
//              "failures":[{"path","message"}…],"message":…}
//   version 1: {"moves":[{"from","to"}…]}, without identities.
// Read through parsing events, a record of a list at a time, so memory holds the
// moves and never the document.
namespace tavix::journal {
namespace {

using Json = nlohmann::json;
using Fate = JournalContents::Fate;

// The bytes already taken, then the rest of the source, as a stream. Runs of
// whitespace between values are passed on as one space: the parser keeps what
// it skips until the next token, so 200 MB of blanks would otherwise be held.
class SourceBuffer : public std::streambuf {
public:
    SourceBuffer(const ReadBytes& read, std::string start)
        : read_(read), buffer_(std::move(start)) {
        squeeze(buffer_.size());
    }
    std::error_code error;

protected:
    int_type underflow() override {
        while (gptr() == egptr()) {
            buffer_.resize(64 * 1024);
            std::size_t got = 0;
            error = read_(buffer_.data(), buffer_.size(), got);
            if (error || got == 0) return traits_type::eof();
            squeeze(got);
        }
        return traits_type::to_int_type(*gptr());
    }

private:
    void squeeze(std::size_t size) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const char c = buffer_[i];
            if (inString_) {
                inString_ = escaped_ || c != '"';
                escaped_ = !escaped_ && c == '\\';
            } else if (c == ' ' || c == '\n' || c == '\t' || c == '\r') {
                if (blank_) continue;
                blank_ = true;
                buffer_[kept++] = ' ';
                continue;
            } else {
                inString_ = c == '"';
            }
            blank_ = false;
            buffer_[kept++] = c;
        }
        setg(buffer_.data(), buffer_.data(), buffer_.data() + kept);
    }

    const ReadBytes& read_;
    std::string buffer_;
    bool inString_ = false;
    bool escaped_ = false;
    bool blank_ = false;
};

// Parsing events of the whole document: the root's plain values gather in
// `header`; each object of a root list is read by `item` and handed to `onItem`
// with the list's name.
class DocumentEvents : public nlohmann::json_sax<Json> {
public:
    Record header;
    std::string error;
    std::function<void(const std::string&, const Record&)> onItem;

    bool null() override {
        if (inItem()) return item_.null();
        plain();
        return true;
    }
    bool boolean(bool value) override {
        if (inItem()) return item_.boolean(value);
        Value& v = plain();
        v.kind = Value::Kind::boolean;
        v.number = value;
        return true;
    }
    bool number_integer(number_integer_t value) override {
        if (inItem()) return item_.number_integer(value);
        Value& v = plain();
        v.kind = value < 0 ? Value::Kind::negative : Value::Kind::number;
        v.number = static_cast<std::uint64_t>(value);
        return true;
    }
    bool number_unsigned(number_unsigned_t value) override {
        if (inItem()) return item_.number_unsigned(value);
        Value& v = plain();
        v.kind = Value::Kind::number;
        v.number = value;
        return true;
    }
    bool number_float(number_float_t value, const string_t& text) override {
        if (inItem()) return item_.number_float(value, text);
        plain().kind = Value::Kind::fraction;
        return true;
    }
    bool string(string_t& value) override {
        if (inItem()) return item_.string(value);
        Value& v = plain();
        v.kind = Value::Kind::text;
        v.text = std::move(value);
        return true;
    }
    bool binary(binary_t&) override { return stop("binary values aren't taken"); }
    bool start_object(std::size_t elements) override {
        if (itemDepth_ > 0 || (inList_ && depth_ == 1)) {
            if (itemDepth_++ == 0) item_.reset();
            return item_.start_object(elements) || stop(item_.error);
        }
        if (depth_ > 0) return stop("a value nested where none belongs");
        ++depth_;
        return true;
    }
    bool key(string_t& value) override {
        if (itemDepth_ > 0) return item_.key(value);
        key_ = value;
        return true;
    }
    bool end_object() override {
        if (itemDepth_ > 0) {
            if (!item_.end_object()) return stop(item_.error);
            if (--itemDepth_ == 0 && onItem) onItem(key_, item_.record);
            return true;
        }
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override {
        if (depth_ == 0) return stop("not a journal (no \"moves\" list)");
        if (depth_ != 1 || inList_ || itemDepth_ > 0)
            return stop("a list nested where none belongs");
        inList_ = true;
        return true;
    }
    bool end_array() override {
        inList_ = false;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const Json::exception& failure) override {
        std::string text = failure.what();
        if (const auto start = text.find("] "); start != std::string::npos)
            text.erase(0, start + 2);
        return stop("not valid JSON (" + text + ")");
    }

private:
    bool inItem() const { return itemDepth_ > 0; }
    Value& plain() { return header.add(depth_ == 1 && !inList_ ? key_ : "\x01"); }
    bool stop(std::string why) {
        if (error.empty()) error = std::move(why);
        return false;
    }

    RecordEvents item_;
    int depth_ = 0;
    int itemDepth_ = 0;
    bool inList_ = false;
    std::string key_;
};

}  // namespace

JournalContents readEarlierForm(const ReadBytes& read, std::string start, const std::string& name) {
    JournalContents c;
    std::unordered_map<std::string, std::size_t> byFrom;  // planned move by its source
    std::vector<std::pair<std::string, Fate>> outcomes;   // moves made, failures
    std::vector<PlannedMove> earliest;                    // "moves" as a plan of its own
    std::string fault;
    DocumentEvents events;
    events.onItem = [&](const std::string& list, const Record& item) {
        if (!fault.empty()) return;
        const auto from = item.path(list == "failures" ? "path" : "from");
        if (list == "failures") {
            if (from) outcomes.emplace_back(*from, Fate::failed);
            return;
        }
        const auto to = item.path("to");
        if (!from || !to) {
            fault = "a move needs \"from\" and \"to\" paths";
            return;
        }
        PlannedMove move{*from, *to, std::nullopt, std::nullopt, std::nullopt};
        if (list == "planned") {
            if (const auto temporary = item.path("temporary")) move.temporary = *temporary;
            const auto device = item.number("device");
            const auto inode = item.number("inode");
            const auto none = [&](const char* key) { return !item.has(key) || item.isNull(key); };
            if (device && inode) {
                move.identity = FileSystem::FileId{*device, *inode};
            } else if (!none("device") || !none("inode")) {
                // Damage, never a move recorded without identity whose file goes unchecked.
                fault = "a planned move without a valid device and inode";
                return;
            }
        }
        if (auto why = pathFault(move)) {
            fault = std::move(*why);
            return;
        }
        if (list == "planned") {
            byFrom.emplace(move.from.native(), c.planned.size());
            c.planned.push_back(std::move(move));
        } else if (list == "moves") {
            outcomes.emplace_back(move.from.native(), Fate::moved);
            earliest.push_back(std::move(move));
        }
    };
    SourceBuffer buffer(read, std::move(start));
    std::istream in(&buffer);
    // Not strict: a pending journal of version 2 has lines appended after its
    // document, which undo doesn't need (it goes by identity).
    const bool parsed = Json::sax_parse(in, &events, nlohmann::json::input_format_t::json, false);
    // Lines after the document: those a pending batch appended, and the state
    // lines an undo appends (a journal is never rewritten).
    std::optional<std::string> laterState;
    if (parsed) {
        const ReadBytes rest = [&](char* bytes, std::size_t size, std::size_t& got) {
            in.read(bytes, static_cast<std::streamsize>(size));
            got = static_cast<std::size_t>(in.gcount());
            return std::error_code();
        };
        in.clear();
        LineReader lines(rest);
        LineReader::Line line;
        RecordEvents record;
        while (lines.next(line)) {
            if (!line.tooLong && parseRecord(line.text, record)) {
                if (auto state = record.record.text("state")) laterState = std::move(state);
            }
        }
    }
    if (buffer.error) throw JournalError(name + ": " + buffer.error.message());
    if (!fault.empty()) throw JournalError(name + ": " + fault);

    const auto version = events.header.number("tavixJournal");
    c.version = version ? static_cast<int>(*version) : 1;
    if (!parsed && c.planned.empty() && earliest.empty()) {
        throw JournalError(name + ": " + (events.error.empty() ? "not a journal" : events.error));
    }
    if (parsed && version && *version != 2)
        throw JournalError(name + ": a journal of an unknown version");
    if (parsed && !version && earliest.empty() && !events.header.has("moves")) {
        // Without a version, the earliest form is known by its list of moves.
        throw JournalError(name + ": not a journal (no \"moves\" list)");
    }
    if (c.version == 1) c.planned = std::move(earliest);
    c.fates.assign(c.planned.size(), c.version == 1 ? Fate::moved : Fate::unknown);
    if (c.version == 2) {
        for (const auto& [from, fate] : outcomes) {
            if (const auto found = byFrom.find(from); found != byFrom.end())
                c.fates[found->second] = fate;
        }
    }
    c.created = events.header.text("created").value_or("");
    c.message = events.header.text("message");
    const auto state = laterState
                           ? *laterState
                           : events.header.text("state").value_or(c.version == 1 ? "complete" : "");
    c.state = state == "undone"     ? JournalState::undone
              : state == "complete" ? JournalState::complete
                                    : JournalState::pending;
    // A document of the earlier form held its whole plan before the first move.
    c.intentComplete = parsed;
    if (!parsed) c.damage.push_back(events.error.empty() ? "not valid JSON" : events.error);
    return c;
}

}  // namespace tavix::journal
