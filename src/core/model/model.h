// The truss as the analysis and the design see it: the numbers of the project's tables, typed, read once
// per change by BuildModel (or, for a file, by ReadModelFile, which gives the very same Model). Nothing
// else reads the tables' cells for numbers.
//
// Units are the engine's: co-ordinates in mm, Young's modulus kN/mm², areas mm², forces kN. References
// (joint, material and section numbers) are kept as read, as doubles, so that the checks can name a
// member whose joint is 0, 2.5 or beyond the table instead of reading some other row.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "project/project.h"

namespace varlen::model {

struct Joint {
    double x = 0, y = 0;                 // mm
    bool fixedX = false, fixedY = false; // a restraint code of exactly 1; anything else is free
    friend bool operator==(const Joint&, const Joint&) = default;
};

struct Material {
    double youngsModulus = 0; // kN/mm²
    friend bool operator==(const Material&, const Material&) = default;
};

// What a cross-section row carries: its area, and what its description states in the catalogue's form
// "100 x 100 x 5.0 x 0.141 kN/m (1835.619){38.430}".
struct Section {
    double area = 0;                        // mm²
    std::optional<double> radiusOfGyration; // mm, from the braces; absent without a "}"
    std::optional<double> weightPerLength;  // kN/m, the number before "kN/m"; absent without one
    friend bool operator==(const Section&, const Section&) = default;
};

struct Member {
    double jointI = 0, jointJ = 0, material = 0, section = 0; // 1-based row numbers as read
    friend bool operator==(const Member&, const Member&) = default;
};

struct Load {
    double joint = 0;      // 1-based row number as read
    double fx = 0, fy = 0; // kN along the global axes
    friend bool operator==(const Load&, const Load&) = default;
};

// A load case after the first, and a combination of cases (its case numbers kept as read, 1-based).
struct LoadCase {
    std::string name;
    std::vector<Load> loads;
    friend bool operator==(const LoadCase&, const LoadCase&) = default;
};
struct CaseFactor {
    double loadCase = 0;
    double factor = 0; // not a number when its cell does not hold one number
    friend bool operator==(const CaseFactor&, const CaseFactor&) = default;
};
struct Combination {
    std::string name;
    std::vector<CaseFactor> factors;
    friend bool operator==(const Combination&, const Combination&) = default;
};

// A cell whose text is not what its column holds; the value read from it is in the Model all the same
// (the leading number, as every cell reading takes it), so an analysis runs as it always did.
struct CellProblem {
    project::TableId table = project::TableId::Joints;
    int row = 0;         // 1-based data row
    int column = 0;      // the table's column number (project::joint_col and the like)
    std::string message; // "Joints, row 3, X: "1.2.3" is not one complete number; it is read as 1.2."
    friend bool operator==(const CellProblem&, const CellProblem&) = default;
};

struct Model {
    std::vector<Joint> joints; // element 0 is joint 1
    std::vector<Material> materials;
    std::vector<Section> sections;
    std::vector<Member> members;
    std::vector<Load> loads; // the first load case
    std::string firstCaseName = project::kFirstCaseName;
    std::vector<LoadCase> moreCases; // cases 2, 3, ...
    std::vector<Combination> combinations;
    std::vector<CellProblem> problems;

    [[nodiscard]] int CaseCount() const { return 1 + static_cast<int>(moreCases.size()); }
    // Several cases or any combination: the analysis has every case and an envelope to give.
    [[nodiscard]] bool HasLoadCases() const { return CaseCount() > 1 || !combinations.empty(); }
    [[nodiscard]] const std::string& CaseName(int loadCase) const {
        return loadCase == 1 ? firstCaseName : moreCases[static_cast<std::size_t>(loadCase) - 2].name;
    }
    [[nodiscard]] const std::vector<Load>& CaseLoads(int loadCase) const {
        return loadCase == 1 ? loads : moreCases[static_cast<std::size_t>(loadCase) - 2].loads;
    }

    [[nodiscard]] int JointCount() const { return static_cast<int>(joints.size()); }
    [[nodiscard]] int MemberCount() const { return static_cast<int>(members.size()); }
    // 1-based accessors for rows already known to exist.
    [[nodiscard]] const Joint& JointAt(int joint) const {
        return joints[static_cast<std::size_t>(joint) - 1];
    }
    [[nodiscard]] const Member& MemberAt(int member) const {
        return members[static_cast<std::size_t>(member) - 1];
    }
    [[nodiscard]] const Section& SectionAt(int section) const {
        return sections[static_cast<std::size_t>(section) - 1];
    }
    [[nodiscard]] const Material& MaterialAt(int material) const {
        return materials[static_cast<std::size_t>(material) - 1];
    }

    friend bool operator==(const Model&, const Model&) = default;
};

// The Model of the project in memory: each cell's leading number (the value the temporary project file
// would carry), co-ordinates converted once from the tables' metres, every joint row's restraints.
[[nodiscard]] Model BuildModel(const project::Project& project);

// The conversions both builders share, so a table and a file give the same numbers.
// Metres of the joints table to the engine's millimetres, on the decimal digits.
[[nodiscard]] double Millimetres(double metres);
[[nodiscard]] bool IsRestraint(double code);
[[nodiscard]] Section SectionOf(double area, std::string_view description);

// The weight per length a description states: the number just before the first "kN/m" (blanks
// between allowed). Absent when there is no "kN/m" or no number before it.
[[nodiscard]] std::optional<double> WeightPerLength(std::string_view description);

} // namespace varlen::model
