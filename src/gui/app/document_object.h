// The one project document the windows share, with Qt signals for what changed. Windows never reach
// into each other's widgets: they read and edit the document and follow its signals.
#pragma once

#include <QObject>
#include <QStringList>
#include <QUndoStack>

#include <array>
#include <optional>
#include <vector>

#include "document/project_document.h"
#include "drawing/scene.h"
#include "report/table_rows.h"

namespace varlen::gui {

class DocumentObject : public QObject {
    Q_OBJECT
public:
    explicit DocumentObject(QObject* parent = nullptr);
    [[nodiscard]] document::ProjectDocument& Document() { return m_document; }
    // Every change the user makes goes through here, so it can be taken back: applied to the document
    // and kept on the undo stack under `text` ("Add joint 4"). The outcome says whether it was refused.
    document::ApplyOutcome Apply(const document::Edit& edit, const QString& text);
    // An edit already applied (by an editor's own rules) and the edit that undoes it.
    void Record(document::Edit inverse, const QString& text);
    [[nodiscard]] QUndoStack& UndoStack() { return m_undo; }
    // The project was written: this is the state undo comes back to with nothing unsaved.
    void Saved() { m_undo.setClean(); }
    [[nodiscard]] const document::ProjectDocument& Document() const { return m_document; }
    // The results the windows show and the design reads: those of the last analysis, none after a
    // re-analysis stopped (the document drops them then). With load cases, the case or combination
    // chosen in any window's selector (the first case until one is chosen).
    [[nodiscard]] const analysis::Results* Results() const;
    // "Case 1: Dead", ..., "Combination: D+W": what the selectors offer; empty with one set of results.
    [[nodiscard]] QStringList ResultsChoices() const;
    [[nodiscard]] int ShownResults() const { return m_shown; }
    // Every window shows the chosen case or combination (index into ResultsChoices()).
    void ShowResults(int index);
    // The decimal places of the results grids, as the options said when the results were made.
    [[nodiscard]] int ResultPlaces() const { return m_resultPlaces; }
    void SetResultPlaces(int places) { m_resultPlaces = places; }
    // The joint the last analysis found free to move, and along which axis, so the picture can show it;
    // none after an analysis that succeeded or stopped for another reason, and none after any edit.
    [[nodiscard]] const std::optional<drawing::MechanismMark>& StopMark() const { return m_stopMark; }
    void SetStopMark(std::optional<drawing::MechanismMark> mark);
    // The BS 449 tables of the design window's last checks that ran without refusal (tension,
    // compression, welds, in that order), for the word report; none after any edit or analysis.
    enum class DesignCheck { Tension = 0, Compression = 1, Welds = 2 };
    void SetDesignTable(DesignCheck check, std::optional<report::TableRows> table);
    [[nodiscard]] std::vector<report::TableRows> DesignTables() const;

signals:
    void tablesAboutToBeReplaced();   // while the old tables still stand
    void tablesReplaced(bool opened); // New, Open or an import: every table and the title block are new
    // As tableChanged, while the rows are still as they were: inserts and removals are announced here.
    void tableAboutToChange(int table, int kind, int first, int count, int loadCase);
    // Rows of a table (a project::TableId) were changed, inserted or removed (a document::TableChange
    // kind), first .. first + count - 1 in table rows; for the loads table, of load case `loadCase`.
    void tableChanged(int table, int kind, int first, int count, int loadCase);
    void tableEdited(); // after the tableChanged notices of one edit
    void titleEdited();
    // The cases after the first, a case's name or the combinations: `replaced` when the whole set was
    // set anew (the load cases editor, its undo), otherwise rows of a case's loads changed.
    void loadCasesEdited(bool replaced);
    void flagsChanged(); // unsaved or stale changed
    // A remark for the status bar (not a question, nothing to answer): a window's word about an edit.
    void remark(const QString& text);
    void resultsChanged();      // an analysis finished, or the results were cleared
    void shownResultsChanged(); // another case or combination was chosen
    void stopMarkChanged();

private:
    document::ProjectDocument m_document;
    QUndoStack m_undo;
    int m_resultPlaces = 3;
    int m_shown = 0; // index into ResultsChoices()
    std::optional<drawing::MechanismMark> m_stopMark;
    std::array<std::optional<report::TableRows>, 3> m_design{};
};

} // namespace varlen::gui
