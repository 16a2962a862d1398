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
    // The lines are gathered in one buffer and written some tens of kilobytes
    // at a time, not piece by piece through the stream.
    constexpr std::size_t chunk = 64 * 1024;
    std::string lines;
    lines.reserve(chunk + 1024);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const RenamePlan::Item& item = plan.items[i];
        appendPrintable(item.originalName(), lines);
        lines += "  \u2192  ";
        if (item.problem) {
            lines += rawValue(*item.problem);
        } else {
            changed += item.isChanged();
            if (highlight) {
                const AttributedName name =
                    NameDiff::attributed(item.originalName(), item.newName, true);
                const std::string_view t = name.text;
                if (name.marked) {
                    appendPrintable(t.substr(0, name.marked->start), lines);
                    lines += boldOnYellow;
                    appendPrintable(
                        t.substr(name.marked->start, name.marked->end - name.marked->start),
                        lines);
                    lines += plain;
                    appendPrintable(t.substr(name.marked->end), lines);
                } else {
                    appendPrintable(t, lines);
                }
            } else {
                // Unmarked, the name is shown as printable() shows any text.
                appendPrintable(item.newName, lines);
            }
            if (chains && chains->inCycle[i]) lines += "  (swap)";
        }
        lines += '\n';
        if (lines.size() >= chunk) {
            out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
            lines.clear();
        }
    }
    lines += StatusTexts::count(fileCount, changed);
    lines += '\n';
    out.write(lines.data(), static_cast<std::streamsize>(lines.size()));
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
