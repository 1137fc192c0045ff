// Drawings written by real CAD software, not by our own writer: ezdxf's R12, R2000 and R2018 files and
// LibreCAD's (scripts/make-dxf-test-data.py, scripts/make-librecad-dxf.sh). Each holds the same 6 m
// truss among the entities such drawings carry, in its own units and plane.
#include <gtest/gtest.h>

#include "dxf/dxf_import.h"
#include "project/number_text.h"
#include "test_support.h"

namespace varlen {
namespace {

using dxf::Plane;

struct CadFile {
    const char* name;
    const char* file;
    Plane plane;
    const char* units;   // as the message says
    const char* leftOut; // as the message says
};
class DxfCadFile : public ::testing::TestWithParam<CadFile> {};

// A reader that trips on handles, subclass markers, tables, blocks, a dimension's anonymous block or
// version-specific codes, that reads a polyline's vertices or a block's lines as members, or that gets
// the units or the plane wrong, gives other joints or members here.
TEST_P(DxfCadFile, GivesTheTrussInMetres) {
    const std::string bytes =
        test::ReadFile(std::filesystem::path(VARLEN_SOURCE_DIR) / "tests/data/dxf" / GetParam().file);
    const dxf::ImportOutcome out = dxf::ImportDXF(bytes, GetParam().plane);
    ASSERT_TRUE(out.project) << out.problem.ToString();
    const project::Project& p = *out.project;

    const double joints[][2] = {{0, 0}, {2, 0}, {4, 0}, {6, 0}, {2, 1.5}, {4, 1.5}};
    ASSERT_EQ(p.joints.EntryCount(), 6);
    for (int j = 1; j <= 6; ++j) {
        // ezdxf's R2000 drawing carries CAD float noise; the joint keeps the first point that made it.
        EXPECT_NEAR(project::ReadNumber(p.joints.Cell(j, project::joint_col::X)), joints[j - 1][0], 1e-12)
            << j;
        EXPECT_NEAR(project::ReadNumber(p.joints.Cell(j, project::joint_col::Y)), joints[j - 1][1], 1e-12)
            << j;
    }
    const int members[][2] = {{1, 2}, {2, 3}, {3, 4}, {1, 5}, {5, 6}, {6, 4}, {2, 5}, {3, 6}, {2, 6}};
    ASSERT_EQ(p.members.EntryCount(), 9);
    for (int m = 1; m <= 9; ++m) {
        EXPECT_EQ(p.members.Cell(m, project::member_col::JointI), std::to_string(members[m - 1][0])) << m;
        EXPECT_EQ(p.members.Cell(m, project::member_col::JointJ), std::to_string(members[m - 1][1])) << m;
    }
    EXPECT_NE(out.message.find(GetParam().units), std::string::npos) << out.message;
    EXPECT_NE(out.message.find(GetParam().leftOut), std::string::npos) << out.message;
    EXPECT_EQ(out.message.find("Drawn twice"), std::string::npos) << out.message;
    EXPECT_EQ(out.message.find("zero length"), std::string::npos) << out.message;
}

INSTANTIATE_TEST_SUITE_P(
    Files, DxfCadFile,
    ::testing::Values(
        CadFile{"EzdxfR12", "truss_r12.dxf", Plane::XY, "Drawing units: no units (taken as metres).",
                "Left out, as only LINE entities become members: 2 INSERT, 1 CIRCLE, 1 TEXT, 1 POLYLINE."},
        CadFile{"EzdxfR2000Millimetres", "truss_r2000_mm.dxf", Plane::XY,
                "Drawing units: millimetres, converted to metres.",
                "Left out, as only LINE entities become members: 1 LWPOLYLINE, 1 MTEXT, 1 DIMENSION, 1 "
                "ARC, 1 LINE in paper space."},
        CadFile{"EzdxfR2018UprightCentimetres", "truss_r2018_xz_cm.dxf", Plane::XZ,
                "Drawing units: centimetres, converted to metres.",
                "Left out, as only LINE entities become members: 1 POINT, 1 ELLIPSE, 1 SPLINE."},
        CadFile{"LibreCad", "truss_librecad.dxf", Plane::XY,
                "Drawing units: millimetres, converted to metres.",
                "Left out, as only LINE entities become members: 1 LWPOLYLINE, 1 MTEXT, 1 DIMENSION, 1 "
                "ARC."}),
    [](const ::testing::TestParamInfo<CadFile>& info) { return info.param.name; });

} // namespace
} // namespace varlen
