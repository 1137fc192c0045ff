// The load cases editor's actions: each one edit of the whole set, refused with a reason when it would
// leave the set unusable, and undone exactly.
#include <gtest/gtest.h>

#include <cmath>

#include "document/load_case_edits.h"
#include "project/number_text.h"
#include "test_support.h"

namespace varlen::document {
namespace {

project::Project Roof() {
    project::Project p = test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2}},
                                           {{1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}});
    p.firstCaseName = "Dead";
    return p;
}

// Applies the action's edit, failing the test on a refusal.
void Do(project::Project& p, const LoadCaseAction& action) {
    ASSERT_TRUE(std::holds_alternative<SetLoadCasesEdit>(action)) << std::get<std::string>(action);
    ASSERT_TRUE(ApplyEdit(p, std::get<SetLoadCasesEdit>(action)).applied);
}

std::string Refusal(const LoadCaseAction& action) {
    return std::holds_alternative<std::string>(action) ? std::get<std::string>(action) : std::string();
}

TEST(LoadCaseEdits, BuildCasesAndCombinationsStepByStep) {
    project::Project p = Roof();
    Do(p, AddCase(p, "  Imposed "));
    Do(p, AddCase(p, "Wind"));
    Do(p, AddCombination(p, "D+I"));
    Do(p, SetFactor(p, 1, 1, "1.4"));
    Do(p, SetFactor(p, 1, 2, "1.6"));
    Do(p, SetFactor(p, 1, 2, "1.5")); // changes the factor in place
    EXPECT_EQ(p.CaseName(2), "Imposed");
    EXPECT_EQ(FactorOf(p, 1, 1), "1.4");
    EXPECT_EQ(FactorOf(p, 1, 2), "1.5");
    EXPECT_EQ(FactorOf(p, 1, 3), "");
    EXPECT_EQ(p.combinations[0].factors.EntryCount(), 2);
    Do(p, SetFactor(p, 1, 1, "")); // a blank takes the case out
    EXPECT_EQ(p.combinations[0].factors.EntryCount(), 1);
    Do(p, RenameCombination(p, 1, "I only"));
    EXPECT_EQ(p.combinations[0].name, "I only");
}

TEST(LoadCaseEdits, RemovingACaseTakesItsFactorsAndRenumbersTheRest) {
    project::Project p = Roof();
    Do(p, AddCase(p, "Imposed"));
    Do(p, AddCase(p, "Wind"));
    Do(p, AddCombination(p, "D+I+W"));
    for (int c = 1; c <= 3; ++c)
        Do(p, SetFactor(p, 1, c, std::to_string(c)));
    const project::Project before = p;
    const LoadCaseAction removal = RemoveCase(p, 2);
    Do(p, removal);
    EXPECT_EQ(p.CaseCount(), 2);
    EXPECT_EQ(p.CaseName(2), "Wind");
    EXPECT_EQ(FactorOf(p, 1, 1), "1");
    EXPECT_EQ(FactorOf(p, 1, 2), "3") << "Wind was case 3 and keeps its factor as case 2";
    EXPECT_EQ(p.combinations[0].factors.EntryCount(), 2);
    // One step back restores the case, its loads and every factor.
    const ApplyOutcome undo =
        ApplyEdit(p, SetLoadCasesEdit{before.firstCaseName, before.moreCases, before.combinations});
    ASSERT_TRUE(undo.applied);
    EXPECT_EQ(p, before);
}

// Self-weight: the triangle's three members, each 0.1 kN/m, half of each to its ends.
TEST(LoadCaseEdits, SelfWeightCaseFromTheSections) {
    project::Project p = Roof();
    EXPECT_EQ(Refusal(AddSelfWeightCase(p, "SW"))
                  .rfind("The self-weight case cannot be made:\nMember 1: its "
                         "cross-section 1 states no weight per length",
                         0),
              0u);
    p.sections.SetCell(1, project::section_col::Description, "0.1 kN/m");
    Do(p, AddSelfWeightCase(p, "SW"));
    ASSERT_EQ(p.CaseCount(), 2);
    const project::Table& loads = p.CaseLoads(2);
    ASSERT_EQ(loads.EntryCount(), 3);
    // Joint 1 carries half of the 4 m tie and half of the 2.828 m rafter.
    EXPECT_EQ(std::string(loads.Cell(1, project::load_col::Joint)), "1");
    EXPECT_NEAR(project::ReadNumber(loads.Cell(1, project::load_col::Fy)), -(0.2 + 0.1 * std::sqrt(8.0) / 2),
                1e-12);
}

TEST(LoadCaseEdits, RefusalsSayWhy) {
    project::Project p = Roof();
    Do(p, AddCase(p, "Wind"));
    Do(p, AddCombination(p, "D+W"));
    EXPECT_EQ(Refusal(AddCase(p, "  ")), "A load case or combination needs a name.");
    EXPECT_EQ(Refusal(AddCase(p, "Wind")), "Load case 2 is already named \"Wind\".");
    EXPECT_EQ(Refusal(AddCombination(p, "Dead")), "Load case 1 is already named \"Dead\".");
    EXPECT_EQ(Refusal(AddCase(p, "D+W")), "Combination 1 is already named \"D+W\".");
    // A quote is stored as an apostrophe: the two names would be one in the file.
    Do(p, RenameCase(p, 2, "Wind 'A'"));
    EXPECT_EQ(Refusal(AddCase(p, "Wind \"A\"")), "Load case 2 is already named \"Wind 'A'\".");
    EXPECT_TRUE(Refusal(RenameCase(p, 2, "Wind 'A'")).empty()) << "a case keeps its own name";
    EXPECT_EQ(Refusal(RemoveCase(p, 1)).rfind("Load case 1 holds the joint loads table", 0), 0u);
    EXPECT_EQ(Refusal(SetFactor(p, 1, 2, "1.4.1")),
              "The factor of \"Wind 'A'\" must be one number, not \"1.4.1\".");
    EXPECT_EQ(Refusal(SetFactor(p, 2, 1, "1")), "There is no combination 2.");
    EXPECT_EQ(Refusal(SetCaseLoads(p, 1, project::EmptyLoadsTable())),
              "The joint loads of load case 1 are not kept here.");
}

} // namespace
} // namespace varlen::document
