#include "cli/PlanOutput.hpp"

#include "cli/TerminalText.hpp"
#include "engine/NameDiff.hpp"
#include "text/Utf.hpp"
#include "model/StatusTexts.hpp"

namespace tavix::cli {
namespace {

constexpr std::string_view boldOnYellow = "\x1b[1;43m";
constexpr std::string_view plain = "\x1b[0m";

}  // namespace

std::string_view problemName(RenamePlan::Problem problem) {
    switch (problem) {
        case RenamePlan::Problem::duplicate:
            return "duplicate";
        case RenamePlan::Problem::exists:
            return "exists";
        case RenamePlan::Problem::empty:
            return "empty";
        case RenamePlan::Problem::illegal:
            return "illegal";
        case RenamePlan::Problem::tooSlow:
            return "tooSlow";
    }
    return {};
}

void printPlan(const RenamePlan& plan, std::size_t fileCount, bool highlight, std::ostream& out,
               const RenameEngine::ChainPlaces* chains) {
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const RenamePlan::Item& item = plan.items[i];
        out << printable(item.originalName()) << "  \u2192  ";
        if (item.problem) {
            out << rawValue(*item.problem);
        } else {
            const AttributedName name =
                NameDiff::attributed(item.originalName(), item.newName, highlight);
            if (name.marked) {
                const std::string_view t = name.text;
                out << printable(t.substr(0, name.marked->start)) << boldOnYellow
                    << printable(
                           t.substr(name.marked->start, name.marked->end - name.marked->start))
                    << plain << printable(t.substr(name.marked->end));
            } else {
                out << printable(name.text);
            }
            if (chains && chains->inCycle[i]) out << "  (swap)";
        }
        out << "\n";
    }
    out << StatusTexts::count(fileCount, plan.changedCount()) << "\n";
}

void writePlanJson(const RenamePlan& plan, std::ostream& out,
                   const RenameEngine::ChainPlaces* chains) {
    using Json = nlohmann::ordered_json;
    out << "{\"items\":[";
    bool first = true;
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const RenamePlan::Item& item = plan.items[i];
        Json entry;
        entry["path"] = item.path;
        entry["originalName"] = item.originalName();
        entry["newName"] = item.newName;
        entry["changed"] = item.isChanged();
        entry["problem"] = item.problem ? Json(problemName(*item.problem)) : Json(nullptr);
        entry["problemMessage"] = item.problem ? Json(rawValue(*item.problem)) : Json(nullptr);
        const auto range = NameDiff::changedRange(item.originalName(), item.newName);
        entry["changedRange"] = range ? Json::array({range->start, range->end}) : Json(nullptr);
        if (chains) {
            entry["order"] = chains->order[i] > 0 ? Json(chains->order[i]) : Json(nullptr);
            entry["viaTemporary"] = static_cast<bool>(chains->viaTemporary[i]);
        }
        out << (first ? "" : ",") << dumpJson(entry);
        first = false;
    }
    out << "],\"changedCount\":" << plan.changedCount()
        << ",\"hasProblems\":" << (plan.hasProblems() ? "true" : "false") << "}";
}

std::string dumpJson(const nlohmann::ordered_json& json) {
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace tavix::cli
