#include "rules/RuleCoding.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>

#include "rules/RuleKinds.hpp"

#include "rules/StepJson.hpp"

namespace tavix {
namespace {

using Json = nlohmann::ordered_json;

constexpr auto kindNames = [] {
    std::array<std::string_view, std::variant_size_v<RuleKind>> names{};
    std::size_t i = 0;
    forEachKind([&](auto kind) { names[i++] = KindDescription<typename decltype(kind)::type>::key; });
    return names;
}();

[[noreturn]] void fail(const std::string& message) {
    throw RuleDecodingError(message);
}

// Built by appending: `"literal" + std::string&&` inserts at the front, which GCC
// 12 at -O3 takes for an overlapping copy (a false -Wrestrict).
std::string inQuotes(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

// Reads the parameters of one kind out of its nested object, by key, with the
// exact JSON type each one needs.
class Fields {
public:
    Fields(const Json& object, std::string_view kind) : object_(object), kind_(kind) {}

    const Json& at(std::string_view key) const {
        const auto it = object_.find(key);
        if (it == object_.end())
            fail(std::string("Key ").append(inQuotes(key)) + " not found in " + inQuotes(kind_) +
                 ".");
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

std::string read(const Fields& f, std::string_view key, std::type_identity<std::string>) {
    return f.text(key);
}
bool read(const Fields& f, std::string_view key, std::type_identity<bool>) {
    return f.flag(key);
}
std::int64_t read(const Fields& f, std::string_view key, std::type_identity<std::int64_t>) {
    return f.integer(key);
}
template <class Option>
Option read(const Fields& f, std::string_view key, std::type_identity<Option>) {
    return f.template option<Option>(key);
}

// The kind at `kindIndex`, every parameter read in declared order.
RuleKind decodeKind(std::size_t kindIndex, const Fields& f) {
    std::optional<RuleKind> decoded;
    std::size_t i = 0;
    forEachKind([&](auto kind) {
        using Kind = typename decltype(kind)::type;
        if (i++ != kindIndex) return;
        Kind rule;
        forEachParameter(rule, [&f](std::string_view key, auto& value) {
            value = read(f, key, std::type_identity<std::decay_t<decltype(value)>>{});
        });
        decoded = std::move(rule);
    });
    return std::move(*decoded);
}

Json encodeValue(const std::string& value) {
    return value;
}
Json encodeValue(bool value) {
    return value;
}
Json encodeValue(std::int64_t value) {
    return value;
}
template <class Option>
Json encodeValue(Option value) {
    return rawValue(value);
}

Json parameters(const RuleKind& kind) {
    Json j = Json::object();
    std::visit(
        [&j](const auto& r) {
            forEachParameter(r, [&j](std::string_view key, const auto& value) {
                j[std::string(key)] = encodeValue(value);
            });
        },
        kind);
    return j;
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
