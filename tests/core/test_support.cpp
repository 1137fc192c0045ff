#include "test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "project/number_text.h"

namespace varlen::test {

project::Project MakeProject(const std::vector<JointSpec>& joints, const std::vector<MemberSpec>& members,
                             const std::vector<LoadSpec>& loads, std::vector<double> moduli,
                             std::vector<double> areas) {
    using project::FormatGeneral;
    project::Project p = project::NewProject();
    p.joints.SetRowCount(static_cast<int>(joints.size()) + 1);
    for (int r = 1; r <= static_cast<int>(joints.size()); ++r) {
        const JointSpec& j = joints[static_cast<std::size_t>(r - 1)];
        const std::string x = FormatGeneral(j.x), y = FormatGeneral(j.y), n = std::to_string(r);
        p.joints.SetRow(r, {"", n, x, y, "Joint " + n, j.fixedX ? "1" : "0", j.fixedY ? "1" : "0", "None"});
    }
    p.materials.SetRowCount(static_cast<int>(moduli.size()) + 1);
    for (int r = 1; r <= static_cast<int>(moduli.size()); ++r) {
        const std::string n = std::to_string(r), e = FormatGeneral(moduli[static_cast<std::size_t>(r - 1)]);
        p.materials.SetRow(r, {"", n, e, "Steel"});
    }
    p.sections.SetRowCount(static_cast<int>(areas.size()) + 1);
    for (int r = 1; r <= static_cast<int>(areas.size()); ++r) {
        const std::string n = std::to_string(r), a = FormatGeneral(areas[static_cast<std::size_t>(r - 1)]);
        p.sections.SetRow(r, {"", n, a, "Section"});
    }
    p.members.SetRowCount(static_cast<int>(members.size()) + 1);
    for (int r = 1; r <= static_cast<int>(members.size()); ++r) {
        const MemberSpec& m = members[static_cast<std::size_t>(r - 1)];
        const std::string n = std::to_string(r), i = std::to_string(m.i), j = std::to_string(m.j),
                          mat = std::to_string(m.material), sec = std::to_string(m.section);
        p.members.SetRow(r, {"", n, i, j, mat, sec, "Member"});
    }
    p.loads.SetRowCount(static_cast<int>(loads.size()) + 1);
    for (int r = 1; r <= static_cast<int>(loads.size()); ++r) {
        const LoadSpec& l = loads[static_cast<std::size_t>(r - 1)];
        const std::string j = std::to_string(l.joint), fx = FormatGeneral(l.fx), fy = FormatGeneral(l.fy);
        p.loads.SetRow(r, {"", j, fx, fy, "Load"});
    }
    return p;
}

analysis::Results AnalyseOrFail(const project::Project& project) {
    analysis::AnalysisOutcome outcome = analysis::Analyse(model::BuildModel(project));
    if (!outcome.results) {
        ADD_FAILURE() << "the analysis stopped: " << outcome.Message();
        return {};
    }
    return std::move(*outcome.results);
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varlen-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string CaseName(std::size_t index, std::string_view text) {
    std::string name = std::to_string(index);
    if (!text.empty()) name += '_';
    for (const char c : text) {
        if (name.size() >= 44) break;
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            name += c;
        else if (c == '.')
            name += 'p';
        else if (c == '-')
            name += "minus";
        else if (c == '+')
            name += "plus";
        else if (c == ' ' && name.back() != '_')
            name += '_';
    }
    return name;
}

std::uint64_t Digest(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace varlen::test
