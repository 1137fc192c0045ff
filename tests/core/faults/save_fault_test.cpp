// Saving a project when the system fails part-way: each step of the write fails in turn (creating the
// temporary file, every block written, the flush, the sync, the close and the rename), as a full disk,
// a read-only folder or a failing device would make it. Whatever step fails, and at whatever point the
// program might have died instead, the project file on disk is the previous one, whole and readable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "document/project_document.h"
#include "io/text_file.h"
#include "project/project_file.h"
#include "test_support.h"

namespace varlen {
namespace {

using document::ProjectDocument;
using io::WriteStep;
using test::TempDir;

const char* StepName(WriteStep step) {
    switch (step) {
    case WriteStep::CreateTemporary:
        return "CreateTemporary";
    case WriteStep::Write:
        return "Write";
    case WriteStep::Flush:
        return "Flush";
    case WriteStep::Sync:
        return "Sync";
    case WriteStep::Close:
        return "Close";
    case WriteStep::Rename:
        return "Rename";
    }
    return "?";
}

// Removes the hook however the test ends, so no other test inherits a failing disk.
struct HookGuard {
    explicit HookGuard(std::function<int(WriteStep)> hook) { io::SetWriteFaultHook(std::move(hook)); }
    ~HookGuard() { io::SetWriteFaultHook({}); }
    HookGuard(const HookGuard&) = delete;
    HookGuard& operator=(const HookGuard&) = delete;
};

// A truss whose file is several of the writer's blocks, so that a write failing in the middle of the
// file is tried as well as the first and the last.
project::Project LargeTruss() {
    std::vector<test::JointSpec> joints;
    std::vector<test::MemberSpec> members;
    constexpr int kBays = 30000;
    for (int b = 0; b <= kBays; ++b) {
        joints.push_back({b * 1.25, 0.0, b == 0, true});
        joints.push_back({b * 1.25, 1.5});
    }
    for (int b = 0; b < kBays; ++b) {
        const int bottom = 2 * b + 1, top = bottom + 1;
        members.push_back({bottom, bottom + 2});
        members.push_back({top, top + 2});
        members.push_back({bottom, top});
        members.push_back({bottom, top + 2});
    }
    return test::MakeProject(joints, members, {{kBays + 2, 0, -12.5}});
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class InterruptedSave : public ::testing::Test {
protected:
    void SetUp() override {
        oldProject = test::MakeProject({{0, 0, true, true}, {4, 0, false, true}, {2, 2}},
                                       {{1, 2}, {2, 3}, {3, 1}}, {{3, 0, -10}});
        ASSERT_TRUE(project::CreateSMA(oldProject, path).ok);
        oldBytes = test::ReadFile(path);
        ASSERT_TRUE(document.Open(path) == std::nullopt);
        (void)document.Apply(document::ReplaceProjectEdit{LargeTruss()});
        ASSERT_TRUE(document.Unsaved());
    }

    // The file under the project's name is the previous project, byte for byte, and opens.
    void ExpectPreviousFileIntact(const std::string& when) {
        EXPECT_EQ(test::ReadFile(path), oldBytes) << when;
        const project::ReadOutcome read = project::ReadProjectFile(path);
        ASSERT_TRUE(read.project) << when << ": " << read.problem.ToString();
        EXPECT_EQ(*read.project, oldProject) << when;
    }

    TempDir dir;
    std::filesystem::path path = dir / "bridge.sma";
    project::Project oldProject;
    std::string oldBytes;
    ProjectDocument document;
};

// Each step of a save fails in turn, the n-th of its kind for the writes. Before every step the file on
// disk is checked too: had the program died there instead, the previous project would be what is left.
// A writer that wrote into the target, or renamed before the data were complete, fails this.
TEST_F(InterruptedSave, AnyFailingStepLeavesThePreviousFileIntact) {
    std::vector<WriteStep> steps;
    {
        TempDir scratch;
        HookGuard hook([&](WriteStep step) {
            steps.push_back(step);
            return 0;
        });
        ASSERT_TRUE(project::CreateSMA(document.Project(), scratch / "count.sma").ok);
    }
    ASSERT_GE(std::count(steps.begin(), steps.end(), WriteStep::Write), 3) << "the file must span blocks";
    ASSERT_EQ(steps.front(), WriteStep::CreateTemporary);
    ASSERT_EQ(steps.back(), WriteStep::Rename);

    for (std::size_t failing = 0; failing < steps.size(); ++failing) {
        const std::string what = "step " + std::to_string(failing) + " (" + StepName(steps[failing]) + ")";
        std::size_t at = 0;
        {
            HookGuard hook([&](WriteStep step) {
                ExpectPreviousFileIntact("before " + std::string(StepName(step)) + " while failing " + what);
                return at++ == failing ? EIO : 0;
            });
            const project::WriteOutcome written = document.Save(path);
            EXPECT_FALSE(written.ok) << what;
            EXPECT_NE(written.error.find(std::strerror(EIO)), std::string::npos)
                << what << ": " << written.error;
            EXPECT_NE(written.error.find(dir.Path().string()), std::string::npos)
                << what << ": " << written.error;
        }
        ExpectPreviousFileIntact("after failing " + what);
        EXPECT_TRUE(document.Unsaved()) << what;
        EXPECT_EQ(document.Path(), path) << what;
        EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"bridge.sma"})
            << what << ": no temporary file may be left behind";
    }

    // The disk recovers: the same save goes through and the new project is what opens.
    ASSERT_TRUE(document.Save(path).ok);
    EXPECT_FALSE(document.Unsaved());
    const project::ReadOutcome read = project::ReadProjectFile(path);
    ASSERT_TRUE(read.project) << read.problem.ToString();
    EXPECT_EQ(*read.project, document.Project());
}

struct SystemFault {
    const char* name{};
    WriteStep step{};
    int error{};
};
class SaveRefusedBySystem : public ::testing::TestWithParam<SystemFault> {};

// A full disk (at a write, or only at the close, as NFS reports it), a quota, a read-only file system or
// a folder without permission: the save says which file and why, in the system's words the desktop
// program shows after "The project could not be saved: ", and the project stays unsaved under its
// old name, so closing still asks to save it.
TEST_P(SaveRefusedBySystem, SaysWhyAndKeepsTheUnsavedFlag) {
    TempDir dir;
    const auto path = dir / "roof.sma";
    ProjectDocument document;
    ASSERT_TRUE(project::CreateSMA(project::NewProject(), path).ok);
    ASSERT_TRUE(document.Open(path) == std::nullopt);
    (void)document.Apply(document::SetTitleEdit{document::TitleField::Designer, "A. N. Engineer"});
    const std::string before = test::ReadFile(path);
    int flagNotices = 0;
    document.Subscribe(
        [&](const document::Notice& n) { flagNotices += n.change == document::Change::FlagsChanged; });

    const SystemFault& fault = GetParam();
    project::WriteOutcome written;
    {
        HookGuard hook([&](WriteStep step) { return step == fault.step ? fault.error : 0; });
        written = document.Save(path);
    }
    EXPECT_FALSE(written.ok);
    EXPECT_NE(written.error.find(std::strerror(fault.error)), std::string::npos) << written.error;
    EXPECT_NE(written.error.find(dir.Path().string()), std::string::npos) << written.error;
    EXPECT_TRUE(document.Unsaved());
    EXPECT_EQ(document.Path(), path);
    EXPECT_EQ(flagNotices, 0);
    EXPECT_EQ(test::ReadFile(path), before);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"roof.sma"});
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveRefusedBySystem,
    ::testing::Values(SystemFault{"DiskFullAtAWrite", WriteStep::Write, ENOSPC},
                      SystemFault{"DiskFullAtTheClose", WriteStep::Close, ENOSPC},
                      SystemFault{"QuotaExceededAtTheFlush", WriteStep::Flush, EDQUOT},
                      SystemFault{"ReadOnlyFileSystem", WriteStep::CreateTemporary, EROFS},
                      SystemFault{"FolderWithoutPermission", WriteStep::CreateTemporary, EACCES}),
    [](const ::testing::TestParamInfo<SystemFault>& info) { return info.param.name; });

// The same with a folder made read-only for real. Root writes into any folder, so there is nothing to
// see when the tests run as root (as CI does); the injected EACCES above covers that case.
TEST(SaveRefusedBySystem, RealReadOnlyFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
    TempDir dir;
    const auto folder = dir / "locked";
    std::filesystem::create_directory(folder);
    const auto path = folder / "roof.sma";
    ProjectDocument document;
    ASSERT_TRUE(project::CreateSMA(project::NewProject(), path).ok);
    ASSERT_TRUE(document.Open(path) == std::nullopt);
    (void)document.Apply(document::SetTitleEdit{document::TitleField::Designer, "A. N. Engineer"});
    const std::string before = test::ReadFile(path);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const project::WriteOutcome written = document.Save(path);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_FALSE(written.ok);
    EXPECT_NE(written.error.find(std::strerror(EACCES)), std::string::npos) << written.error;
    EXPECT_TRUE(document.Unsaved());
    EXPECT_EQ(test::ReadFile(path), before);
}

} // namespace
} // namespace varlen
