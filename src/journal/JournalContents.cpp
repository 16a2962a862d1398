#include "journal/JournalContents.hpp"

#include "journal/Encoding.hpp"
#include "journal/Record.hpp"
#include "text/PathNames.hpp"

namespace tavix::journal {
namespace {

using Fate = JournalContents::Fate;

constexpr std::string_view linesHeader = "{\"tavixJournal\":3";

std::optional<std::string> singlePathFault(const std::string& path) {
    if (path.empty() || path.front() != '/') return "a path that isn't absolute";
    if (path.back() == '/') return "a path that names no file";
    if (path.find('\0') != std::string::npos) return "a path that holds a NUL byte";
    for (std::size_t start = 1; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view part(path.data() + start, end - start);
        if (part == "." || part == "..") return "a path with \".\" or \"..\" in it";
        start = end + 1;
    }
    return std::nullopt;
}

// One line of a journal of this version, applied to what was read so far;
// the reason when the line can't be taken.
class LinesForm {
public:
    LinesForm(JournalContents& contents, const std::string& name) : c_(contents), name_(name) {}

    void header(const Record& record) {
        const auto version = record.number("tavixJournal");
        if (!version) fail(1, "not a journal");
        if (*version != 3) fail(1, "a journal of an unknown version");
        c_.created = record.text("created").value_or("");
        c_.by = record.text("by").value_or("");
        declared_ = record.number("planned");
    }

    std::optional<std::string> apply(const Record& record, std::size_t line) {
        if (record.has("from")) return planned(record, line);
        if (const auto state = record.text("state")) {
            if (*state == "complete") {
                c_.state = JournalState::complete;
                c_.message = record.text("message");
            } else if (*state == "undone") {
                c_.state = JournalState::undone;
            } else {
                return "an unknown state";
            }
            return std::nullopt;
        }
        if (const auto intent = record.text("intent")) {
            if (*intent != "complete" || c_.intentComplete) return "an intent line out of place";
            c_.intentComplete = true;
            if (declared_ && *declared_ != c_.planned.size()) {
                return "the header plans " + std::to_string(*declared_) + " moves, " +
                       std::to_string(c_.planned.size()) + " are listed";
            }
            return std::nullopt;
        }
        if (record.has("moved")) return fate(record.number("moved"), Fate::moved);
        if (record.has("failed")) return fate(record.number("failed"), Fate::failed);
        return "not a journal line";
    }

    // A line that couldn't be read: among the planned moves it holds a place,
    // so that the moves after it keep their numbers.
    void unreadable() {
        if (c_.intentComplete) return;
        c_.planned.emplace_back();
        c_.fates.push_back(Fate::unreadable);
    }

    [[noreturn]] void fail(std::size_t line, const std::string& why) const {
        throw JournalError(name_ + ": line " + std::to_string(line) + ": " + why);
    }

private:
    std::optional<std::string> planned(const Record& record, std::size_t line) {
        if (c_.intentComplete) return "a planned move after the intent";
        PlannedMove move;
        const auto from = record.path("from");
        const auto to = record.path("to");
        if (!from || !to) return "a planned move needs \"from\" and \"to\" paths";
        move.from = *from;
        move.to = *to;
        if (!record.isNull("temporary") && record.has("temporary")) {
            const auto temporary = record.path("temporary");
            if (!temporary) return "a temporary name that isn't a path";
            move.temporary = *temporary;
        }
        const auto device = record.number("device");
        const auto inode = record.number("inode");
        if (device && inode) {
            move.identity = FileSystem::FileId{*device, *inode};
        } else if (!(record.isNull("device") && record.isNull("inode"))) {
            return "a planned move without a valid device and inode";
        }
        if (const auto birth = record.text("birth")) {
            move.birth = parseTime(*birth);
            if (!move.birth) return "a birth time that can't be read";
        } else if (record.has("birth") && !record.isNull("birth")) {
            return "a birth time that can't be read";
        }
        // A journal that would move files out of their folders, or anywhere by
        // way of "..", is refused whole: it isn't one this program wrote.
        if (const auto fault = pathFault(move)) fail(line, *fault);
        c_.planned.push_back(std::move(move));
        c_.fates.push_back(Fate::unknown);
        return std::nullopt;
    }

    std::optional<std::string> fate(std::optional<std::uint64_t> number, Fate fate) {
        if (!number || *number == 0 || *number > c_.planned.size()) {
            return "a move that isn't planned";
        }
        Fate& slot = c_.fates[*number - 1];
        if (slot != Fate::unreadable) slot = fate;
        return std::nullopt;
    }

    JournalContents& c_;
    const std::string& name_;
    std::optional<std::uint64_t> declared_;
};

// Whether the first line of `start` is the header of a journal of this version
// with its keys in another order (as another tool may write it back).
bool headerFirst(std::string_view start) {
    const auto newline = start.find('\n');
    if (newline == std::string_view::npos) return false;
    RecordEvents events;
    return parseRecord(start.substr(0, newline), events) &&
           events.record.number("tavixJournal") == 3u;
}

}  // namespace

std::optional<std::string> pathFault(const PlannedMove& move) {
    for (const Location* path : {&move.from, &move.to}) {
        if (auto fault = singlePathFault(path->native())) return fault;
    }
    if (move.temporary) {
        if (auto fault = singlePathFault(move.temporary->native())) return fault;
    }
    const Location folder = PathNames::folder(move.from);
    if (PathNames::folder(move.to) != folder ||
        (move.temporary && PathNames::folder(*move.temporary) != folder)) {
        return "a move that leaves its folder";
    }
    return std::nullopt;
}

JournalContents readJournal(const ReadBytes& read, const std::string& name) {
    // The first bytes tell the forms apart: this version starts with its header.
    std::string start;
    while (start.size() < linesHeader.size()) {
        const std::size_t had = start.size();
        start.resize(had + 64 * 1024);
        std::size_t got = 0;
        const auto error = read(start.data() + had, start.size() - had, got);
        start.resize(had + got);
        if (error) throw JournalError(name + ": " + error.message());
        if (got == 0) break;
    }
    if (!start.starts_with(linesHeader) && !headerFirst(start)) {
        return readEarlierForm(read, std::move(start), name);
    }

    JournalContents contents;
    LinesForm form(contents, name);
    RecordEvents events;
    LineReader lines(read, std::move(start));
    LineReader::Line line;
    while (lines.next(line)) {
        std::optional<std::string> why;
        if (line.tooLong) {
            why = "longer than any journal line";
        } else if (line.text.empty()) {
            why = "an empty line";
        } else if (!parseRecord(line.text, events)) {
            why = events.error;
        } else if (line.number == 1) {
            form.header(events.record);
        } else {
            why = form.apply(events.record, line.number);
        }
        if (!why) continue;
        if (line.number == 1) form.fail(1, *why);
        // A last line without its newline was cut short by a crash: it never counted.
        if (!line.ended) break;
        form.unreadable();
        contents.damage.push_back("line " + std::to_string(line.number) + ": " + *why);
    }
    if (lines.error()) throw JournalError(name + ": " + lines.error().message());
    return contents;
}

}  // namespace tavix::journal
