// References between tables are 1-based row numbers held as numbers; checking them and saying what is
// wrong is shared by the analysis and the design, so both word it the same way.
#pragma once

#include <cmath>
#include <cstddef>
#include <string>

#include "project/number_text.h"

namespace varlen::project {

// A whole number naming one of `rows` rows.
[[nodiscard]] inline bool IsRow(double value, std::size_t rows) {
    return value >= 1 && value <= static_cast<double>(rows) && value == std::floor(value);
}

// "Member 4 names joint 12, which is not in the joints table (1 to 10)."
[[nodiscard]] inline std::string NotInTable(const std::string& who, const char* what, double value,
                                            const char* table, std::size_t rows) {
    const std::string range = rows == 0 ? "which is empty" : "1 to " + std::to_string(rows);
    return who + " names " + what + " " + FormatGeneral(value) + ", which is not in the " + table +
           " table (" + range + ").";
}

} // namespace varlen::project
