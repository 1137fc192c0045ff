// The three BS 449 tables as the design window and varlen-cli design show them: the members checked,
// their figures in the results format and the outcome.
#pragma once

#include "design/bs449.h"
#include "report/table_rows.h"

namespace varlen::report {

// "OK" when the member passes its check, "Failed" otherwise.
[[nodiscard]] const char* OutcomeText(bool ok);

// Each table's member cell is the number after a blank, " 3", as the design grids have always shown
// it. An outcome without rows gives the title and the headings alone.
// "#", "Actual Stress" (N/mm²), "Required Area" (mm²), "Outcome".
[[nodiscard]] TableRows TensionRows(const design::TensionOutcome& outcome, int places);
// "#", "Actual Stress" (N/mm²), "Allow. Stress" (pc, N/mm²), "Outcome".
[[nodiscard]] TableRows CompressionRows(const design::CompressionOutcome& outcome, int places);
// "#", "Required at Both Ends": the weld length at each end, in metres.
[[nodiscard]] TableRows WeldRows(const design::WeldOutcome& outcome, int places);

} // namespace varlen::report
