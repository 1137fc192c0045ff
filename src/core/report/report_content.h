// What the text report and the word report share: how a text is made to fit one line or one cell, which
// members are reported, the support reactions table, and the load cases with their envelope.
#pragma once

#include <string>
#include <string_view>

#include "analysis/load_cases.h"
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

// Whether the report has load cases to give: `loadCases` holds several cases or any combination. One case
// alone is reported as a project without load cases always was.
[[nodiscard]] bool ReportsLoadCases(const analysis::LoadCaseResults* loadCases);

// "" when `name` is empty or names a load case or combination of the project; otherwise, for the user, that
// none is so named and which names there are.
[[nodiscard]] std::string UnknownLoadCase(const project::Project& project, std::string_view name);

// The results a report gives in full, and what they are of.
struct ShownCase {
    const analysis::Results* results = nullptr; // null when they are not at hand: see `problem`
    bool combination = false;                   // of a combination, not of a load case
    std::string name{}; // the case's or combination's, for the heading; "" for a project without load cases
    std::string problem{}; // why there are no results, for the user
};

// With load cases reported, the case or combination `name` (the first case when empty) from `loadCases`;
// otherwise `results`, the first case's, which only an empty name or that case's own may ask for.
[[nodiscard]] ShownCase ChooseShownCase(const project::Project& project, const analysis::Results* results,
                                        const analysis::LoadCaseResults* loadCases, std::string_view name);

// "Combination", "Load case", "Factor": every factor of every combination, the combination's name on its
// first row only, each case by its name (the cell as typed when it names no case), the factor as typed.
[[nodiscard]] TableRows CombinationRows(const project::Project& project);

// "#", "Tension (kN)", "Combination", "Compression (kN)", "Combination": each member's greatest tension and
// greatest compression over what the envelope is taken over (its columns say "Load case" when that is the
// cases), both blank where no combination gives one. Values in the Summary's fixed-point form.
[[nodiscard]] TableRows MemberEnvelopeRows(const analysis::LoadCaseResults& loadCases, int places);

// "#", "Reaction", "Greatest (kN)", "Combination", "Least (kN)", "Combination": a row for each restrained
// direction of each support ("Rx", "Ry"), the forces the support exerts, rounding noise shown as 0.
[[nodiscard]] TableRows ReactionEnvelopeRows(const analysis::LoadCaseResults& loadCases, int places);

} // namespace varlen::report
