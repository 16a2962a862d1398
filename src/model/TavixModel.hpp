#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/Perform.hpp"
#include "engine/RenameEngine.hpp"
#include "engine/RenamePlan.hpp"
#include "engine/StepStages.hpp"
#include "engine/Uuid.hpp"
#include "model/FileOrder.hpp"
#include "model/Presets.hpp"
#include "journal/History.hpp"
#include "journal/StateFolder.hpp"
#include "journal/Undo.hpp"
#include "rules/RenameRule.hpp"
#include "system/FolderEntries.hpp"

namespace tavix {

// The working state of one main window: the files, the step stack, the plan, the
// undo record, the status message, the two selections and the view toggles.
//
// Every assignment notifies the observers with the field that changed. An
// assignment to files, rules (any edit of the stack, one step's rule included),
// keepExtension, perFolder or dateSource stores the value and rebuilds the plan
// exactly once, so the
// plan always matches them. Observers are told after the model is consistent
// again: a change of files notifies `files` and then `plan`, with the new plan
// already in place. Every other assignment only stores and notifies.
//
// Confined to one thread. Nothing throws out of it; file failures end up in
// `message`.
class TavixModel {
public:
    // One step of the stack: a rule with an identity made when the step is
    // created; the step form edits `rule` in place, `id` never changes.
    struct IdentifiedRule {
        Uuid id;
        RenameRule rule;

        // A step with a fresh random id.
        static IdentifiedRule make(RenameRule rule);

        friend bool operator==(const IdentifiedRule&, const IdentifiedRule&) = default;
    };

    enum class Field {
        files,
        rules,
        keepExtension,
        plan,
        lastMoves,
        message,
        selection,
        highlightChanges,
        showPathColumn,
        showSizeColumn,
        showDateColumn,
        clearAfterRenaming,
        showInspector,
        previewSelection,
        perFolder,
        dateSource,
        notPutBack,
    };

    using Observer = std::function<void(Field)>;

    // What addChosenFiles asks the window's open dialog for.
    struct FileChooserRequest {
        std::string message;
        bool filesOnly = false;  // files may be chosen, folders may not
        bool multiple = false;   // several files at once
    };
    // Shows the dialog (bringing the application to the front) and returns the
    // chosen files in the dialog's order; nothing when the user cancels.
    using FileChooser = std::function<std::vector<Location>(const FileChooserRequest&)>;

    // One blank find-and-replace step, selected; no files; keepExtension,
    // highlightChanges and showInspector on; every other toggle off.
    explicit TavixModel(FileChooser chooser = {});

    // Observers capture the model; a copy would leave them watching the original.
    TavixModel(const TavixModel&) = delete;
    TavixModel& operator=(const TavixModel&) = delete;

    // One observation, ended when the handle is destroyed or reset. It can be
    // moved, not copied; the model must outlive it.
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept;
        Subscription& operator=(Subscription&& other) noexcept;
        ~Subscription() { reset(); }

        // Ends the observation now; nothing when it has ended already.
        void reset();

    private:
        friend class TavixModel;
        Subscription(TavixModel& model, int token) : model_(&model), token_(token) {}

        TavixModel* model_ = nullptr;
        int token_ = 0;
    };

    // Calls `observer` after every assignment, with the field assigned, for as
    // long as the returned handle lives. An observer may assign fields or end
    // observations (its own included) while it is being told; observers added
    // during a notification hear only later ones.
    [[nodiscard]] Subscription observe(Observer observer);

    // Replaces the open dialog (the window installs the real one).
    void setFileChooser(FileChooser chooser);

    // Fields.
    const std::vector<Location>& files() const { return files_; }
    const std::vector<IdentifiedRule>& rules() const { return rules_; }
    bool keepExtension() const { return keepExtension_; }
    const RenamePlan& plan() const { return plan_; }
    const std::vector<Move>& lastMoves() const { return lastMoves_; }
    const std::optional<std::string>& message() const { return message_; }
    const std::optional<Uuid>& selection() const { return selection_; }
    bool highlightChanges() const { return highlightChanges_; }
    bool showPathColumn() const { return showPathColumn_; }
    bool showSizeColumn() const { return showSizeColumn_; }
    bool showDateColumn() const { return showDateColumn_; }
    bool clearAfterRenaming() const { return clearAfterRenaming_; }
    bool showInspector() const { return showInspector_; }
    const std::optional<Uuid>& previewSelection() const { return previewSelection_; }
    // Each folder's files numbered and checked for clashes on their own; off (one
    // batch for the whole list) in a new window.
    bool perFolder() const { return perFolder_; }
    // What date steps write: modification dates in a new window.
    RenameEngine::DateSource dateSource() const { return dateSource_; }

    // These four rebuild the plan.
    void setRules(std::vector<IdentifiedRule> rules);
    void setKeepExtension(bool keep);
    void setPerFolder(bool on);
    void setDateSource(RenameEngine::DateSource source);
    // The step form's edit: replaces the rule of the first step with that id, as
    // one assignment to rules. Returns false, changing nothing, when no step has it.
    bool setRule(const Uuid& step, RenameRule rule);

    void setMessage(std::optional<std::string> message);
    void setSelection(std::optional<Uuid> step);
    void setHighlightChanges(bool on);
    void setShowPathColumn(bool on);
    void setShowSizeColumn(bool on);
    void setShowDateColumn(bool on);
    void setClearAfterRenaming(bool on);
    void setShowInspector(bool on);
    void setPreviewSelection(std::optional<Uuid> item);

    // Derived from the plan, counted once per rebuild: views ask on every change.
    std::size_t changedCount() const { return changedCount_; }
    bool planHasProblems() const { return planHasProblems_; }
    // At least one name changes and no item has a problem.
    bool canRename() const { return changedCount_ >= 1 && !planHasProblems_; }

    // Derived, computed on every call.
    bool canUndo() const { return !lastMoves_.empty(); }
    // The path of the plan item whose id is previewSelection. Every rebuild makes
    // new ids, so this is absent after any change of files or steps until a row is
    // selected again.
    std::optional<Location> selectedFile() const;

    // Recomputes the plan from files, the steps' rules in order, keepExtension,
    // perFolder and dateSource.
    void rebuild();

    // Asks the chooser for files and adds them; a cancel (or no chooser) does nothing.
    void addChosenFiles();
    // Appends each given file that exists, is not a folder and is not listed yet
    // (also within `given`), then clears the message. Skips are silent. Always one
    // assignment to files, also when nothing is added.
    void add(std::vector<Location> given);
    // Removes the files at these offsets; offsets past the end are ignored.
    void remove(const std::set<std::size_t>& offsets);
    // Empties the files and the undo record and clears the message; the steps,
    // the selection and the toggles stay.
    void clear();
    // File-browser order of names: case ignored, digits by value (img2 before
    // img10). Stable.
    void sortByName();
    // Oldest modification time first, unreadable times before all others; each
    // time is read once. Stable.
    void sortByDate();
    // Sorts the files in one of the orders of FileOrder.hpp (size, date created,
    // date taken, …), or the other way round with `reverse`: one assignment to
    // files. Stable; files whose key can't be read come first either way.
    void sort(FileList::SortOrder order, bool reverse = false);
    // Removes every listing of selectedFile and clears previewSelection; nothing
    // when no file is selected.
    void removeSelectedFile();

    // Appends a blank find-and-replace step at the bottom and selects it.
    void addStep();
    // Removes the selected step and selects the one that took its place, else
    // the new last one, else nothing. Nothing happens when no step is selected.
    // The last remaining step can be removed.
    void removeSelectedStep();
    // A list drag: the steps at `from` (offsets before the move), in their order,
    // land just before the step that stood at `to`; `to` equal to the number of
    // steps means the end. Offsets past the end are ignored and `to` past the end
    // means the end. The selection keeps its id.
    void moveRules(const std::set<std::size_t>& from, std::size_t to);

    // Replaces the stack with the steps of the preset `name`, each a new step, as
    // one assignment to rules, and selects the first. On failure nothing changes
    // and the error says why.
    std::optional<Presets::Error> loadPreset(std::string_view name);
    // Saves the stack's rules as the preset `name`; an existing preset of that
    // name is replaced only when `replace` is set (else Error::Kind::exists).
    std::optional<Presets::Error> savePreset(std::string_view name, bool replace) const;
    // The names of the saved presets in byte order; none when they can't be listed.
    std::vector<std::string> presetNames() const;

    // Performs the plan under a journal in stateFolder (below), keeps
    // its moves as the undo record, points the list at the moved files' new
    // locations and reports "Renamed 3 files." or "Renamed 2; 1 failed —
    // <reason>". When no journal can be kept the batch goes ahead all the same,
    // undone from memory only, and the message ends "No journal was kept.". With
    // clearAfterRenaming on, a batch without failures then empties the list and
    // the undo record.
    void rename();
    // Moves the last batch back through its journal (or, without one, from
    // memory), only files that are still the ones it moved; points the list back
    // for the files that did move back (one that couldn't keeps its current
    // location in the list and is named in notPutBack); empties the undo record
    // and reports "Put 3 files back.".
    void undo();

    // The state folder whose journal folder holds the window's batches: by
    // default the one tavix-cli uses, so that the terminal can undo them and the
    // history lists the terminal's batches too. Empty: no journal, every batch
    // is then undone from memory only.
    const std::filesystem::path& stateFolder() const { return stateFolder_; }
    void setStateFolder(std::filesystem::path folder);
    // The files the last undo left where they were, each with its reason;
    // emptied by the next rename and by clear.
    const std::vector<journal::NotPutBack>& notPutBack() const { return notPutBack_; }

    struct History {
        std::vector<journal::HistoryEntry> batches;  // newest first
        std::vector<journal::Skipped> skipped;       // journals left alone, and why
        std::optional<std::string> error;            // why the folder can't be listed
    };
    // The journal folder's batches: when, by whom, their state, message and folder.
    History history() const;
    // Undoes the batch of `journal` as undo() undoes the last one, finished or
    // interrupted: the listed files it put back are listed under their old names
    // again, and when it is this window's last batch the undo record empties. A
    // journal that can't be undone (already undone, not trusted…) moves nothing
    // and the message says why.
    void undoBatch(const std::filesystem::path& journal);

    // Long work tells `progress` how far it has come: `done` of `total` files.
    // Adding, sorting, renaming and undoing a batch tell it (0, total) before they
    // start and (total, total) once their results are in place; in between a sort
    // tells it as it reads the files' keys, a rename as it moves the files and an
    // undo as it goes through the batch's moves (an undo's total is the number of
    // moves its journal planned), at most about once per hundredth of the files,
    // so a listener may repaint each time. An undo refused before it starts (a
    // journal already undone or not trusted) tells nothing. The work stays on this
    // thread; the listener must not change the model. None is set in a new model.
    using Progress = std::function<void(std::size_t done, std::size_t total)>;
    void setProgress(Progress progress);

private:
    // The reports of one piece of long work: (0, total) when made, advance() in
    // between, (total, total) when it goes, however the work ends.
    class ProgressRun {
    public:
        ProgressRun(TavixModel& model, std::size_t total);
        ~ProgressRun();
        ProgressRun(const ProgressRun&) = delete;
        ProgressRun& operator=(const ProgressRun&) = delete;
        // `done` of the total are done; the end is told only by the destructor.
        void advance(std::size_t done) const;

    private:
        TavixModel& model_;
        std::size_t total_;
    };
    // Tells the progress listener of `done` of `total`: always at 0 and at total,
    // otherwise once `done` has come a hundredth of `total` past the last report.
    void reportProgress(std::size_t done, std::size_t total);
    Progress progress_;
    std::size_t nextReport_ = 0;

    void stopObserving(int token);
    void notify(Field field);
    // Stores the plan for the current files, rules and planning settings, without
    // notifying.
    void replan();
    void assignFiles(std::vector<Location> files);
    void assignRules(std::vector<IdentifiedRule> rules);
    // Also forgets how the last batch is undone when `moves` is empty.
    void assignLastMoves(std::vector<Move> moves);

    // What undo did: the moves back made, the files left and the message.
    struct Undone {
        std::vector<Move> back;
        std::vector<journal::NotPutBack> notPutBack;
        std::string message;
    };
    // Undoes `journal`, whose moves the listed files may have made: those that
    // aren't named as left where they are count as put back. `progress` hears
    // of each planned move as it is looked at.
    static Undone undoJournal(const std::filesystem::path& journal, const std::vector<Move>& moves,
                              const journal::UndoProgress& progress);
    // A listener for a journal's undo that reports it as one run in `run`,
    // started with the first report, when the number of planned moves is known.
    journal::UndoProgress countInto(std::optional<ProgressRun>& run);
    // The state folder's journal folder; empty when there is no state folder.
    std::filesystem::path journalFolder() const;

    template <typename T>
    void assign(T& field, T value, Field name) {
        field = std::move(value);
        notify(name);
    }

    std::vector<Location> files_;
    std::vector<IdentifiedRule> rules_;
    bool keepExtension_ = true;
    RenamePlan plan_;
    // Each batch's stems after every step, so that an edit of one step applies
    // that step and those below it only; emptied whenever the files or the
    // planning settings change.
    std::vector<RenameEngine::StepStages> stages_;
    // The listed files' folders as last read, for the next plans and additions
    // (each read answers only while its folder is unchanged).
    std::shared_ptr<FileSystem::FolderSnapshots> folders_ =
        std::make_shared<FileSystem::FolderSnapshots>();
    // The dates the date steps write, read by the sort just made, for the plan
    // after it; empty otherwise.
    std::vector<std::optional<FileSystem::Timestamp>> sortDates_;
    std::size_t changedCount_ = 0;
    bool planHasProblems_ = false;
    std::vector<Move> lastMoves_;
    std::optional<std::string> message_;
    std::optional<Uuid> selection_;
    bool highlightChanges_ = true;
    bool showPathColumn_ = false;
    bool showSizeColumn_ = false;
    bool showDateColumn_ = false;
    bool clearAfterRenaming_ = false;
    bool showInspector_ = true;
    std::optional<Uuid> previewSelection_;
    bool perFolder_ = false;
    RenameEngine::DateSource dateSource_ = RenameEngine::DateSource::modified;
    std::vector<journal::NotPutBack> notPutBack_;

    // How the last batch is undone: through its journal, or, when it has none,
    // by these moves with the identities of their files.
    std::filesystem::path lastJournal_;
    std::vector<PlannedMove> unjournaled_;
    std::filesystem::path stateFolder_ = journal::defaultStateFolder();

    FileChooser chooser_;
    std::vector<std::pair<int, Observer>> observers_;
    int nextToken_ = 1;
};

}  // namespace tavix
