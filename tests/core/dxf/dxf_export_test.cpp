// The DXF writer against files laid out by hand, line by line, and against the reader.
#include <gtest/gtest.h>

#include "dxf/dxf_export.h"
#include "dxf/dxf_import.h"
#include "test_support.h"

namespace varlen {
namespace {

using dxf::Plane;
using test::MakeProject;

// " 10 " as a code line: blank, digits, blank.
std::string Code(int code) {
    return " " + std::to_string(code) + " \r\n";
}
std::string Text(int code, const char* text) {
    return Code(code) + text + "\r\n";
}
std::string Number(int code, const char* number) {
    return Code(code) + number + "\r\n";
}
const std::string kOpening = Text(0, "SECTION") + Text(2, "ENTITIES");
const std::string kClosing = Text(0, "ENDSEC") + Text(0, "EOF");

std::string Line(const char* x1, const char* y1, const char* z1, const char* x2, const char* y2,
                 const char* z2) {
    return Text(0, "LINE") + Text(8, "O") + Number(10, x1) + Number(20, y1) + Number(30, z1) +
           Number(11, x2) + Number(21, y2) + Number(31, z2);
}

std::string Export(const project::Project& project, Plane plane) {
    std::string error;
    const std::optional<std::string> text = dxf::DxfText(project, plane, error);
    EXPECT_TRUE(text) << error;
    return text.value_or("");
}

struct LayoutCase {
    const char* name;
    Plane plane;
    std::string expected;
};

class DxfLayout : public ::testing::TestWithParam<LayoutCase> {};

// The frame of joints (0, 0) and (4, 3) m and one member: 24 lines, millimetres, the truss's Y in the
// drawing's Y or Z. A writer in metres, with unpadded codes, or mixing the planes up fails here.
TEST_P(DxfLayout, OneMemberFrameIsWrittenLineForLine) {
    const project::Project frame = MakeProject({{0, 0}, {4, 3}}, {{1, 2}}, {});
    const std::string text = Export(frame, GetParam().plane);
    EXPECT_EQ(text, GetParam().expected);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 24);
}

INSTANTIATE_TEST_SUITE_P(
    Planes, DxfLayout,
    ::testing::Values(LayoutCase{"XY", Plane::XY,
                                 kOpening + Line(" 0 ", " 0 ", " 0 ", " 4000 ", " 3000 ", " 0 ") + kClosing},
                      LayoutCase{"XZ", Plane::XZ,
                                 kOpening + Line(" 0 ", " 0 ", " 0 ", " 4000 ", " 0 ", " 3000 ") + kClosing}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return info.param.name; });

// A new project's blank member row is no member: the file is the eight-line empty drawing.
TEST(DxfExport, ProjectWithoutMembersGivesTheEmptyDrawing) {
    EXPECT_EQ(Export(project::NewProject(), Plane::XY), kOpening + kClosing);
    EXPECT_EQ(Export(MakeProject({{0, 0}, {1, 0}}, {}, {}), Plane::XZ), kOpening + kClosing);
}

// Members in table order, each from its joint i; a negative value has no blank before it; metres
// become millimetres on the decimal digits (0.0105 m is 10.5 mm, not 10.499999999999998).
TEST(DxfExport, MembersInOrderWithSignsAndExactMillimetres) {
    const project::Project p = MakeProject({{-0.25, 0}, {0.0105, -1.5}, {2, 0.001}}, {{3, 1}, {1, 2}}, {});
    EXPECT_EQ(Export(p, Plane::XY), kOpening + Line(" 2000 ", " 1 ", " 0 ", "-250 ", " 0 ", " 0 ") +
                                        Line("-250 ", " 0 ", " 0 ", " 10.5 ", "-1500 ", " 0 ") + kClosing);
}

// The original stopped with "Save or Open A Grid File First." whatever went wrong, leaving half a file;
// a member naming a joint that is not there is named, and an earlier drawing stays as it was.
TEST(DxfExport, MemberWithoutItsJointIsNamedAndNothingIsWritten) {
    project::Project p = MakeProject({{0, 0}, {4, 0}, {4, 3}}, {{1, 2}, {2, 7}}, {});
    std::string error;
    EXPECT_FALSE(dxf::DxfText(p, Plane::XY, error));
    EXPECT_EQ(error, "Member 2 names joint 7, which is not in the joints table (1 to 3).");

    test::TempDir dir;
    test::WriteFile(dir / "frame.dxf", "earlier drawing");
    const dxf::ExportOutcome outcome = dxf::CreateDXF(p, Plane::XY, dir / "frame.dxf");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(test::ReadFile(dir / "frame.dxf"), "earlier drawing");

    p.members.SetCell(2, project::member_col::JointJ, "3");
    const dxf::ExportOutcome written = dxf::CreateDXF(p, Plane::XY, dir / "frame.dxf");
    EXPECT_TRUE(written.ok) << written.error;
    EXPECT_EQ(written.lines, 2);
    EXPECT_EQ(test::ReadFile(dir / "frame.dxf"), Export(p, Plane::XY));
}

TEST(DxfExport, DrawingGoesBesideTheProjectButNeverOverIt) {
    EXPECT_EQ(dxf::DxfPathFor("/work/bridge.sma"), std::filesystem::path("/work/bridge.dxf"));
    EXPECT_EQ(dxf::DxfPathFor("/work/bridge.v2.sma"), std::filesystem::path("/work/bridge.v2.dxf"));
    EXPECT_EQ(dxf::DxfPathFor("/work/bridge"), std::filesystem::path("/work/bridge.dxf"));
    EXPECT_TRUE(dxf::DxfPathFor("/work/bridge.dxf").empty());
    EXPECT_TRUE(dxf::DxfPathFor("").empty());
}

// Out through the writer and back through the reader, in both planes: the same joints and members (the
// members are in an order that makes the joints in their own order). The file carries millimetres
// without saying so, so the reader is told by a header added here.
TEST(DxfExport, ReadBackGivesTheSameTruss) {
    const project::Project truss = MakeProject({{0, 0}, {6, 0}, {3, 2.25}, {1.5, 1.125}, {4.5, 1.125}},
                                               {{1, 2}, {2, 3}, {3, 1}, {1, 4}, {4, 3}, {3, 5}, {5, 2}}, {});
    for (Plane plane : {Plane::XY, Plane::XZ}) {
        const std::string header = Text(0, "SECTION") + Text(2, "HEADER") + Text(9, "$INSUNITS") +
                                   Number(70, "4") + Text(0, "ENDSEC");
        const dxf::ImportOutcome back = dxf::ImportDXF(header + Export(truss, plane), plane);
        ASSERT_TRUE(back.project) << back.problem.ToString();
        EXPECT_EQ(back.project->members.EntryCount(), truss.members.EntryCount());
        for (int m = 1; m <= truss.members.EntryCount(); ++m)
            for (int c : {project::member_col::JointI, project::member_col::JointJ})
                EXPECT_EQ(back.project->members.Cell(m, c), truss.members.Cell(m, c)) << "member " << m;
        ASSERT_EQ(back.project->joints.EntryCount(), truss.joints.EntryCount());
        for (int j = 1; j <= truss.joints.EntryCount(); ++j)
            for (int c : {project::joint_col::X, project::joint_col::Y})
                EXPECT_EQ(back.project->joints.Cell(j, c), truss.joints.Cell(j, c)) << "joint " << j;
    }
}

} // namespace
} // namespace varlen
