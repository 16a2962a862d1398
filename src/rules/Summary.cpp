#include <string>

#include "rules/RenameRule.hpp"
#include "rules/Sequences.hpp"
#include "text/Wording.hpp"

namespace tavix {
namespace {

using Wording::counted;
using Wording::quoted;

// The option titles that summaries lower-case are all ASCII.
std::string lowered(std::string_view title) {
    std::string out(title);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string_view where(Position position) {
    return position == Position::prefix ? "before" : "after";
}

std::string matchingCase(bool caseSensitive) {
    return caseSensitive ? ", matching case" : "";
}

struct Describe {
    std::string operator()(const FindReplace& r) const {
        if (r.find.empty()) return "Find & replace \u2014 nothing to find yet.";
        std::string out = "Replace " + quoted(r.find) + " with ";
        out += r.replace.empty() ? std::string("nothing") : quoted(r.replace);
        if (r.regex) out += " (regex)";
        out += matchingCase(r.caseSensitive);
        if (r.occurrences != Occurrences::all) out += ", " + lowered(rawValue(r.occurrences));
        return out + ".";
    }
    std::string operator()(const AddText& r) const {
        if (r.text.empty()) return "Add text \u2014 nothing entered yet.";
        return "Add " + quoted(r.text) + " " + std::string(where(r.position)) + " the name.";
    }
    std::string operator()(const RemoveText& r) const {
        if (r.text.empty()) return "Remove text \u2014 nothing entered yet.";
        return "Remove " + quoted(r.text) + matchingCase(r.caseSensitive) + ".";
    }
    std::string operator()(const ChangeCase& r) const {
        return "Convert the name to " + std::string(rawValue(r.style)) + ".";
    }
    std::string operator()(const Sequence& r) const {
        std::string out = "Number from " + std::to_string(r.start);
        if (r.step != 1) out += " in steps of " + std::to_string(r.step);
        out += " with at least ";
        out += counted(r.padding, "digit");
        return out + ", " + std::string(where(r.position)) + " the name.";
    }
    std::string operator()(const DateStamp& r) const {
        return "Add the file's modified date as " + quoted(r.format) + " " +
               std::string(where(r.position)) + " the name, separated by " + quoted(r.separator) +
               ".";
    }
    std::string operator()(const RemoveCharacters& r) const {
        if (r.kind != CharacterClass::custom)
            return "Remove all " + lowered(rawValue(r.kind)) + ".";
        if (r.custom.empty()) return "Remove characters \u2014 none chosen yet.";
        return "Remove the characters " + quoted(r.custom) + ".";
    }
    std::string operator()(const CollapseSpaces&) const {
        return "Collapse runs of spaces into one and trim the ends.";
    }
    std::string operator()(const Crop& r) const {
        return std::string(rawValue(r.mode)) + " " + counted(r.count, "character") + ".";
    }
    std::string operator()(const InsertAt& r) const {
        if (r.text.empty()) return "Insert text \u2014 nothing entered yet.";
        return "Insert " + quoted(r.text) + " at position " + std::to_string(r.offset) + ".";
    }
    std::string operator()(const Truncate& r) const {
        return "Shorten to " + std::to_string(r.limit) + " characters, keeping the " +
               (r.from == Position::prefix ? "end" : "start") + ".";
    }
    std::string operator()(const RomanNumeral& r) const {
        return "Number in roman numerals from " + Sequences::roman(r.start) + ", " +
               std::string(where(r.position)) + " the name.";
    }
    std::string operator()(const LetterSequence& r) const {
        return std::string("Letter the files ") + (r.uppercase ? "A, B, C" : "a, b, c") + ", " +
               std::string(where(r.position)) + " the name.";
    }
    std::string operator()(const ImageDimensions& r) const {
        return "Add the image's pixel size " + std::string(where(r.position)) + " the name.";
    }
    std::string operator()(const ParentFolder& r) const {
        return "Add the enclosing folder's name " + std::string(where(r.position)) + " the name.";
    }
};

}  // namespace

std::string RenameRule::summary() const {
    return std::visit(Describe{}, kind);
}

}  // namespace tavix
