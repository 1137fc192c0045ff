// What the text report and the word report share: how a text is made to fit one line or one cell, which
// members are reported, and the support reactions table.
#pragma once

#include <string>
#include <string_view>

#include "analysis/results.h"
#include "project/project.h"
#include "report/table_rows.h"

namespace varlen::report {

// The text with each tab, CR and LF replaced by a blank: a tab would shift the columns of the text
// report, a line end would split its line, and neither has a place in a table cell.
[[nodiscard]] std::string OneLineText(std::string_view text);

// The members both the table and the results know: the results are those of this project, so the two
// counts agree, but a report never reads past either.
[[nodiscard]] int ReportedMembers(const project::Project& project, const analysis::Results& results);

// "Member  3": the word, a blank, and the number as text with the blank that was always put before it.
[[nodiscard]] std::string MemberHeading(int member);

// "#", "Rx (kN)", "Ry (kN)": one row for each supported joint, the force the support exerts where it is
// restrained (blank where the joint is free), rounding noise shown as 0 as in the Results Summary; each
// value's text in the Summary's fixed-point form, its number at full precision.
[[nodiscard]] TableRows SupportRows(const project::Project& project, const analysis::Results& results,
                                    int places);

} // namespace varlen::report
