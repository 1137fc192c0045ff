// The rows of a table as every front-end shows them: the command line prints them, the windows put
// them in their grids and the reports will set them, so the figures and the words agree everywhere.
// How a table is laid out (widths, alignment, fonts) stays with whoever shows it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varlen::report {

struct Cell {
    std::string text;             // what is shown: a number in the results format, or a text
    std::optional<double> number; // the full-precision value behind a number cell
};

using Row = std::vector<Cell>;

struct TableRows {
    std::string title;
    std::vector<std::string> headings; // one per column; an empty heading names nothing
    std::vector<Row> rows;
};

// A value in the results format with `places` decimal places: "+9.876 E+02".
[[nodiscard]] Cell NumberCell(double value, int places);
// A joint or member number as its plain digits: "12".
[[nodiscard]] Cell WholeCell(int value);
[[nodiscard]] Cell TextCell(std::string text);

} // namespace varlen::report
