// The two ways to a Model, from the tables and straight from a file, must agree field for field: the
// desktop analyses the first and varlen-cli the second, and a difference would give the same project
// two answers.
#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "model/model.h"
#include "model/model_file.h"
#include "project/project_file.h"
#include "sections/catalogue.h"
#include "test_support.h"

namespace varlen::model {
namespace {

std::string Example(const char* name) {
    return std::string(VARLEN_EXAMPLES_DIR) + "/" + name + ".sma";
}

// A field the streaming reader forgot, or converted another way, shows here as a difference.
void ExpectSameModel(std::string_view text, const std::string& what) {
    const ModelOutcome direct = ModelFromText(text);
    const project::ReadOutcome opened = project::ParseProjectText(text);
    ASSERT_TRUE(direct.model && opened.project) << what << ": " << direct.problem.ToString();
    const Model viaTables = BuildModel(*opened.project);
    EXPECT_TRUE(viaTables.problems.empty()) << what << ": " << viaTables.problems.front().message;
    EXPECT_TRUE(*direct.model == viaTables) << what;
    // Pinpoint the first difference for whoever has to find it.
    for (std::size_t j = 0; j < std::min(direct.model->joints.size(), viaTables.joints.size()); ++j)
        if (!(direct.model->joints[j] == viaTables.joints[j])) {
            ADD_FAILURE() << what << ": joint " << j + 1 << " differs";
            break;
        }
}

class ExampleModel : public ::testing::TestWithParam<const char*> {};

TEST_P(ExampleModel, FileReaderEqualsTheTripThroughTheTables) {
    const std::string text = test::ReadFile(Example(GetParam()));
    const ModelOutcome direct = ModelFromText(text);
    ASSERT_TRUE(direct.model);
    EXPECT_GT(direct.model->JointCount(), 2);
    EXPECT_GT(direct.model->MemberCount(), 2);
    ExpectSameModel(text, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleModel,
                         ::testing::Values("roof_truss", "bridge_girder", "braced_frame", "simple_bridge"));

// Seeded trusses with what the examples lack: co-ordinates of 17 digits that the trip through metres
// may move by a unit in the last place, negative and tiny ones, restraint codes other than 0 and 1,
// support lines for joint 0 and lines naming a joint twice, references that name no row, catalogue and
// typed section descriptions, "+" signs and "D" exponents.
std::string GeneratedTruss(unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> coordinate(-5e4, 5e4);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto number = [&](double v) {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", v);
        return std::string(text);
    };
    const int joints = 20 + pick(200);
    std::string t = "\"Generated\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n" + std::to_string(joints) + "\r\n";
    for (int j = 0; j < joints; ++j) {
        const double x = pick(4) == 0 ? 10.5 * pick(100) : coordinate(random);
        const double y = pick(5) == 0 ? 1e-7 * coordinate(random) : coordinate(random);
        t += number(x) + "," + number(y) + ",\"j\"\r\n";
    }
    t += std::to_string(joints) + "\r\n";
    const char* codes[] = {"0", "1", "2", "1.0", "+1", "0.5", "", "1D0"};
    for (int s = 0; s < joints; ++s) {
        const int joint = pick(6) == 0 ? 0 : 1 + pick(joints);
        t += std::to_string(joint) + "," + codes[pick(8)] + "," + codes[pick(8)] + ",\"r\"\r\n";
    }
    t += "2\r\n205,\"steel\"\r\n7.0D1,\"aluminium\"\r\n";
    const auto& catalogue = sections::SquareHollowSections();
    t += "4\r\n";
    t += std::string(sections::AreaTextOfRow(catalogue[5])) + ",\"" + catalogue[5] + "\"\r\n";
    t += "+1000,\"plate {9.957} 0.2 kN/m\"\r\n";
    t += "500,\"no braces, 12 kN/m\"\r\n";
    t += "0,\"}\"\r\n";
    const int members = 2 * joints;
    t += std::to_string(members) + "\r\n";
    for (int m = 0; m < members; ++m) {
        const std::string jointJ = pick(40) == 0 ? "2.5" : std::to_string(1 + pick(joints + 1));
        t += std::to_string(1 + pick(joints)) + "," + jointJ + "," + std::to_string(1 + pick(3)) + "," +
             std::to_string(pick(5)) + ",\"m\"\r\n";
    }
    const int loads = pick(30);
    t += std::to_string(loads) + "\r\n";
    for (int l = 0; l < loads; ++l)
        t += std::to_string(pick(joints + 2)) + "," + number(coordinate(random) / 7) + "," +
             number(coordinate(random) / 3) + ",\"l\"\r\n";
    return t;
}

TEST(GeneratedModel, FileReaderEqualsTheTripThroughTheTables) {
    for (unsigned seed = 1; seed <= 40; ++seed)
        ExpectSameModel(GeneratedTruss(seed), "seed " + std::to_string(seed));
}

// Both readers refuse the same damage in the same words, so varlen-cli and the desktop's Open agree.
TEST(GeneratedModel, FileReaderRefusesWhatOpeningRefuses) {
    const std::string head = "\"\"\n\"\"\n\"\"\n\"\"\n\"\"\n2\n0,0,\"\"\n1000,0,\"\"\n";
    const std::string tail = "1\n200,\"\"\n1\n10,\"\"\n1\n1,2,1,1,\"\"\n0\n";
    for (const std::string supports : {"2\n1,1,1,\"\"\n5,0,1,\"\"\n", "2\n1,1,1,\"\"\n1.5,0,1,\"\"\n",
                                       "1\n1,1,1,\"\"\n", "2\n1,1,1,\"\"\n-4e300,0,1,\"\"\n"}) {
        const ModelOutcome direct = ModelFromText(head + supports + tail);
        const project::ReadOutcome opened = project::ParseProjectText(head + supports + tail);
        EXPECT_FALSE(direct.model);
        ASSERT_FALSE(opened.project);
        EXPECT_EQ(direct.problem.ToString(), opened.problem.ToString());
    }
}

// The strut check and a self-weight load read these; a number taken from the wrong place (the area in
// parentheses, the wall thickness) would pass unnoticed in a sum.
TEST(SectionDescription, CarriesTheRadiusAndTheWeightPerLength) {
    const Section catalogue = SectionOf(1835.619, "100 x 100 x 5.0 x 0.141 kN/m (1835.619){38.430}");
    EXPECT_EQ(catalogue.area, 1835.619);
    EXPECT_EQ(catalogue.radiusOfGyration, 38.43);
    EXPECT_EQ(catalogue.weightPerLength, 0.141);
    const Section typed = SectionOf(1000, "Flat bar {9.957}");
    EXPECT_EQ(typed.radiusOfGyration, 9.957);
    EXPECT_FALSE(typed.weightPerLength);
    const Section plain = SectionOf(1000, "Section");
    EXPECT_FALSE(plain.radiusOfGyration);
    EXPECT_FALSE(plain.weightPerLength);
    EXPECT_FALSE(WeightPerLength("kN/m only"));
    EXPECT_EQ(WeightPerLength("self-weight 12kN/m"), 12);
}

// A cell the editors would refuse (a pasted or hand-edited one) still counts as its leading number, as
// it always did, but the Model says where it is.
TEST(CellProblems, NameTheTableRowAndColumn) {
    project::Project p = test::MakeProject({{0, 0, true, true}, {4, 0, false, true}}, {{1, 2}}, {{2, 1, 0}});
    p.joints.SetCell(2, project::joint_col::X, "4.5.1");
    p.loads.SetCell(1, project::load_col::Fx, "1 0");
    const Model model = BuildModel(p);
    ASSERT_EQ(model.problems.size(), 2u);
    EXPECT_EQ(model.problems[0].table, project::TableId::Joints);
    EXPECT_EQ(model.problems[0].row, 2);
    EXPECT_EQ(model.problems[0].column, project::joint_col::X);
    EXPECT_EQ(model.problems[0].message,
              "Joints, row 2, X: \"4.5.1\" is not one complete number; it is read as 4.5.");
    EXPECT_EQ(model.JointAt(2).x, 4500);
    EXPECT_EQ(model.problems[1].table, project::TableId::Loads);
    EXPECT_EQ(model.problems[1].column, project::load_col::Fx);
    EXPECT_EQ(model.loads[0].fx, 10); // blanks inside a cell are ignored when it is read
}

} // namespace
} // namespace varlen::model
