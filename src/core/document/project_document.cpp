#include "document/project_document.h"

#include <new>

#include "analysis/results_file.h"
#include "model/model.h"

namespace varlen::document {

std::string AnalysisRun::Message() const {
    if (!fileError.empty()) return std::string(analysis::kAnalysisErrorText) + "\n" + fileError;
    return outcome.Message();
}

ProjectDocument::ProjectDocument() : m_project(project::NewProject()) {}

void ProjectDocument::Notify(const Notice& notice) {
    for (const auto& listener : m_listeners)
        listener(notice);
}

void ProjectDocument::MarkEdited() {
    const bool flagsChange = !m_unsaved || !m_stale;
    m_unsaved = true;
    m_stale = true;
    if (flagsChange) Notify(Change::FlagsChanged);
}

void ProjectDocument::SetUnsaved(bool unsaved) {
    if (m_unsaved == unsaved) return;
    m_unsaved = unsaved;
    Notify(Change::FlagsChanged);
}

ApplyOutcome ProjectDocument::Apply(const Edit& edit) {
    ApplyOutcome outcome = ApplyEdit(m_project, edit, [this](const ChangeSet& changes) {
        Notify(Notice{changes.replaced ? Change::AboutToReplace : Change::AboutToEdit, &changes});
    });
    if (!outcome.applied) return outcome;
    const Change change = outcome.changes.replaced          ? Change::TablesReplaced
                          : !outcome.changes.tables.empty() ? Change::TableEdited
                          : outcome.changes.loadCases       ? Change::LoadCasesEdited
                                                            : Change::TitleEdited;
    Notify(Notice{change, &outcome.changes});
    MarkEdited();
    return outcome;
}

// A project that replaces the one in memory comes with no results and nothing unsaved.
void ProjectDocument::Replace(project::Project project, std::filesystem::path path, bool opened) {
    ChangeSet changes;
    changes.replaced = changes.title = true;
    Notify(Notice{Change::AboutToReplace, &changes, opened});
    m_project = std::move(project);
    m_path = std::move(path);
    m_unsaved = false;
    m_stale = true;
    m_results.reset();
    m_loadCases.reset();
    Notify(Notice{Change::TablesReplaced, &changes, opened, /*fresh=*/true});
    Notify(Change::ResultsChanged);
    Notify(Change::FlagsChanged);
}

void ProjectDocument::New() {
    Replace(project::NewProject(), {}, false);
}

std::optional<project::Diagnostic> ProjectDocument::Open(const std::filesystem::path& path) {
    project::ReadOutcome read;
    try {
        read = project::ReadProjectFile(path);
    } catch (const std::bad_alloc&) {
        // Whatever was read goes with the exception; the open project stays as it was.
        return project::Diagnostic{0, "there is not enough memory to read this project"};
    }
    if (!read.project) return read.problem;
    Replace(std::move(*read.project), path, true);
    return std::nullopt;
}

project::WriteOutcome ProjectDocument::Save(const std::filesystem::path& path) {
    project::WriteOutcome written = project::CreateSMA(m_project, path);
    if (!written.ok) return written;
    m_path = path;
    m_unsaved = false;
    Notify(Change::FlagsChanged);
    return written;
}

// The temporary project file stays beside the results as a record of what was analysed; the analysis
// itself reads the project in memory.
project::WriteOutcome
ProjectDocument::WriteTemporaryProject(const std::filesystem::path& temporaryFolder) const {
    return project::CreateSMA(m_project, temporaryFolder / kTemporaryProject, /*synced=*/false);
}

namespace {

// The middle step runs beside the window thread: an exception leaving it would end the program and lose
// the user's unsaved edits, so running out of memory is a refusal like any other.
template <class Run> AnalysisRun Guarded(Run&& run) {
    try {
        return run();
    } catch (const std::bad_alloc&) {
        AnalysisRun refused;
        refused.fileError = "There is not enough memory to analyse this structure.";
        return refused;
    } catch (const std::exception& error) {
        AnalysisRun refused;
        refused.fileError = std::string("The analysis failed: ") + error.what();
        return refused;
    }
}

AnalysisRun AnalyseModel(model::Model&& model, const std::filesystem::path& temporaryFolder,
                         const std::function<void(const char*)>& phase) {
    AnalysisRun run;
    analysis::AnalysisOptions options;
    if (phase) options.onPhase = [&phase](analysis::AnalysisPhase p) { phase(analysis::PhaseName(p)); };
    options.loadCases = model.HasLoadCases();
    run.outcome = analysis::Analyse(std::move(model), options);
    if (!run.outcome.results) return run;
    if (phase) phase("writing");
    const analysis::FileOutcome results = analysis::WriteResultsFile(
        *run.outcome.results, analysis::ResultsFilePath(temporaryFolder / kTemporaryProject));
    if (!results.ok) run.fileError = "the results file could not be written: " + results.error;
    return run;
}

} // namespace

AnalysisRun ProjectDocument::AnalyseProject(const project::Project& project,
                                            const std::filesystem::path& temporaryFolder,
                                            const std::function<void(const char*)>& phase) {
    return Guarded([&] {
        if (phase) phase("reading");
        return AnalyseModel(model::BuildModel(project), temporaryFolder, phase);
    });
}

void ProjectDocument::Accept(AnalysisRun& run) {
    if (!run.fileError.empty() || !run.outcome.results) {
        // The last results no longer describe the truss being edited: nothing may show them as current.
        if (m_results) {
            m_results.reset();
            m_loadCases.reset();
            Notify(Change::ResultsChanged);
        }
        return;
    }
    m_results = std::move(run.outcome.results);
    run.outcome.results.reset();
    m_loadCases = std::move(run.outcome.loadCases);
    run.outcome.loadCases.reset();
    run.succeeded = true;
    m_stale = false;
    Notify(Change::ResultsChanged);
    Notify(Change::FlagsChanged);
}

void ProjectDocument::DropResults() {
    if (!m_results) return;
    m_results.reset();
    m_loadCases.reset();
    Notify(Change::ResultsChanged);
}

AnalysisRun ProjectDocument::Analyse(const std::filesystem::path& temporaryFolder) {
    const project::WriteOutcome written = WriteTemporaryProject(temporaryFolder);
    if (!written.ok) {
        AnalysisRun run;
        run.fileError = written.error;
        return run;
    }
    AnalysisRun run = AnalyseProject(m_project, temporaryFolder);
    Accept(run);
    return run;
}

} // namespace varlen::document
