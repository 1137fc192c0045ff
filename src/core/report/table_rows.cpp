#include "report/table_rows.h"

#include "project/number_text.h"

namespace varlen::report {

Cell NumberCell(double value, int places) {
    return {project::ResultFormat(value, places), value};
}

Cell WholeCell(int value) {
    return {std::to_string(value), static_cast<double>(value)};
}

Cell TextCell(std::string text) {
    return {std::move(text), std::nullopt};
}

} // namespace varlen::report
