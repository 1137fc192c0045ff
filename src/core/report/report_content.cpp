#include "report/report_content.h"

#include <algorithm>

#include "report/summary_rows.h"

namespace varlen::report {

std::string OneLineText(std::string_view text) {
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return out;
}

int ReportedMembers(const project::Project& project, const analysis::Results& results) {
    return std::min(project.members.EntryCount(), results.MemberCount());
}

std::string MemberHeading(int member) {
    return "Member  " + std::to_string(member);
}

TableRows SupportRows(const project::Project& project, const analysis::Results& results, int places) {
    TableRows joints = SummaryJointRows(project, &results, places);
    TableRows table{"Support reactions", {"#", "Rx (kN)", "Ry (kN)"}, {}};
    const int analysed = std::min(results.JointCount(), static_cast<int>(joints.rows.size()));
    for (int j = 1; j <= analysed; ++j) {
        if (!results.IsSupported(j)) continue;
        Row& row = joints.rows[static_cast<std::size_t>(j - 1)];
        table.rows.push_back({std::move(row[0]), std::move(row[3]), std::move(row[4])});
    }
    return table;
}

} // namespace varlen::report
