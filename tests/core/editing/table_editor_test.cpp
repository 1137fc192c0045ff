// The shared row-editing rules, on the joints, members and loads tables.
#include <gtest/gtest.h>

#include "document/project_document.h"
#include "editing/table_editor.h"
#include "project/number_text.h"
#include "test_support.h"

namespace varlen::editing {
namespace {

void Load(document::ProjectDocument& d, project::Project project) {
    (void)d.Apply(document::ReplaceProjectEdit{std::move(project)});
}

std::vector<std::string> Joint(const char* x, const char* y, const char* text = "J") {
    return {x, y, text, "0", "0", "None"};
}

std::vector<std::string> Numbers(const project::Table& table, int column) {
    std::vector<std::string> cells;
    for (int r = 1; r < table.RowCount(); ++r)
        cells.emplace_back(table.Cell(r, column));
    return cells;
}

TEST(TableEditor, FirstAddFillsTheBlankRowThenAppends) {
    document::ProjectDocument d;
    Load(d, project::NewProject());
    const project::Project& p = d.Project();
    TableEditor joints(p, TableKind::Joints);
    EXPECT_EQ(joints.NextNumber(), 1);
    EXPECT_EQ(joints.Add(d, Joint("2.50", "")).row, 1);
    EXPECT_EQ(p.joints.Cell(1, 2), "2.5") << "numbers are normalised";
    EXPECT_EQ(p.joints.Cell(1, 3), "0") << "an empty number box stores 0";
    EXPECT_EQ(joints.NextNumber(), 2);
    const AddOutcome second = joints.Add(d, Joint("4", "1"));
    EXPECT_EQ(second.kind, AddKind::Appended);
    EXPECT_EQ(second.row, 2);
    EXPECT_EQ(p.joints.EntryCount(), 2);
    EXPECT_EQ(joints.NextNumber(), 3);
}

// Row 1 of three shows "&Add >", yet a new row goes in before row 1: only the last row appends.
TEST(TableEditor, CaptionFollowsTheRowButTheRowDecides) {
    document::ProjectDocument d;
    Load(d, project::NewProject());
    const project::Project& p = d.Project();
    TableEditor joints(p, TableKind::Joints);
    for (const char* x : {"1", "2", "3"})
        joints.Add(d, Joint(x, "0"));
    joints.SetCurrentRow(2);
    EXPECT_EQ(joints.Caption(), AddCaption::Insert);
    joints.SetCurrentRow(3);
    EXPECT_EQ(joints.Caption(), AddCaption::Add);
    joints.SetCurrentRow(1);
    EXPECT_EQ(joints.Caption(), AddCaption::Add);
    EXPECT_EQ(joints.Add(d, Joint("0", "0")).kind, AddKind::Inserted);
    EXPECT_EQ(Numbers(p.joints, 2), (std::vector<std::string>{"0", "1", "2", "3"}));
    EXPECT_EQ(Numbers(p.joints, 1), (std::vector<std::string>{"1", "2", "3", "4"}));
}

// Inserting a joint renumbers the rows after it; members and loads must still join the same joints.
TEST(TableEditor, InsertKeepsMembersAndLoadsOnTheirJoints) {
    document::ProjectDocument d;
    Load(d, test::MakeProject({{0, 0}, {1, 0}, {2, 0}}, {{1, 3}, {3, 2}}, {{3, 0, -5}}));
    const project::Project& p = d.Project();
    TableEditor joints(p, TableKind::Joints);
    joints.AfterOpen();
    joints.SetCurrentRow(2);
    const AddOutcome added = joints.Add(d, Joint("0.5", "0"));
    EXPECT_EQ(added.kind, AddKind::Inserted);
    EXPECT_EQ(added.row, 2);
    EXPECT_EQ(joints.NextNumber(), 5);
    EXPECT_EQ(p.members.Cell(1, 2), "1");
    EXPECT_EQ(p.members.Cell(1, 3), "4");
    EXPECT_EQ(p.members.Cell(2, 2), "4");
    EXPECT_EQ(p.members.Cell(2, 3), "3");
    EXPECT_EQ(p.loads.Cell(1, 1), "4");
    EXPECT_EQ(p.joints.Cell(4, 2), "2") << "the old joint 3 is now row 4";
}

TEST(TableEditor, EditOverwritesOnlyThatRow) {
    document::ProjectDocument d;
    Load(d, test::MakeProject({{0, 0}, {1, 0}, {2, 0}}, {}, {}));
    const project::Project& p = d.Project();
    TableEditor joints(p, TableKind::Joints);
    joints.AfterOpen();
    EXPECT_EQ(joints.Click(2), ClickOutcome::LoadRow);
    EXPECT_EQ(joints.Caption(), AddCaption::Edit);
    EXPECT_EQ(joints.NextNumber(), 2);
    EXPECT_EQ(joints.RowFields(2)[0], "1");
    EXPECT_EQ(joints.Add(d, Joint("9", "9")).kind, AddKind::Edited);
    EXPECT_EQ(Numbers(p.joints, 2), (std::vector<std::string>{"0", "9", "2"}));
    EXPECT_EQ(joints.Caption(), AddCaption::Add);
}

TEST(TableEditor, SecondClickLeavesEditModeWithoutWriting) {
    document::ProjectDocument d;
    Load(d, test::MakeProject({{0, 0}, {1, 0}}, {}, {}));
    const project::Project& p = d.Project();
    TableEditor joints(p, TableKind::Joints);
    joints.AfterOpen();
    joints.Click(1);
    EXPECT_EQ(joints.Click(1), ClickOutcome::LeftEdit);
    EXPECT_EQ(joints.Caption(), AddCaption::Add);
    EXPECT_EQ(joints.NextNumber(), 3);
}

TEST(TableEditor, RemoveIsRefusedWhileMembersUseTheJoint) {
    document::ProjectDocument d;
    Load(d, test::MakeProject({{0, 0}, {1, 0}, {2, 0}}, {{1, 2}, {2, 3}}, {{2, 0, 1}}));
    const project::Project& p = d.Project();
    TableEditor joints(p, TableKind::Joints);
    EXPECT_EQ(joints.UsersOf(2),
              (std::vector<std::string>{"member 1 (joint j)", "member 2 (joint i)", "load 1 (joint)"}));
    TableEditor materials(p, TableKind::Materials);
    EXPECT_EQ(materials.UsersOf(1).size(), 2u);
}

// Removing an unused joint moves the later joints up; members follow them.
TEST(TableEditor, RemoveRenumbersRowsAndReferences) {
    document::ProjectDocument d;
    Load(d, test::MakeProject({{0, 0}, {5, 5}, {1, 0}, {2, 0}}, {{1, 3}, {4, 3}}, {{4, 1, 1}}));
    const project::Project& p = d.Project();
    TableEditor joints(p, TableKind::Joints);
    joints.AfterOpen();
    ASSERT_TRUE(joints.UsersOf(2).empty());
    joints.Remove(d, 2);
    EXPECT_EQ(Numbers(p.joints, 1), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(Numbers(p.joints, 2), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(p.members.Cell(1, 3), "2");
    EXPECT_EQ(p.members.Cell(2, 2), "3");
    EXPECT_EQ(p.loads.Cell(1, 1), "3");
    EXPECT_EQ(joints.CurrentRow(), 2);
    EXPECT_EQ(joints.NextNumber(), 4);
}

TEST(TableEditor, RemovingTheOnlyRowLeavesTheHeadingAndTheNextAddAppendsRowOne) {
    document::ProjectDocument d;
    Load(d, project::NewProject());
    const project::Project& p = d.Project();
    TableEditor materials(p, TableKind::Materials);
    materials.Add(d, {"205", "Steel"});
    materials.Remove(d, 1);
    EXPECT_EQ(p.materials.RowCount(), 1);
    EXPECT_FALSE(materials.CanRemove());
    EXPECT_EQ(materials.NextNumber(), 1);
    EXPECT_EQ(materials.CurrentRow(), 0);
    EXPECT_EQ(materials.Add(d, {"70", "Aluminium"}).row, 1);
    EXPECT_EQ(p.materials.Cell(1, 1), "1");
}

// Loads carry the joint in column 1: it moves with its row and nothing is renumbered.
TEST(TableEditor, LoadsMoveWithTheirJoint) {
    document::ProjectDocument d;
    Load(d, project::NewProject());
    const project::Project& p = d.Project();
    TableEditor loads(p, TableKind::Loads);
    EXPECT_EQ(loads.CurrentRow(), 0);
    EXPECT_EQ(loads.Add(d, {"4", "10", "", "a"}).row, 1);
    loads.Add(d, {"4", "-5", "0", "b"});
    loads.Add(d, {"2", "0", "-1", "c"});
    loads.SetCurrentRow(2);
    EXPECT_EQ(loads.Add(d, {"7", "1", "1", "d"}).kind, AddKind::Inserted);
    EXPECT_EQ(Numbers(p.loads, 1), (std::vector<std::string>{"4", "7", "4", "2"}));
    EXPECT_EQ(Numbers(p.loads, 4), (std::vector<std::string>{"a", "d", "b", "c"}));
    loads.Remove(d, 1);
    EXPECT_EQ(Numbers(p.loads, 1), (std::vector<std::string>{"7", "4", "2"}));
}

struct KeyCase {
    KeyFilter filter;
    const char* accepted;
    const char* refused;
};

class KeyFilterTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyFilterTest, LetsThroughOnlyItsCharacters) {
    for (const char* c = GetParam().accepted; *c; ++c)
        EXPECT_TRUE(AcceptsKey(GetParam().filter, static_cast<char32_t>(*c))) << *c;
    for (const char* c = GetParam().refused; *c; ++c)
        EXPECT_FALSE(AcceptsKey(GetParam().filter, static_cast<char32_t>(*c))) << *c;
    EXPECT_TRUE(AcceptsKey(GetParam().filter, kBackspace));
}

std::string FilterName(const ::testing::TestParamInfo<KeyCase>& info) {
    constexpr const char* names[] = {"Description", "SignedNumber", "UnsignedNumber", "Digits"};
    return names[static_cast<int>(info.param.filter)];
}

INSTANTIATE_TEST_SUITE_P(Filters, KeyFilterTest,
                         ::testing::Values(KeyCase{KeyFilter::Description, "aZ09 -./{}", "(),&\"'[]_+"},
                                           KeyCase{KeyFilter::SignedNumber, "0123456789-.", "e+ a,"},
                                           KeyCase{KeyFilter::UnsignedNumber, "0123456789.", "-e+ "},
                                           KeyCase{KeyFilter::Digits, "0123456789", ".-a "}),
                         FilterName);

} // namespace
} // namespace varlen::editing
