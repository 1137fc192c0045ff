// The last guard before results are printed or written: every value shown as a number must be one.
// The core refuses overflows itself; an infinity or NaN that still got through stops the command here,
// named, rather than appearing as "inf", "nan", null or a rendering of 0.
#pragma once

#include <string>

#include "analysis/results.h"
#include "design/bs449.h"

namespace varlen::cli {

// "the reaction at joint 3 along X is too large to be represented" for the first value of the tables,
// the results file or the JSON that is not finite; empty when all are.
[[nodiscard]] std::string FirstNonFinite(const analysis::Results& results);
// The same for the rows of the three design tables.
[[nodiscard]] std::string FirstNonFinite(const design::TensionOutcome& tension,
                                         const design::CompressionOutcome& compression,
                                         const design::WeldOutcome& welds);

} // namespace varlen::cli
