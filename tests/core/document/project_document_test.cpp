#include <gtest/gtest.h>

#include "document/project_document.h"
#include "test_support.h"

namespace varlen::document {
namespace {

using test::TempDir;

void EnterTriangle(ProjectDocument& d) {
    (void)d.Apply(ReplaceProjectEdit{test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2}},
                                                       {{1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}})});
}

// Analysing clears only "stale": closing afterwards must still ask to save.
TEST(ProjectDocument, AnalysisClearsStaleNotUnsaved) {
    TempDir dir;
    ProjectDocument d;
    EXPECT_FALSE(d.Unsaved());
    EXPECT_TRUE(d.Stale());
    EnterTriangle(d);
    const AnalysisRun run = d.Analyse(dir.Path());
    ASSERT_TRUE(run.succeeded) << run.Message();
    EXPECT_TRUE(d.Unsaved());
    EXPECT_FALSE(d.Stale());
    ASSERT_NE(d.Results(), nullptr);
    EXPECT_NEAR(d.Results()->AxialForce(2), -7.0710678, 1e-6);
    EXPECT_TRUE(std::filesystem::exists(dir / kTemporaryProject));
    EXPECT_TRUE(std::filesystem::exists(dir / kTemporaryResults));
    (void)d.Apply(SetTitleEdit{TitleField::Designer, "A. N. Engineer"});
    EXPECT_TRUE(d.Stale()) << "an edit after the analysis makes the results stale";
}

TEST(ProjectDocument, FailedAnalysisKeepsStaleAndSaysWhy) {
    TempDir dir;
    ProjectDocument d;
    const AnalysisRun run = d.Analyse(dir.Path());
    EXPECT_FALSE(run.succeeded);
    EXPECT_NE(run.Message().find("Member 1 at end i names joint 0"), std::string::npos) << run.Message();
    EXPECT_TRUE(d.Stale());
    EXPECT_EQ(d.Results(), nullptr);
}

// Results that no longer describe the truss must not outlive a re-analysis that stopped: windows would
// show them as current.
TEST(ProjectDocument, StoppedReanalysisDropsTheEarlierResults) {
    TempDir dir;
    ProjectDocument d;
    EnterTriangle(d);
    ASSERT_TRUE(d.Analyse(dir.Path()).succeeded);
    int resultsNotices = 0;
    d.Subscribe([&](const Notice& notice) { resultsNotices += notice.change == Change::ResultsChanged; });
    // No restraint along X anywhere now.
    (void)d.Apply(SetRowEdit{TableId::Joints, 1, {"0", "0", "", "0", "1", ""}});
    const AnalysisRun run = d.Analyse(dir.Path());
    EXPECT_FALSE(run.succeeded);
    EXPECT_NE(run.Message().find("cannot stop the truss moving"), std::string::npos) << run.Message();
    EXPECT_EQ(d.Results(), nullptr);
    EXPECT_EQ(resultsNotices, 1);
}

TEST(ProjectDocument, SaveAndOpenRoundTrip) {
    TempDir dir;
    ProjectDocument d;
    EnterTriangle(d);
    ASSERT_TRUE(d.Save(dir / "t.sma").ok);
    EXPECT_FALSE(d.Unsaved());
    EXPECT_EQ(d.Path(), dir / "t.sma");
    const project::Project saved = d.Project();
    d.New();
    EXPECT_TRUE(d.Path().empty()) << "Save after New must ask for a name, not overwrite t.sma";
    const auto problem = d.Open(dir / "t.sma");
    ASSERT_FALSE(problem) << problem->ToString();
    EXPECT_EQ(d.Project(), saved);
    EXPECT_FALSE(d.Unsaved());
    EXPECT_TRUE(d.Stale());
}

// A file that cannot be read leaves the tables, the path and the flags as they were.
TEST(ProjectDocument, DamagedFileChangesNothing) {
    TempDir dir;
    ProjectDocument d;
    EnterTriangle(d);
    ASSERT_TRUE(d.Analyse(dir.Path()).succeeded);
    const project::Project before = d.Project();
    test::WriteFile(dir / "bad.sma", "\"a\"\r\n\"b\"\r\n");
    const auto problem = d.Open(dir / "bad.sma");
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->line, 3);
    EXPECT_EQ(d.Project(), before);
    EXPECT_TRUE(d.Unsaved());
    EXPECT_NE(d.Results(), nullptr);
}

TEST(ProjectDocument, FailedSaveKeepsUnsaved) {
    TempDir dir;
    ProjectDocument d;
    EnterTriangle(d);
    const project::WriteOutcome written = d.Save(dir / "no" / "t.sma");
    EXPECT_FALSE(written.ok);
    EXPECT_TRUE(d.Unsaved());
    EXPECT_TRUE(d.Path().empty());
}

TEST(ProjectDocument, ListenersHearWhatChanged) {
    ProjectDocument d;
    std::vector<Change> heard;
    std::vector<TableChange> rows;
    d.Subscribe([&](const Notice& n) {
        heard.push_back(n.change);
        if (n.changes && n.change == Change::TableEdited)
            rows.insert(rows.end(), n.changes->tables.begin(), n.changes->tables.end());
    });
    (void)d.Apply(SetRowEdit{TableId::Materials, 1, {"205", "Steel"}});
    (void)d.Apply(SetRowEdit{TableId::Materials, 2, {"70", "Aluminium"}});
    // Announced while the project still stands, confirmed after; the flags change once.
    EXPECT_EQ(heard, (std::vector<Change>{Change::AboutToEdit, Change::TableEdited, Change::FlagsChanged,
                                          Change::AboutToEdit, Change::TableEdited}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].kind, TableChange::Kind::RowsChanged);
    EXPECT_EQ(rows[1].kind, TableChange::Kind::RowsInserted);
    EXPECT_EQ(rows[1].first, 2);
}

} // namespace
} // namespace varlen::document
