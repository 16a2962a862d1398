#include "rules/RuleCoding.hpp"

#include <array>
#include <cmath>
#include <limits>

#include "rules/StepJson.hpp"

namespace tavix {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::array<std::string_view, 15> kindNames{
    "findReplace",      "addText",         "removeText",  "changeCase", "sequence", "dateStamp",
    "removeCharacters", "collapseSpaces",  "crop",        "insertAt",   "truncate", "romanNumeral",
    "letterSequence",   "imageDimensions", "parentFolder"};
static_assert(kindNames.size() == std::variant_size_v<RuleKind>);

[[noreturn]] void fail(const std::string& message) {
    throw RuleDecodingError(message);
}

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Reads the parameters of one kind out of its nested object, by key, with the
// exact JSON type each one needs.
class Fields {
public:
    Fields(const Json& object, std::string_view kind) : object_(object), kind_(kind) {}

    const Json& at(std::string_view key) const {
        const auto it = object_.find(key);
        if (it == object_.end())
            fail("Key " + inQuotes(key) + " not found in " + inQuotes(kind_) + ".");
        return *it;
    }

    std::string path(std::string_view key) const {
        return std::string(kind_) + "." + std::string(key);
    }

    std::string text(std::string_view key) const {
        const Json& value = at(key);
        if (!value.is_string()) wrongType(key, "a string", value);
        return value.get<std::string>();
    }

    bool flag(std::string_view key) const {
        const Json& value = at(key);
        if (!value.is_boolean()) wrongType(key, "a boolean", value);
        return value.get<bool>();
    }

    std::int64_t integer(std::string_view key) const {
        const Json& value = at(key);
        if (value.is_number_integer() && !value.is_number_unsigned()) {
            return value.get<std::int64_t>();
        }
        if (value.is_number_unsigned()) {
            const auto u = value.get<std::uint64_t>();
            if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                fail(path(key) + ": " + value.dump() + " is out of range for a 64-bit integer.");
            }
            return static_cast<std::int64_t>(u);
        }
        if (value.is_number_float()) {
            // A float token is accepted only when it names an integer exactly (1.0, 1e3).
            const double d = value.get<double>();
            if (!std::isfinite(d) || d != std::floor(d)) {
                fail(path(key) + ": " + value.dump() + " is not a whole number.");
            }
            if (d < -9223372036854775808.0 || d >= 9223372036854775808.0) {
                fail(path(key) + ": " + value.dump() + " is out of range for a 64-bit integer.");
            }
            return static_cast<std::int64_t>(d);
        }
        wrongType(key, "an integer", value);
    }

    template <class T>
    T option(std::string_view key) const {
        const Json& value = at(key);
        if (!value.is_string()) wrongType(key, "a string", value);
        const auto text = value.get<std::string>();
        if (auto found = fromRawValue<T>(text)) return *found;
        std::string titles;
        for (T candidate : allCases<T>()) {
            if (!titles.empty()) titles += ", ";
            titles += inQuotes(rawValue(candidate));
        }
        fail(path(key) + ": " + inQuotes(text) + " is not one of " + titles + ".");
    }

private:
    [[noreturn]] void wrongType(std::string_view key, std::string_view expected,
                                const Json& value) const {
        fail(path(key) + ": expected " + std::string(expected) + ", found " + value.type_name() +
             ".");
    }

    const Json& object_;
    std::string_view kind_;
};

RuleKind decodeKind(std::size_t kindIndex, const Fields& f) {
    switch (kindIndex) {
        case 0:
            return FindReplace{f.text("find"), f.text("replace"), f.flag("regex"),
                               f.flag("caseSensitive"), f.option<Occurrences>("occurrences")};
        case 1:
            return AddText{f.text("text"), f.option<Position>("position")};
        case 2:
            return RemoveText{f.text("text"), f.flag("caseSensitive")};
        case 3:
            return ChangeCase{f.option<CaseStyle>("_0")};
        case 4:
            return Sequence{f.integer("start"), f.integer("step"), f.integer("padding"),
                            f.option<Position>("position"), f.text("separator")};
        case 5:
            return DateStamp{f.text("format"), f.option<Position>("position"), f.text("separator")};
        case 6:
            return RemoveCharacters{f.option<CharacterClass>("kind"), f.text("custom")};
        case 7:
            return CollapseSpaces{};
        case 8:
            return Crop{f.option<CropMode>("mode"), f.integer("count")};
        case 9:
            return InsertAt{f.text("text"), f.integer("offset")};
        case 10:
            return Truncate{f.integer("limit"), f.option<Position>("from")};
        case 11:
            return RomanNumeral{f.integer("start"), f.option<Position>("position"),
                                f.text("separator")};
        case 12:
            return LetterSequence{f.flag("uppercase"), f.option<Position>("position"),
                                  f.text("separator")};
        case 13:
            return ImageDimensions{f.option<Position>("position"), f.text("separator")};
        default:
            return ParentFolder{f.option<Position>("position"), f.text("separator")};
    }
}

Json parameters(const RuleKind& kind) {
    return std::visit(
        [](const auto& r) -> Json {
            using T = std::decay_t<decltype(r)>;
            Json j = Json::object();
            if constexpr (std::is_same_v<T, FindReplace>) {
                j["find"] = r.find;
                j["replace"] = r.replace;
                j["regex"] = r.regex;
                j["caseSensitive"] = r.caseSensitive;
                j["occurrences"] = rawValue(r.occurrences);
            } else if constexpr (std::is_same_v<T, AddText>) {
                j["text"] = r.text;
                j["position"] = rawValue(r.position);
            } else if constexpr (std::is_same_v<T, RemoveText>) {
                j["text"] = r.text;
                j["caseSensitive"] = r.caseSensitive;
            } else if constexpr (std::is_same_v<T, ChangeCase>) {
                j["_0"] = rawValue(r.style);
            } else if constexpr (std::is_same_v<T, Sequence>) {
                j["start"] = r.start;
                j["step"] = r.step;
                j["padding"] = r.padding;
                j["position"] = rawValue(r.position);
                j["separator"] = r.separator;
            } else if constexpr (std::is_same_v<T, DateStamp>) {
                j["format"] = r.format;
                j["position"] = rawValue(r.position);
                j["separator"] = r.separator;
            } else if constexpr (std::is_same_v<T, RemoveCharacters>) {
                j["kind"] = rawValue(r.kind);
                j["custom"] = r.custom;
            } else if constexpr (std::is_same_v<T, CollapseSpaces>) {
            } else if constexpr (std::is_same_v<T, Crop>) {
                j["mode"] = rawValue(r.mode);
                j["count"] = r.count;
            } else if constexpr (std::is_same_v<T, InsertAt>) {
                j["text"] = r.text;
                j["offset"] = r.offset;
            } else if constexpr (std::is_same_v<T, Truncate>) {
                j["limit"] = r.limit;
                j["from"] = rawValue(r.from);
            } else if constexpr (std::is_same_v<T, RomanNumeral>) {
                j["start"] = r.start;
                j["position"] = rawValue(r.position);
                j["separator"] = r.separator;
            } else if constexpr (std::is_same_v<T, LetterSequence>) {
                j["uppercase"] = r.uppercase;
                j["position"] = rawValue(r.position);
                j["separator"] = r.separator;
            } else {
                j["position"] = rawValue(r.position);
                j["separator"] = r.separator;
            }
            return j;
        },
        kind);
}

}  // namespace

Json encodeRule(const RenameRule& rule) {
    Json j = Json::object();
    j[std::string(kindNames[rule.kind.index()])] = parameters(rule.kind);
    return j;
}

RenameRule decodeRule(const Json& json) {
    if (!json.is_object()) {
        fail(std::string("Expected an object for a rename step, found ") + json.type_name() + ".");
    }
    std::size_t found = kindNames.size();
    std::size_t count = 0;
    for (std::size_t i = 0; i < kindNames.size(); ++i) {
        if (json.contains(kindNames[i])) {
            found = i;
            ++count;
        }
    }
    if (count != 1) fail("Invalid number of keys found, expected one.");
    const Json& nested = json.at(kindNames[found]);
    if (!nested.is_object()) {
        fail(std::string(kindNames[found]) + ": expected an object, found " + nested.type_name() +
             ".");
    }
    return RenameRule{decodeKind(found, Fields(nested, kindNames[found]))};
}

RenameRule decodeRule(std::string_view text) {
    return decodeRule(parseStepJson(text));
}

}  // namespace tavix
