#include "cli/Describe.hpp"

#include "cli/PlanOutput.hpp"
#include "cli/TerminalText.hpp"
#include "rules/Catalogue.hpp"
#include "rules/RuleCoding.hpp"

namespace tavix::cli {

void describeSteps(const std::vector<RenameRule>& rules, bool json, std::ostream& out) {
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < rules.size(); ++i) {
            nlohmann::ordered_json entry;
            entry["number"] = i + 1;
            entry["summary"] = rules[i].summary();
            entry["label"] = rules[i].label();
            entry["action"] = rawValue(rules[i].action());
            entry["category"] = rawValue(rules[i].category());
            entry["step"] = encodeRule(rules[i]);
            list.push_back(std::move(entry));
        }
        out << dumpJson(list) << "\n";
        return;
    }
    for (std::size_t i = 0; i < rules.size(); ++i) {
        out << i + 1 << ". " << printable(rules[i].summary()) << "\n";
    }
}

nlohmann::ordered_json keyedSteps(const std::vector<RenameRule>& rules) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const RenameRule& rule : rules) list.push_back(encodeRule(rule));
    return list;
}

}  // namespace tavix::cli
