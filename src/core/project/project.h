// The project in memory: the title block and the five tables of text cells the editors show.
// Tables refer to each other by 1-based row numbers; the joints table holds metres, the others the
// units of the project file (kN/mm², mm², kN).
#pragma once

#include <string>
#include <vector>

#include "project/table.h"

namespace varlen::project {

// Column numbers of each table (column 0 is the row-header column and holds nothing that is stored).
namespace joint_col {
inline constexpr int Number = 1, X = 2, Y = 3, Description = 4, FixedX = 5, FixedY = 6,
                     RestraintDescription = 7;
}
namespace material_col {
inline constexpr int Number = 1, YoungsModulus = 2, Description = 3;
}
namespace section_col {
inline constexpr int Number = 1, Area = 2, Description = 3;
}
namespace member_col {
inline constexpr int Number = 1, JointI = 2, JointJ = 3, Material = 4, Section = 5, Description = 6;
}
namespace load_col {
inline constexpr int Joint = 1, Fx = 2, Fy = 3, Description = 4;
}
namespace factor_col {
inline constexpr int Case = 1, Factor = 2;
}

// The title window's texts as they stand when the window is created.
inline constexpr const char* kDefaultTitleText = "None";
inline constexpr const char* kDefaultDateText = "> > > > > > > Click Here  < < < < < < <";
inline constexpr const char* kDefaultDrawingNo = "VAR/";

struct TitleBlock {
    std::string project = kDefaultTitleText;
    std::string title = kDefaultTitleText;
    std::string designer = kDefaultTitleText;
    std::string date = kDefaultDateText;
    std::string drawingNo = kDefaultDrawingNo;

    friend bool operator==(const TitleBlock&, const TitleBlock&) = default;
};

// The name the first load case has until it is renamed.
inline constexpr const char* kFirstCaseName = "Case 1";

// A load case after the first: its name and its joint loads, a table like the joint loads table.
struct LoadCase {
    std::string name;
    Table loads;
    friend bool operator==(const LoadCase&, const LoadCase&) = default;
};

// A combination of load cases: its name and a table of (case number, factor) rows.
struct Combination {
    std::string name;
    Table factors;
    friend bool operator==(const Combination&, const Combination&) = default;
};

struct Project {
    TitleBlock title;
    Table joints;
    Table materials;
    Table sections;
    Table members;
    Table loads; // the first load case
    std::string firstCaseName = kFirstCaseName;
    std::vector<LoadCase> moreCases; // cases 2, 3, ...
    std::vector<Combination> combinations;

    [[nodiscard]] int CaseCount() const { return 1 + static_cast<int>(moreCases.size()); }
    // 1-based, for a case known to exist.
    [[nodiscard]] const std::string& CaseName(int loadCase) const {
        return loadCase == 1 ? firstCaseName : moreCases[static_cast<std::size_t>(loadCase) - 2].name;
    }
    [[nodiscard]] const Table& CaseLoads(int loadCase) const {
        return loadCase == 1 ? loads : moreCases[static_cast<std::size_t>(loadCase) - 2].loads;
    }
    // Several cases or any combination: an analysis has every case and an envelope to give.
    [[nodiscard]] bool HasLoadCases() const { return CaseCount() > 1 || !combinations.empty(); }
    // Whether the file needs its load cases block: a project of one case named as new has none.
    [[nodiscard]] bool HasLoadCaseBlock() const {
        return !moreCases.empty() || !combinations.empty() || firstCaseName != kFirstCaseName;
    }

    friend bool operator==(const Project&, const Project&) = default;
};

enum class TableId { Joints, Materials, Sections, Members, Loads };

[[nodiscard]] inline const Table& TableOf(const Project& project, TableId table) {
    switch (table) {
    case TableId::Joints:
        return project.joints;
    case TableId::Materials:
        return project.materials;
    case TableId::Sections:
        return project.sections;
    case TableId::Members:
        return project.members;
    case TableId::Loads:
        return project.loads;
    }
    return project.joints;
}
[[nodiscard]] inline Table& TableOf(Project& project, TableId table) {
    return const_cast<Table&>(TableOf(static_cast<const Project&>(project), table));
}

// A new project: the default title block; joints, materials, sections and members with one blank
// entry row each (an editor in which nothing was added still counts one row); no loads.
[[nodiscard]] Project NewProject();

// The empty tables with their headings, for readers that fill them.
[[nodiscard]] Table EmptyJointsTable();
[[nodiscard]] Table EmptyMaterialsTable();
[[nodiscard]] Table EmptySectionsTable();
[[nodiscard]] Table EmptyMembersTable();
[[nodiscard]] Table EmptyLoadsTable();
[[nodiscard]] Table EmptyFactorsTable();

} // namespace varlen::project
