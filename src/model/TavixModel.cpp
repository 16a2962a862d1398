#include "model/TavixModel.hpp"

#include <algorithm>
#include <utility>

#include "model/FileList.hpp"
#include "model/ListPlanning.hpp"
#include "rules/Catalogue.hpp"

namespace tavix {

TavixModel::IdentifiedRule TavixModel::IdentifiedRule::make(RenameRule rule) {
    return {Uuid::random(), std::move(rule)};
}

TavixModel::TavixModel(FileChooser chooser) : chooser_(std::move(chooser)) {
    const IdentifiedRule first = IdentifiedRule::make(blank(RuleAction::findReplace));
    rules_ = {first};
    replan();
    selection_ = first.id;
}

TavixModel::Subscription::Subscription(Subscription&& other) noexcept
    : model_(std::exchange(other.model_, nullptr)), token_(other.token_) {}

TavixModel::Subscription& TavixModel::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        reset();
        model_ = std::exchange(other.model_, nullptr);
        token_ = other.token_;
    }
    return *this;
}

void TavixModel::Subscription::reset() {
    if (model_ != nullptr) std::exchange(model_, nullptr)->stopObserving(token_);
}

TavixModel::Subscription TavixModel::observe(Observer observer) {
    const int token = nextToken_++;
    observers_.emplace_back(token, std::move(observer));
    return Subscription(*this, token);
}

void TavixModel::stopObserving(int token) {
    std::erase_if(observers_, [token](const auto& entry) { return entry.first == token; });
}

void TavixModel::notify(Field field) {
    if (observers_.empty()) return;
    // Told from a snapshot, since an observer may add or stop observers; one
    // stopped meanwhile is skipped.
    const auto snapshot = observers_;
    for (const auto& entry : snapshot) {
        const int token = entry.first;
        const bool stillObserving = std::ranges::any_of(
            observers_, [token](const auto& other) { return other.first == token; });
        if (stillObserving) entry.second(field);
    }
}

void TavixModel::setFileChooser(FileChooser chooser) {
    chooser_ = std::move(chooser);
}

void TavixModel::replan() {
    std::vector<RenameRule> steps;
    steps.reserve(rules_.size());
    for (const IdentifiedRule& step : rules_) steps.push_back(step.rule);
    // The old plan goes first, so that the new one is built in the memory it
    // leaves rather than beside it: at 100,000 files that halves the peak and
    // the pages the system has to provide.
    plan_ = RenamePlan();
    plan_ = ListPlanning::plan(files_, steps,
                               {.keepExtension = keepExtension_,
                                .perFolder = perFolder_,
                                .dates = dateSource_,
                                .inListOrder = true,
                                .folders = folders_,
                                .stepDates = sortDates_},
                               stages_);
    // Read with a sort for the plan after it only: later plans read the disk now.
    sortDates_.clear();
    // Folders no longer listed are dropped; the others stay for the next edit.
    folders_->forgetUnused();
    changedCount_ = plan_.changedCount();
    planHasProblems_ = plan_.hasProblems();
}

void TavixModel::rebuild() {
    replan();
    notify(Field::plan);
}

void TavixModel::assignFiles(std::vector<Location> files) {
    files_ = std::move(files);
    stages_.clear();
    replan();
    notify(Field::files);
    notify(Field::plan);
}

void TavixModel::assignRules(std::vector<IdentifiedRule> rules) {
    rules_ = std::move(rules);
    replan();
    notify(Field::rules);
    notify(Field::plan);
}

void TavixModel::assignLastMoves(std::vector<Move> moves) {
    if (moves.empty()) {
        lastJournal_.clear();
        unjournaled_.clear();
    }
    assign(lastMoves_, std::move(moves), Field::lastMoves);
}

void TavixModel::setRules(std::vector<IdentifiedRule> rules) {
    assignRules(std::move(rules));
}

void TavixModel::setKeepExtension(bool keep) {
    keepExtension_ = keep;
    stages_.clear();
    replan();
    notify(Field::keepExtension);
    notify(Field::plan);
}

void TavixModel::setPerFolder(bool on) {
    perFolder_ = on;
    stages_.clear();
    replan();
    notify(Field::perFolder);
    notify(Field::plan);
}

void TavixModel::setDateSource(RenameEngine::DateSource source) {
    dateSource_ = source;
    stages_.clear();
    replan();
    notify(Field::dateSource);
    notify(Field::plan);
}

bool TavixModel::setRule(const Uuid& step, RenameRule rule) {
    const auto found = std::ranges::find(rules_, step, &IdentifiedRule::id);
    if (found == rules_.end()) return false;
    found->rule = std::move(rule);
    replan();
    notify(Field::rules);
    notify(Field::plan);
    return true;
}

void TavixModel::setMessage(std::optional<std::string> message) {
    assign(message_, std::move(message), Field::message);
}
void TavixModel::setSelection(std::optional<Uuid> step) {
    assign(selection_, step, Field::selection);
}
void TavixModel::setHighlightChanges(bool on) {
    assign(highlightChanges_, on, Field::highlightChanges);
}
void TavixModel::setShowPathColumn(bool on) {
    assign(showPathColumn_, on, Field::showPathColumn);
}
void TavixModel::setShowSizeColumn(bool on) {
    assign(showSizeColumn_, on, Field::showSizeColumn);
}
void TavixModel::setShowDateColumn(bool on) {
    assign(showDateColumn_, on, Field::showDateColumn);
}
void TavixModel::setClearAfterRenaming(bool on) {
    assign(clearAfterRenaming_, on, Field::clearAfterRenaming);
}
void TavixModel::setShowInspector(bool on) {
    assign(showInspector_, on, Field::showInspector);
}
void TavixModel::setPreviewSelection(std::optional<Uuid> item) {
    assign(previewSelection_, item, Field::previewSelection);
}

std::optional<Location> TavixModel::selectedFile() const {
    if (!previewSelection_) return std::nullopt;
    const auto found = std::ranges::find(plan_.items, *previewSelection_, &RenamePlan::Item::id);
    if (found == plan_.items.end()) return std::nullopt;
    return Location(found->path);
}

void TavixModel::addChosenFiles() {
    if (!chooser_) return;
    std::vector<Location> chosen = chooser_(FileChooserRequest{
        .message = "Choose the files to rename", .filesOnly = true, .multiple = true});
    if (chosen.empty()) return;
    add(std::move(chosen));
}

void TavixModel::add(std::vector<Location> given) {
    // The files are checked folder by folder in one pass, so only its ends are told.
    const ProgressRun progress(*this, given.size());
    assignFiles(FileList::adding(files_, std::move(given), {}, folders_.get()));
    setMessage(std::nullopt);
}

void TavixModel::remove(const std::set<std::size_t>& offsets) {
    std::vector<Location> kept;
    kept.reserve(files_.size());
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (!offsets.contains(i)) kept.push_back(files_[i]);
    }
    assignFiles(std::move(kept));
}

void TavixModel::clear() {
    assignFiles({});
    assignLastMoves({});
    if (!notPutBack_.empty()) assign(notPutBack_, {}, Field::notPutBack);
    setMessage(std::nullopt);
}

void TavixModel::sortByName() {
    sort(FileList::SortOrder::name);
}

void TavixModel::sortByDate() {
    sort(FileList::SortOrder::date);
}

void TavixModel::sort(FileList::SortOrder order, bool reverse) {
    const ProgressRun progress(*this, files_.size());
    // A sort by the date the date steps write hands the dates on to the plan.
    FileList::StepDates read{dateSource_, {}};
    std::vector<Location> files = FileList::sorted(
        files_, order, reverse, [&progress](std::size_t count) { progress.advance(count); }, &read);
    sortDates_ = std::move(read.dates);
    assignFiles(std::move(files));
}

void TavixModel::removeSelectedFile() {
    const std::optional<Location> selected = selectedFile();
    if (!selected) return;
    std::vector<Location> kept;
    kept.reserve(files_.size());
    for (const Location& file : files_) {
        if (file != *selected) kept.push_back(file);
    }
    assignFiles(std::move(kept));
    setPreviewSelection(std::nullopt);
}

void TavixModel::addStep() {
    IdentifiedRule step = IdentifiedRule::make(blank(RuleAction::findReplace));
    const Uuid id = step.id;
    std::vector<IdentifiedRule> rules = rules_;
    rules.push_back(std::move(step));
    assignRules(std::move(rules));
    setSelection(id);
}

void TavixModel::removeSelectedStep() {
    if (!selection_) return;
    const auto found = std::ranges::find(rules_, *selection_, &IdentifiedRule::id);
    if (found == rules_.end()) return;
    const auto position = static_cast<std::size_t>(found - rules_.begin());
    std::vector<IdentifiedRule> rules = rules_;
    rules.erase(rules.begin() + static_cast<std::ptrdiff_t>(position));
    assignRules(std::move(rules));
    if (position < rules_.size()) {
        setSelection(rules_[position].id);
    } else if (!rules_.empty()) {
        setSelection(rules_.back().id);
    } else {
        setSelection(std::nullopt);
    }
}

void TavixModel::moveRules(const std::set<std::size_t>& from, std::size_t to) {
    to = std::min(to, rules_.size());
    std::vector<IdentifiedRule> moved;
    std::vector<IdentifiedRule> rest;
    // Where the moved steps go among those that stay: before the step that stood
    // at `to`, which is `to` less the moved steps above it.
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        if (from.contains(i)) {
            moved.push_back(rules_[i]);
        } else {
            rest.push_back(rules_[i]);
            if (i < to) ++insertAt;
        }
    }
    rest.insert(rest.begin() + static_cast<std::ptrdiff_t>(insertAt),
                std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()));
    assignRules(std::move(rest));
}

std::optional<Presets::Error> TavixModel::loadPreset(std::string_view name) {
    std::vector<RenameRule> loaded;
    if (auto error = Presets::load(name, loaded)) return error;
    std::vector<IdentifiedRule> steps;
    steps.reserve(loaded.size());
    for (RenameRule& rule : loaded) steps.push_back(IdentifiedRule::make(std::move(rule)));
    assignRules(std::move(steps));
    setSelection(rules_.empty() ? std::nullopt : std::optional<Uuid>(rules_.front().id));
    return std::nullopt;
}

std::optional<Presets::Error> TavixModel::savePreset(std::string_view name, bool replace) const {
    std::vector<RenameRule> steps;
    steps.reserve(rules_.size());
    for (const IdentifiedRule& step : rules_) steps.push_back(step.rule);
    return Presets::save(name, steps, replace);
}

std::vector<std::string> TavixModel::presetNames() const {
    std::vector<std::string> names;
    if (Presets::list(names)) names.clear();
    return names;
}

void TavixModel::setProgress(Progress progress) {
    progress_ = std::move(progress);
}

TavixModel::ProgressRun::ProgressRun(TavixModel& model, std::size_t total)
    : model_(model), total_(total) {
    model_.reportProgress(0, total_);
}

TavixModel::ProgressRun::~ProgressRun() {
    model_.reportProgress(total_, total_);
}

void TavixModel::ProgressRun::advance(std::size_t done) const {
    // The end is the destructor's to tell, once the work's results are in place.
    if (done < total_) model_.reportProgress(done, total_);
}

void TavixModel::reportProgress(std::size_t done, std::size_t total) {
    if (!progress_) return;
    const bool due = done == 0 || done >= total || done >= nextReport_;
    if (!due) return;
    nextReport_ = done + std::max<std::size_t>(1, (total + 99) / 100);
    progress_(done, total);
}

}  // namespace tavix
