// The results summary: every member and every joint of the project on one row each, and the balance of
// loads and reactions, for the summary window, its copies and its CSV. The rows come from the project as
// it stands, so a project never analysed still lists its members and joints with the results left blank.
#pragma once

#include <string>

#include "analysis/results.h"
#include "project/project.h"
#include "report/table_rows.h"

namespace varlen::report {

// Fixed-point with `places` decimals ("-7.071"), so a column of figures reads at a glance; the results
// format ("+1.234 E+09") only where fixed-point would hide the value: |value| >= 1e9, or a value that is
// not zero but would show as zero.
[[nodiscard]] std::string SummaryNumberText(double value, int places);
[[nodiscard]] Cell SummaryNumberCell(double value, int places);

// "#", "Joint i", "Joint j", "Length (m)", "Axial force (kN)" (tension positive), "T/C", "Stress (N/mm²)"
// (force / area), "Section". `results` may be null (never analysed): the force, T/C and stress cells are
// then empty, as they are for members beyond those analysed. A reference to no row leaves the cells that
// need it empty.
[[nodiscard]] TableRows SummaryMemberRows(const project::Project& project, const analysis::Results* results,
                                          int places);

// "#", "dx (mm)", "dy (mm)", "Rx (kN)", "Ry (kN)": the reactions only in restrained directions (the force
// the support exerts), blank where the joint is free and everywhere without results.
[[nodiscard]] TableRows SummaryJointRows(const project::Project& project, const analysis::Results* results,
                                         int places);

// "Quantity", "Value (kN)", "Member": the sums of the applied loads and of the reactions along X and Y, the
// out-of-balance (loads plus reactions, zero for a truss in equilibrium), and the largest tension and
// compression with their members. Without results the values are empty.
[[nodiscard]] TableRows SummaryEquilibriumRows(const project::Project& project,
                                               const analysis::Results* results, int places);

} // namespace varlen::report
