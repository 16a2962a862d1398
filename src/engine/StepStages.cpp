#include "engine/StepStages.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <variant>

#include "system/Shares.hpp"
#include "text/RegexReplace.hpp"

namespace tavix::RenameEngine {
namespace {

// A step's texts, which its == compares under canonical equivalence only.
auto textsOf(const FindReplace& s) { return std::tie(s.find, s.replace); }
auto textsOf(const AddText& s) { return std::tie(s.text); }
auto textsOf(const RemoveText& s) { return std::tie(s.text); }
auto textsOf(const Sequence& s) { return std::tie(s.separator); }
auto textsOf(const DateStamp& s) { return std::tie(s.format, s.separator); }
auto textsOf(const RemoveCharacters& s) { return std::tie(s.custom); }
auto textsOf(const InsertAt& s) { return std::tie(s.text); }
auto textsOf(const RomanNumeral& s) { return std::tie(s.separator); }
auto textsOf(const LetterSequence& s) { return std::tie(s.separator); }
auto textsOf(const ImageDimensions& s) { return std::tie(s.separator); }
auto textsOf(const ParentFolder& s) { return std::tie(s.separator); }
auto textsOf(const auto&) { return std::tuple<>(); }

// The same step to the byte: two texts that are canonically equivalent but
// spelt differently may still give different names.
bool identical(const RenameRule& a, const RenameRule& b) {
    if (!(a == b)) return false;
    return std::visit(
        [&](const auto& step) {
            using Kind = std::decay_t<decltype(step)>;
            return textsOf(step) == textsOf(std::get<Kind>(b.kind));
        },
        a.kind);
}

}  // namespace

bool readsDisk(const RenameRule& rule) {
    return std::holds_alternative<DateStamp>(rule.kind) ||
           std::holds_alternative<ImageDimensions>(rule.kind);
}

StepStages::StepStages(unsigned threads, std::size_t filesPerThread)
    : threads_(threads), filesPerThread_(filesPerThread) {}

void StepStages::clear() {
    rules_.clear();
    columns_.clear();
    stops_.clear();
    finished_.clear();
}

void StepStages::setInput(TextColumn stems) {
    clear();
    stops_.assign(stems.size(), kNone);
    columns_.push_back(std::move(stems));
}

void StepStages::run(const std::vector<Location>& files, const std::vector<RenameRule>& rules,
                     DateSource dates, KnownDates known) {
    if (columns_.empty()) setInput({});
    // The steps whose stems can be kept: those above the first that differs or
    // reads the disk.
    std::size_t from = 0;
    if (dates == dates_) {
        const std::size_t common = std::min({rules.size(), rules_.size(), columns_.size() - 1});
        while (from < common && !readsDisk(rules[from]) && identical(rules[from], rules_[from])) {
            ++from;
        }
    }
    columns_.resize(from + 1);
    for (std::uint32_t& stop : stops_) {
        if (stop != kNone && stop >= from) stop = kNone;
    }
    rules_ = rules;
    dates_ = dates;

    const std::size_t count = size();
    const bool parallel = std::none_of(rules.begin() + static_cast<std::ptrdiff_t>(from),
                                       rules.end(), readsDisk);
    const std::size_t parts = parallel ? Shares::count(count, filesPerThread_, threads_) : 1;
    // No step is prepared for an empty list: compiling a pattern costs more
    // than starting the program.
    if (from < rules.size() && count > 0) {
        std::vector<std::vector<TextColumn>> outs(parts);
        Shares::forEach(count, parts, [&](std::size_t part, std::size_t begin, std::size_t end) {
            applyTo(begin, end, from, files, known, outs[part]);
        });
        for (std::size_t step = from; step < rules.size(); ++step) {
            if (parts == 1) {
                columns_.push_back(std::move(outs[0][step - from]));
                continue;
            }
            std::size_t bytes = 0;
            for (const auto& out : outs) bytes += out[step - from].bytes();
            TextColumn& column = columns_.emplace_back();
            column.reserve(count, bytes);
            for (auto& out : outs) {
                column.append(out[step - from]);
                out[step - from].release();
            }
        }
    }
    account();
}

void StepStages::applyTo(std::size_t begin, std::size_t end, std::size_t from,
                         const std::vector<Location>& files, KnownDates known,
                         std::vector<TextColumn>& out) {
    // Each thread has its own prepared steps: a compiled pattern keeps one matcher.
    std::vector<PreparedStep> steps;
    steps.reserve(rules_.size() - from);
    for (std::size_t step = from; step < rules_.size(); ++step) {
        steps.emplace_back(rules_[step], dates_, known);
    }
    out.resize(steps.size());
    std::string name;
    for (std::size_t step = from; step < rules_.size(); ++step) {
        const std::size_t at = step - from;
        const TextColumn* in = at == 0 ? &columns_[from] : &out[at - 1];
        const std::size_t offset = at == 0 ? 0 : begin;
        TextColumn& column = out[at];
        // Room for the texts of this share if each grows by a quarter.
        const std::size_t share = in->empty() ? 0 : in->bytes() / in->size() * (end - begin);
        column.reserve(end - begin, share + share / 4);
        for (std::size_t i = begin; i < end; ++i) {
            if (stops_[i] < step) {
                column.push_back({});
                continue;
            }
            name.assign((*in)[i - offset]);
            if (steps[at].applyTo(name, static_cast<std::int64_t>(i), files[i])) {
                column.push_back(name);
            } else {
                stops_[i] = static_cast<std::uint32_t>(step);
                column.push_back({});
            }
        }
    }
}

void StepStages::account() {
    // A step gives up once it has failed on kRegexGiveUpAfter of the names that
    // reached it, in list order. A file stopped at step s on its thread reached
    // s (and failed there) unless an earlier step had been given up by then;
    // when s's own count on that thread made it give up, its count in list
    // order had too, as every name before it on that thread comes before it in
    // the list. So one pass in list order gives what one thread would.
    const std::size_t steps = rules_.size();
    std::vector<int> failures(steps, 0);
    std::size_t firstGivenUp = steps;
    finished_.assign(size(), 0);
    for (std::size_t i = 0; i < finished_.size(); ++i) {
        const std::size_t stop = stops_[i] == kNone ? steps : stops_[i];
        if (stop == steps) {
            finished_[i] = firstGivenUp == steps;
        } else if (firstGivenUp > stop && ++failures[stop] >= text::kRegexGiveUpAfter) {
            firstGivenUp = stop;
        }
    }
}

}  // namespace tavix::RenameEngine
