#include <gtest/gtest.h>

#include <cmath>

#include "analysis/analysis.h"
#include "model/model.h"
#include "model/model_file.h"
#include "model/self_weight.h"
#include "project/number_text.h"
#include "project/project_file.h"
#include "test_support.h"

namespace varlen {
namespace {

using project::FormatGeneral;

project::Table LoadsTable(const std::vector<test::LoadSpec>& loads) {
    project::Table table = project::EmptyLoadsTable();
    table.SetRowCount(static_cast<int>(loads.size()) + 1);
    for (int r = 1; r <= static_cast<int>(loads.size()); ++r) {
        const test::LoadSpec& l = loads[static_cast<std::size_t>(r - 1)];
        table.SetRow(r, {"", std::to_string(l.joint), FormatGeneral(l.fx), FormatGeneral(l.fy), "Load"});
    }
    return table;
}

project::Combination MakeCombination(std::string name,
                                     const std::vector<std::pair<int, std::string>>& factors) {
    project::Combination c{std::move(name), project::EmptyFactorsTable()};
    c.factors.SetRowCount(static_cast<int>(factors.size()) + 1);
    for (int r = 1; r <= static_cast<int>(factors.size()); ++r)
        c.factors.SetRow(r, {"", std::to_string(factors[static_cast<std::size_t>(r - 1)].first),
                             factors[static_cast<std::size_t>(r - 1)].second});
    return c;
}

// A 6 m Pratt roof of two panels a side: pinned at 1, roller at 5, top chord 6-7-8.
const std::vector<test::JointSpec> kJoints = {{0, 0, true, true},  {1.5, 0}, {3, 0}, {4.5, 0},
                                              {6, 0, false, true}, {1.5, 1}, {3, 2}, {4.5, 1}};
const std::vector<test::MemberSpec> kMembers = {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {1, 6}, {6, 7}, {7, 8},
                                                {8, 5}, {2, 6}, {3, 7}, {4, 8}, {6, 3}, {8, 3}};
const std::vector<test::LoadSpec> kDead = {{6, 0, -10}, {7, 0, -10}, {8, 0, -10}};
const std::vector<test::LoadSpec> kImposed = {{7, 0, -15}};
// Suction on the roof, larger than the dead load: every member's force changes sign.
const std::vector<test::LoadSpec> kWind = {{6, -2, 25}, {7, 0, 25}, {8, 2, 25}};

project::Project RoofWithCases() {
    project::Project p = test::MakeProject(kJoints, kMembers, kDead);
    p.firstCaseName = "Dead";
    p.moreCases.push_back({"Imposed", LoadsTable(kImposed)});
    p.moreCases.push_back({"Wind", LoadsTable(kWind)});
    p.combinations.push_back(MakeCombination("1.4D+1.6I", {{1, "1.4"}, {2, "1.6"}}));
    p.combinations.push_back(MakeCombination("1.0D+1.4W", {{1, "1"}, {3, "1.4"}}));
    return p;
}

analysis::AnalysisOutcome AnalyseCases(const project::Project& p) {
    return analysis::Analyse(model::BuildModel(p), {analysis::Ordering::Auto, {}, true});
}

// ---- The project file's load cases block ----

TEST(LoadCaseBlock, RoundTripsThroughBothReaders) {
    const project::Project p = RoofWithCases();
    const std::string text = project::ProjectFileText(p);
    EXPECT_NE(text.find("\r\n3,2,\"LOAD CASES\"\r\n0,\"Dead\"\r\n1,\"Imposed\"\r\n 7 , 0 ,-15 ,\"Load\"\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\r\n2,\"1.0D+1.4W\"\r\n 1 , 1 ,\"Dead\"\r\n 3 , 1.4 ,\"Wind\"\r\n"),
              std::string::npos)
        << text;
    const project::ReadOutcome read = project::ParseProjectText(text);
    ASSERT_TRUE(read.project) << read.problem.ToString();
    EXPECT_EQ(*read.project, p);
    const model::ModelOutcome fast = model::ModelFromText(text);
    ASSERT_TRUE(fast.model) << fast.problem.ToString();
    EXPECT_EQ(*fast.model, model::BuildModel(p));
    EXPECT_EQ(project::ProjectFileText(*read.project), text);
}

// A project of one case as new has no block; its file is what it always was.
TEST(LoadCaseBlock, OneCaseAsNewWritesNoBlock) {
    project::Project p = test::MakeProject(kJoints, kMembers, kDead);
    const std::string plain = project::ProjectFileText(p);
    EXPECT_EQ(plain.find("LOAD CASES"), std::string::npos);
    EXPECT_EQ(plain.substr(plain.size() - 2), "\r\n");
    // Renaming the only case is something the file must keep.
    p.firstCaseName = "Dead";
    const std::string renamed = project::ProjectFileText(p);
    std::string expected = plain;
    const std::string loadsCount = "\r\n3\r\n 6 , 0 ,-10 ";
    expected.replace(expected.find(loadsCount), loadsCount.size(),
                     "\r\n3,\"LOAD CASES FOLLOW\"\r\n 6 , 0 ,-10 ");
    EXPECT_EQ(renamed, expected + "1,0,\"LOAD CASES\"\r\n0,\"Dead\"\r\n");
    const project::ReadOutcome read = project::ParseProjectText(renamed);
    ASSERT_TRUE(read.project) << read.problem.ToString();
    EXPECT_EQ(read.project->firstCaseName, "Dead");
}

// A DamagedBlock's `to` that cuts the file off where `from` begins.
const std::string kCutHere = "\x01";

struct DamagedBlock {
    const char* name;
    std::string from, to; // replaced in the file of RoofWithCases
    int line;             // of the file, where the reader must point
    const char* words;
};

class DamagedLoadCaseBlock : public ::testing::TestWithParam<DamagedBlock> {};

TEST_P(DamagedLoadCaseBlock, IsRefusedAtItsLineByBothReaders) {
    std::string text = project::ProjectFileText(RoofWithCases());
    const std::size_t at = text.find(GetParam().from);
    ASSERT_NE(at, std::string::npos);
    if (GetParam().to == kCutHere)
        text.resize(at);
    else
        text.replace(at, GetParam().from.size(), GetParam().to);
    const project::ReadOutcome read = project::ParseProjectText(text);
    ASSERT_FALSE(read.project);
    EXPECT_EQ(read.problem.line, GetParam().line) << read.problem.ToString();
    EXPECT_NE(read.problem.message.find(GetParam().words), std::string::npos) << read.problem.ToString();
    const model::ModelOutcome fast = model::ModelFromText(text);
    ASSERT_FALSE(fast.model);
    EXPECT_EQ(fast.problem.ToString(), read.problem.ToString());
}

// The roof's file: title 1-5, joints 6-14, supports 15-23, materials 24-25, sections 26-27, members
// 28-41, loads 42-45, the block's line 46, Dead 47, Imposed 48-49, Wind 50-53, 1.4D+1.6I 54-56.
INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedLoadCaseBlock,
    ::testing::Values(
        DamagedBlock{"CutBeforeTheBlock", "3,2,\"LOAD CASES\"", kCutHere, 46,
                     "announces a load cases block, but the file ends"},
        DamagedBlock{"MarkMisspelt", "\"LOAD CASES\"", "\"LOAD CASE\"", 46,
                     "unexpected text after the joint loads"},
        DamagedBlock{"NoCases", "3,2,\"LOAD", "0,2,\"LOAD", 46, "number of load cases (1 or more)"},
        DamagedBlock{"CountNotANumber", "3,2,\"LOAD", "3,x,\"LOAD", 46, "number of combinations"},
        DamagedBlock{"FirstCaseWithLoads", "0,\"Dead\"", "2,\"Dead\"", 47, "must be 0, found 2"},
        DamagedBlock{"CaseWithoutName", "1,\"Imposed\"", "1,\"  \"", 48, "load case 2 has no name"},
        DamagedBlock{"NameTwice", "3,\"Wind\"", "3,\"Dead\"", 50, "named \"Dead\", as load case 1"},
        DamagedBlock{"CombinationNamedAsCase", "2,\"1.4D+1.6I\"", "2,\"Wind\"", 54, "as load case 3"},
        DamagedBlock{"LoadNotANumber", " 7 , 0 ,-15 ,", " 7 , 0 ,-1x5 ,", 49,
                     "the Fy of joint load 1 of load case 2 is not a number"},
        DamagedBlock{"FactorNotANumber", " 2 , 1.6 ,", " 2 , 1.6.1 ,", 56,
                     "the factor of factor 2 of combination 1 is not a number"},
        DamagedBlock{"FactorWithoutText", " 2 , 1.6 ,\"Imposed\"", " 2 , 1.6", 56, "2 numbers and a text"},
        DamagedBlock{"CaseCountTooSmall", "3,2,\"LOAD", "2,2,\"LOAD", 51, "a factor record has 2 numbers"},
        DamagedBlock{"ShortCaseCount", "3,\"Wind\"", "9,\"Wind\"", 54, "a joint load record has 3 numbers"},
        DamagedBlock{"EndsInsideCombination", " 3 , 1.4 ,\"Wind\"\r\n", "", 59,
                     "2 factors were announced, 1 found"},
        DamagedBlock{"TextAfterBlock", " 3 , 1.4 ,\"Wind\"\r\n", " 3 , 1.4 ,\"Wind\"\r\nnoise\r\n", 60,
                     "after the load cases block"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Analysis of every case from one factorisation ----

analysis::Results AnalyseAlone(const std::vector<test::LoadSpec>& loads) {
    return test::AnalyseOrFail(test::MakeProject(kJoints, kMembers, loads));
}

std::vector<test::LoadSpec>
Factored(const std::vector<std::pair<const std::vector<test::LoadSpec>*, double>>& parts) {
    std::vector<test::LoadSpec> loads;
    for (const auto& [list, factor] : parts)
        for (const test::LoadSpec& l : *list)
            loads.push_back({l.joint, factor * l.fx, factor * l.fy});
    return loads;
}

void ExpectSameForces(const analysis::Results& a, const analysis::Results& b, const std::string& what) {
    ASSERT_EQ(a.MemberCount(), b.MemberCount());
    for (int m = 1; m <= a.MemberCount(); ++m)
        EXPECT_NEAR(a.AxialForce(m), b.AxialForce(m), 1e-9 * (1 + std::abs(b.AxialForce(m))))
            << what << ", member " << m;
    for (int j = 1; j <= a.JointCount(); ++j) {
        EXPECT_NEAR(a.Dy(j), b.Dy(j), 1e-12 + 1e-9 * std::abs(b.Dy(j))) << what << ", joint " << j;
        EXPECT_NEAR(a.SupportReaction(j).ry, b.SupportReaction(j).ry, 1e-9) << what << ", joint " << j;
    }
}

TEST(LoadCaseAnalysis, CasesAndCombinationsMatchSeparateAnalyses) {
    const analysis::AnalysisOutcome outcome = AnalyseCases(RoofWithCases());
    ASSERT_TRUE(outcome.loadCases) << outcome.Message();
    const analysis::LoadCaseResults& all = *outcome.loadCases;
    ASSERT_EQ(all.cases.size(), 3u);
    ASSERT_EQ(all.combinations.size(), 2u);
    EXPECT_EQ(all.cases[2].name, "Wind");
    ExpectSameForces(all.cases[0].results, AnalyseAlone(kDead), "Dead");
    ExpectSameForces(all.cases[1].results, AnalyseAlone(kImposed), "Imposed");
    ExpectSameForces(all.cases[2].results, AnalyseAlone(kWind), "Wind");
    ExpectSameForces(all.combinations[0].results, AnalyseAlone(Factored({{&kDead, 1.4}, {&kImposed, 1.6}})),
                     "1.4D+1.6I");
    ExpectSameForces(all.combinations[1].results, AnalyseAlone(Factored({{&kDead, 1.0}, {&kWind, 1.4}})),
                     "1.0D+1.4W");
    // The first case's results are the ones every single-case window shows.
    ExpectSameForces(*outcome.results, all.cases[0].results, "first case");
}

TEST(LoadCaseAnalysis, EnvelopeTakesEachMembersWorstTensionAndCompression) {
    const analysis::AnalysisOutcome outcome = AnalyseCases(RoofWithCases());
    ASSERT_TRUE(outcome.loadCases) << outcome.Message();
    const analysis::LoadCaseResults& all = *outcome.loadCases;
    const analysis::Results& gravity = all.combinations[0].results;
    const analysis::Results& uplift = all.combinations[1].results;
    int reversed = 0;
    for (int m = 1; m <= gravity.MemberCount(); ++m) {
        const analysis::MemberEnvelope& e = all.members[static_cast<std::size_t>(m) - 1];
        const double a = gravity.AxialForce(m), b = uplift.AxialForce(m);
        if (a > 0 && b < 0) {
            ++reversed;
            EXPECT_EQ(e.tension, (analysis::Extreme{a, 1})) << "member " << m;
            EXPECT_EQ(e.compression, (analysis::Extreme{b, 2})) << "member " << m;
        } else if (a < 0 && b > 0) {
            ++reversed;
            EXPECT_EQ(e.tension, (analysis::Extreme{b, 2})) << "member " << m;
            EXPECT_EQ(e.compression, (analysis::Extreme{a, 1})) << "member " << m;
        }
        EXPECT_EQ(std::abs(e.absolute.value), std::max(std::abs(a), std::abs(b))) << "member " << m;
    }
    EXPECT_GE(reversed, 10); // the wind reverses (nearly) every member: the test has teeth
    EXPECT_EQ(all.NameOf(all.members[0].compression), "1.0D+1.4W");
    // The pinned support holds the roof down under the wind and up under gravity.
    ASSERT_EQ(all.reactions.size(), 2u);
    const analysis::ReactionEnvelope& pin = all.reactions[0];
    EXPECT_EQ(pin.joint, 1);
    EXPECT_EQ(pin.maxRy.by, 1);
    EXPECT_GT(pin.maxRy.value, 0);
    EXPECT_EQ(pin.minRy.by, 2);
    EXPECT_LT(pin.minRy.value, 0);
}

TEST(LoadCaseAnalysis, WithoutCombinationsTheCasesAreEnveloped) {
    project::Project p = RoofWithCases();
    p.combinations.clear();
    const analysis::AnalysisOutcome outcome = AnalyseCases(p);
    ASSERT_TRUE(outcome.loadCases) << outcome.Message();
    EXPECT_TRUE(outcome.loadCases->combinations.empty());
    EXPECT_EQ(&outcome.loadCases->Combined(), &outcome.loadCases->cases);
    EXPECT_EQ(outcome.loadCases->NameOf(outcome.loadCases->members[0].compression), "Wind");
}

struct BadCases {
    const char* name;
    void (*spoil)(project::Project&);
    const char* words;
};

class BadLoadCases : public ::testing::TestWithParam<BadCases> {};

TEST_P(BadLoadCases, StopTheRunNamingTheFault) {
    project::Project p = RoofWithCases();
    GetParam().spoil(p);
    const analysis::AnalysisOutcome outcome = AnalyseCases(p);
    EXPECT_FALSE(outcome.results);
    EXPECT_FALSE(outcome.loadCases);
    EXPECT_EQ(outcome.reason, analysis::StopReason::Input);
    EXPECT_NE(outcome.Message().find(GetParam().words), std::string::npos) << outcome.Message();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadLoadCases,
    ::testing::Values(BadCases{"CaseWithoutLoads",
                               [](project::Project& p) { p.moreCases[0].loads.SetRowCount(1); },
                               "Load case 2 (\"Imposed\") has no loads."},
                      BadCases{"MissingCase",
                               [](project::Project& p) {
                                   p.combinations[1].factors.SetCell(2, project::factor_col::Case, "4");
                               },
                               "Factor 2 of combination 2 (\"1.0D+1.4W\") names load case 4, which is not a "
                               "load case from 1 to 3."},
                      BadCases{"FactorNotANumber",
                               [](project::Project& p) {
                                   p.combinations[0].factors.SetCell(1, project::factor_col::Factor, "1.4x");
                               },
                               "Factor 1 of combination 1 (\"1.4D+1.6I\") is not a finite number."},
                      BadCases{"NameTwice", [](project::Project& p) { p.combinations[0].name = "Imposed"; },
                               "Combination 1 (\"Imposed\") has the name of load case 2 (\"Imposed\")."},
                      BadCases{"CombinationWithoutFactors",
                               [](project::Project& p) { p.combinations[0].factors.SetRowCount(1); },
                               "Combination 1 (\"1.4D+1.6I\") has no factors."},
                      BadCases{"LoadOnMissingJoint",
                               [](project::Project& p) { p.moreCases[1].loads.SetCell(1, 1, "99"); },
                               "Load 1 of load case 3 (\"Wind\")"}),
    [](const auto& info) { return std::string(info.param.name); });

// Asked for the first case alone, the analysis neither reads nor checks the others.
TEST(LoadCaseAnalysis, FirstCaseAloneIgnoresTheOthers) {
    project::Project p = RoofWithCases();
    p.moreCases[0].loads.SetRowCount(1);
    const analysis::AnalysisOutcome outcome = analysis::Analyse(model::BuildModel(p));
    ASSERT_TRUE(outcome.results) << outcome.Message();
    EXPECT_FALSE(outcome.loadCases);
    ExpectSameForces(*outcome.results, AnalyseAlone(kDead), "Dead");
}

} // namespace
} // namespace varlen

namespace varlen {
namespace {

// Self-weight against a hand sum: half of each member's weight to each of its joints, downwards.
TEST(SelfWeight, HalfOfEachMembersWeightGoesToEachEnd) {
    // 3-4-5 triangle: members 1-2 (4 m), 2-3 (3 m), 1-3 (5 m).
    project::Project p =
        test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {4, 3}},
                          {{1, 2, 1, 1}, {2, 3, 1, 2}, {1, 3, 1, 1}}, {}, {200}, {1000, 500});
    p.sections.SetCell(1, project::section_col::Description, "100 x 50 x 0.100 kN/m (1000){20}");
    p.sections.SetCell(2, project::section_col::Description, "0.02kN/m");
    const model::SelfWeightOutcome weight = model::SelfWeight(model::BuildModel(p));
    ASSERT_TRUE(weight.Made()) << weight.problems.front();
    ASSERT_EQ(weight.loads.size(), 3u);
    EXPECT_EQ(weight.loads[0], (model::Load{1, 0, -(0.2 + 0.25)}));
    EXPECT_EQ(weight.loads[1], (model::Load{2, 0, -(0.2 + 0.03)}));
    EXPECT_EQ(weight.loads[2], (model::Load{3, 0, -(0.03 + 0.25)}));
}

TEST(SelfWeight, IsNotMadeWhenASectionStatesNoWeight) {
    project::Project p =
        test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {4, 3}},
                          {{1, 2, 1, 1}, {2, 3, 1, 2}, {1, 3, 1, 2}}, {}, {200}, {1000, 500});
    p.sections.SetCell(1, project::section_col::Description, "0.1 kN/m");
    p.sections.SetCell(2, project::section_col::Description, "RHS 50 x 25");
    const model::SelfWeightOutcome weight = model::SelfWeight(model::BuildModel(p));
    EXPECT_FALSE(weight.Made());
    EXPECT_TRUE(weight.loads.empty());
    ASSERT_EQ(weight.problems.size(), 2u);
    EXPECT_EQ(weight.problems[0],
              "Member 2: its cross-section 2 states no weight per length (a number before \"kN/m\" in its "
              "description).");
    EXPECT_EQ(weight.problems[1].rfind("Member 3:", 0), 0u);
}

} // namespace
} // namespace varlen
