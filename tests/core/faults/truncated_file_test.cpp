// Files cut short, as a copy that stopped, a full disk under another program or a download broken off
// leave them: every example project and a CAD drawing, cut at every byte. Nothing may crash; a cut
// project file is refused at a line without touching the project open, or, cut inside the text of its
// last record, reads as what is there; a cut drawing is refused at a line or imports the lines it still
// holds.
#include <gtest/gtest.h>

#include <algorithm>

#include "document/project_document.h"
#include "dxf/dxf_import.h"
#include "project/project_file.h"
#include "test_support.h"

namespace varlen {
namespace {

using document::ProjectDocument;
using test::TempDir;

int LineCount(std::string_view text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

class TruncatedProject : public ::testing::TestWithParam<const char*> {};

// A reader that took a file cut inside a section for a whole one, or replaced the open project before
// knowing the file was whole, fails this.
TEST_P(TruncatedProject, IsRefusedWithoutTouchingTheOpenProject) {
    TempDir dir;
    const std::string whole = test::ReadFile(std::filesystem::path(VARLEN_EXAMPLES_DIR) / GetParam());
    const project::ReadOutcome full = project::ParseProjectText(whole);
    ASSERT_TRUE(full.project) << full.problem.ToString();
    const std::string fullText = project::ProjectFileText(*full.project);
    // Everything before the last record's text is the same whenever a cut file is read.
    const std::size_t lastLine = fullText.rfind("\r\n", fullText.size() - 3) + 2;
    const std::size_t lastText = fullText.find('"', lastLine);

    // The open project: another truss, edited and unsaved, so a change to any of it would show. (That a
    // refused file keeps the results of an analysis too is the document's own test.)
    ProjectDocument document;
    (void)document.Apply(document::ReplaceProjectEdit{test::MakeProject(
        {{0, 0, true, true}, {4, 0, false, true}, {2, 2}}, {{1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}})});
    const project::Project before = document.Project();
    int notices = 0;
    document.Subscribe([&](const document::Notice&) { ++notices; });

    int refused = 0;
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const std::string bytes = whole.substr(0, size);
        // A file of its own for each cut: cutting one file again and again waits on the disk each time.
        const auto cut = dir / ("cut" + std::to_string(size) + ".sma");
        test::WriteFile(cut, bytes);
        if (project::ParseProjectText(bytes).project) {
            // Read: only the last record's text can have lost characters, and the document holds it.
            ProjectDocument reading;
            ASSERT_FALSE(reading.Open(cut)) << size;
            EXPECT_EQ(reading.Path(), cut);
            const std::string readText = project::ProjectFileText(reading.Project());
            EXPECT_EQ(readText.substr(0, lastText), fullText.substr(0, lastText)) << "cut at " << size;
            continue;
        }
        ++refused;
        const std::optional<project::Diagnostic> problem = document.Open(cut);
        ASSERT_TRUE(problem) << size;
        EXPECT_GE(problem->line, 1) << size;
        EXPECT_LE(problem->line, LineCount(bytes) + 1) << size;
        EXPECT_FALSE(problem->message.empty()) << size;
        EXPECT_EQ(notices, 0) << "cut at " << size << ": " << problem->ToString();
        EXPECT_EQ(document.Project(), before) << size;
        EXPECT_TRUE(document.Unsaved()) << size;
        EXPECT_TRUE(document.Path().empty()) << size;
    }
    EXPECT_GT(refused, static_cast<int>(whole.size()) * 9 / 10);
}

INSTANTIATE_TEST_SUITE_P(Examples, TruncatedProject,
                         ::testing::Values("simple_bridge.sma", "roof_truss.sma", "braced_frame.sma",
                                           "bridge_girder.sma"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

struct DrawingCase {
    const char* file{};
    std::size_t stride{}; // every offset, or every stride-th one and the last kEveryEnd bytes
};
class TruncatedDrawing : public ::testing::TestWithParam<DrawingCase> {};

// A cut drawing is refused at a line of what is left (or as a whole: no ENTITIES section, no LINE), or
// imports what it still holds: the same joints and members as the whole drawing up to the last line,
// which the cut may have shortened. A reader that read past the end, or took the bytes after a cut for
// another entity, fails this. The import makes a new project and is given none, so it cannot change the
// one open; the desktop program replaces it only with what an import made.
TEST_P(TruncatedDrawing, IsRefusedAtALineOrImportsWhatIsThere) {
    const std::string whole =
        test::ReadFile(std::filesystem::path(VARLEN_SOURCE_DIR) / "tests/data/dxf" / GetParam().file);
    constexpr std::size_t kEveryEnd = 400;
    for (dxf::Plane plane : {dxf::Plane::XY, dxf::Plane::XZ}) {
        const dxf::ImportOutcome full = dxf::ImportDXF(whole, plane);
        ASSERT_TRUE(full.project) << full.problem.ToString();
        int imported = 0;
        for (std::size_t size = 0; size < whole.size(); ++size) {
            if (size % GetParam().stride != 0 && size + kEveryEnd < whole.size()) continue;
            const std::string_view bytes = std::string_view(whole).substr(0, size);
            const dxf::ImportOutcome cut = dxf::ImportDXF(bytes, plane);
            if (!cut.project) {
                EXPECT_FALSE(cut.problem.message.empty()) << size;
                EXPECT_GE(cut.problem.line, 0) << size;
                EXPECT_LE(cut.problem.line, LineCount(bytes)) << size << ": " << cut.problem.ToString();
                continue;
            }
            ++imported;
            const project::Project& p = *cut.project;
            ASSERT_LE(cut.members, full.members) << size;
            // Members and joints before the last line drawn are those of the whole drawing.
            for (int m = 1; m < cut.members; ++m)
                for (int c = 1; c < p.members.ColumnCount(); ++c)
                    ASSERT_EQ(p.members.Cell(m, c), full.project->members.Cell(m, c))
                        << size << " member " << m;
            for (int j = 1; j + 2 <= cut.joints; ++j)
                for (int c = 1; c < p.joints.ColumnCount(); ++c)
                    ASSERT_EQ(p.joints.Cell(j, c), full.project->joints.Cell(j, c)) << size << " joint " << j;
        }
        EXPECT_GT(imported, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Drawings, TruncatedDrawing,
                         ::testing::Values(DrawingCase{"truss_r12.dxf", 1},
                                           DrawingCase{"truss_librecad.dxf", 7},
                                           DrawingCase{"truss_r2000_mm.dxf", 13},
                                           DrawingCase{"truss_r2018_xz_cm.dxf", 7}),
                         [](const ::testing::TestParamInfo<DrawingCase>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

} // namespace
} // namespace varlen
