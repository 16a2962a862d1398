#include "rules/Catalogue.hpp"

#include <array>
#include <optional>

#include "rules/RuleKinds.hpp"

namespace tavix {
namespace {

struct Action {
    std::string_view title;
    RuleCategory category{};
    std::string_view example;
    RenameRule (*blank)() = nullptr;
};

// Each kind's action at its place in the picker, from the kinds' descriptions.
// An action out of range or claimed by two kinds stops the evaluation, so it
// fails to compile; and with as many slots as kinds, none is left empty.
constexpr std::array<Action, kindCount> byAction = [] {
    std::array<Action, kindCount> table{};
    forEachKind([&](auto kind) {
        using Kind = typename decltype(kind)::type;
        using Description = KindDescription<Kind>;
        Action& slot = table[static_cast<std::size_t>(Description::action)];
        if (slot.blank != nullptr) throw "two kinds claim one action";
        slot = {Description::title, Description::category, Description::example,
                [] { return RenameRule{Kind{}}; }};
    });
    return table;
}();

constexpr auto allActions = [] {
    std::array<RuleAction, kindCount> all{};
    for (std::size_t i = 0; i < kindCount; ++i) all[i] = static_cast<RuleAction>(i);
    return all;
}();

struct Category {
    RuleCategory category;
    std::string_view title;
};

constexpr std::array<Category, 11> categories{{
    {RuleCategory::text, "Text"},
    {RuleCategory::characters, "Characters"},
    {RuleCategory::positions, "Character Positions & Ranges"},
    {RuleCategory::conversions, "Conversions"},
    {RuleCategory::truncation, "Truncation"},
    {RuleCategory::dateTime, "Date & Time"},
    {RuleCategory::numbering, "Sequence Numbers"},
    {RuleCategory::roman, "Roman Numerals"},
    {RuleCategory::alphabetical, "Alphabetical Sequences"},
    {RuleCategory::imageSize, "Image Dimensions"},
    {RuleCategory::parentName, "Parent Folder Name"},
}};

constexpr auto allCategories = [] {
    std::array<RuleCategory, categories.size()> all{};
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = categories[i].category;
    return all;
}();

static_assert(
    [] {
        for (std::size_t i = 0; i < categories.size(); ++i) {
            if (categories[i].category != static_cast<RuleCategory>(i)) return false;
        }
        return true;
    }(),
    "the categories' titles are listed in declared order");

// The actions grouped by category, each group in picking order.
struct Grouped {
    std::array<RuleAction, kindCount> actions{};
    std::array<std::size_t, categories.size() + 1> starts{};
};

constexpr Grouped grouped = [] {
    Grouped g;
    std::size_t n = 0;
    for (std::size_t c = 0; c < categories.size(); ++c) {
        g.starts[c] = n;
        for (std::size_t a = 0; a < kindCount; ++a) {
            if (byAction[a].category == categories[c].category) {
                g.actions[n++] = static_cast<RuleAction>(a);
            }
        }
    }
    g.starts[categories.size()] = n;
    return g;
}();

static_assert(grouped.starts.back() == kindCount, "every kind's category has a title");
static_assert(
    [] {
        for (std::size_t c = 0; c < categories.size(); ++c) {
            if (grouped.starts[c] == grouped.starts[c + 1]) return false;
        }
        return true;
    }(),
    "every category lists an action");

// An enumerator that no kind claims is a programming error: reported, not read
// out of bounds.
const Action& entry(RuleAction action) {
    return byAction.at(static_cast<std::size_t>(action));
}

}  // namespace

std::string_view rawValue(RuleAction action) {
    return entry(action).title;
}
std::string_view rawValue(RuleCategory category) {
    return categories.at(static_cast<std::size_t>(category)).title;
}

template <>
std::span<const RuleAction> allCases<RuleAction>() {
    return allActions;
}
template <>
std::span<const RuleCategory> allCases<RuleCategory>() {
    return allCategories;
}

RenameRule blank(RuleAction action) {
    return entry(action).blank();
}

std::string_view example(RuleAction action) {
    return entry(action).example;
}

std::span<const RuleAction> actions(RuleCategory category) {
    const auto c = static_cast<std::size_t>(category);
    return std::span(grouped.actions)
        .subspan(grouped.starts.at(c), grouped.starts.at(c + 1) - grouped.starts.at(c));
}

}  // namespace tavix
