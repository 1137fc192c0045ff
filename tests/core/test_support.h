// Small builders shared by the tests: projects written cell by cell, as the editors would fill them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/analysis.h"
#include "project/project.h"

namespace varlen::test {

struct JointSpec {
    double x = 0, y = 0; // metres
    bool fixedX = false, fixedY = false;
};
struct MemberSpec {
    int i = 0, j = 0, material = 1, section = 1;
};
struct LoadSpec {
    int joint = 0;
    double fx = 0, fy = 0; // kN
};

// One material (E kN/mm²) and one section (A mm²) unless more are given.
project::Project MakeProject(const std::vector<JointSpec>& joints, const std::vector<MemberSpec>& members,
                             const std::vector<LoadSpec>& loads, std::vector<double> moduli = {200},
                             std::vector<double> areas = {1000});

// Analyses the project as the program does (its temporary-file numbers); fails the test if it stops.
analysis::Results AnalyseOrFail(const project::Project& project);

// A fresh folder under the system's temporary directory, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }
    [[nodiscard]] std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// A test case's name made from the text it checks, so that ctest's list says what each case is:
// "3_plus1p234_Eplus01" for "+1.234 E+01" (the index keeps names apart; signs, points and blanks are
// spelt out, other characters dropped, and the text cut at 40 characters).
std::string CaseName(std::size_t index, std::string_view text);

// FNV-1a, 64 bits: a fixed digest of an output too long to keep beside the test, for checks that it is
// byte for byte what it was.
std::uint64_t Digest(std::string_view bytes);

} // namespace varlen::test
