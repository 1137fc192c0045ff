// The project as the desktop program holds it: the tables, the file it came from,
// the results of the last analysis, and two flags. "Unsaved": edits since the project was last opened
// or saved (drives the save-changes question). "Stale": edits since the last successful analysis, or
// no analysis yet (results, reports and design refuse while it is set). An analysis clears only
// "stale", so a project analysed after an edit is still unsaved.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "document/edit.h"
#include "project/project_file.h"

namespace varlen::document {

// Names of the temporary files of an analysis, in the program instance's own folder.
inline constexpr const char* kTemporaryProject = "TempGrid.sma";
inline constexpr const char* kTemporaryResults = "TempGrid.txt";

// AboutToEdit and AboutToReplace come while the project is still as it was, with the changes to come.
enum class Change {
    AboutToEdit,
    AboutToReplace,
    TablesReplaced,
    TableEdited,
    TitleEdited,
    LoadCasesEdited, // the cases after the first, a case's name or the combinations, and nothing else
    FlagsChanged,
    ResultsChanged
};

// What listeners are told: the kind of change, and for edits and replacements what was touched.
struct Notice {
    Change change = Change::TableEdited;
    const ChangeSet* changes = nullptr; // the edits and replacements, and their AboutTo notices
    bool opened = false;                // TablesReplaced by opening a file (not New or an edit)
    bool fresh = false;                 // TablesReplaced by New or Open: a new history starts
};

struct AnalysisRun {
    analysis::AnalysisOutcome outcome; // its results, on success, have moved into the document
    std::string fileError;             // the temporary files could not be written
    bool succeeded = false;
    // The message for the user: the two standard lines and the causes.
    [[nodiscard]] std::string Message() const;
};

class ProjectDocument {
public:
    ProjectDocument();
    ProjectDocument(const ProjectDocument&) = delete;
    ProjectDocument& operator=(const ProjectDocument&) = delete;

    [[nodiscard]] const project::Project& Project() const { return m_project; }
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }
    [[nodiscard]] bool Unsaved() const { return m_unsaved; }
    [[nodiscard]] bool Stale() const { return m_stale; }
    [[nodiscard]] const analysis::Results* Results() const { return m_results ? &*m_results : nullptr; }
    // Every case, combination and the envelope, when the project has several cases or a combination;
    // Results() is then the first case's.
    [[nodiscard]] const analysis::LoadCaseResults* LoadCases() const {
        return m_loadCases ? &*m_loadCases : nullptr;
    }

    // The one way to change the project: validated, applied, the project marked unsaved and its results
    // stale, listeners told what changed. The outcome carries the inverse edit (undo) or the refusal.
    ApplyOutcome Apply(const Edit& edit);

    // The unsaved flag as the undo history has it: undoing back to the state last saved clears it.
    void SetUnsaved(bool unsaved);

    // A fresh project with no name, so that Save asks for one rather than overwriting the last file.
    void New();
    // Replaces the project only when the whole file reads; otherwise nothing changes and the problem
    // (line and what was expected) comes back.
    [[nodiscard]] std::optional<project::Diagnostic> Open(const std::filesystem::path& path);
    // On success the project takes the path and is no longer unsaved; on failure nothing changes.
    project::WriteOutcome Save(const std::filesystem::path& path);
    // Writes the temporary project file, analyses the project and writes the results file beside the
    // temporary file. Keeps the results and clears "stale" on success; a failed run clears the previous
    // results.
    AnalysisRun Analyse(const std::filesystem::path& temporaryFolder);

    // The same in three steps, so that the middle one can run away from the window thread: it only reads
    // the project, which must not change meanwhile, and touches nothing of the document.
    [[nodiscard]] project::WriteOutcome
    WriteTemporaryProject(const std::filesystem::path& temporaryFolder) const;
    // `phase`, when given, hears each step by name ("reading", "ordering", ... "writing"), on the thread
    // the analysis runs on.
    [[nodiscard]] static AnalysisRun AnalyseProject(const project::Project& project,
                                                    const std::filesystem::path& temporaryFolder,
                                                    const std::function<void(const char*)>& phase = {});
    void Accept(AnalysisRun& run);
    // The results no longer describe the project (a drawing imported over it): they are withdrawn, so
    // nothing shows them as current.
    void DropResults();

    // Called after every change, for the windows to follow.
    void Subscribe(std::function<void(const Notice&)> listener) {
        m_listeners.push_back(std::move(listener));
    }

private:
    void Notify(const Notice& notice);
    void Notify(Change change) { Notify(Notice{change}); }
    void MarkEdited();
    void Replace(project::Project project, std::filesystem::path path, bool opened);

    project::Project m_project;
    std::filesystem::path m_path;
    bool m_unsaved = false;
    bool m_stale = true;
    std::optional<analysis::Results> m_results;
    std::optional<analysis::LoadCaseResults> m_loadCases;
    std::vector<std::function<void(const Notice&)>> m_listeners;
};

} // namespace varlen::document
