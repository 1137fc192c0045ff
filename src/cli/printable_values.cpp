#include "printable_values.h"

#include <cmath>

#include "commands.h"

namespace varlen::cli {
namespace {

std::string Number(int n) {
    return std::to_string(n);
}

} // namespace

std::string FirstNonFinite(const design::TensionOutcome& tension,
                           const design::CompressionOutcome& compression, const design::WeldOutcome& welds) {
    for (const design::TensionRow& row : tension.rows) {
        if (!std::isfinite(row.actualStress))
            return NotRepresentable(row.actualStress, "the tension stress in member " + Number(row.member));
        if (!std::isfinite(row.requiredArea))
            return NotRepresentable(row.requiredArea, "the area required by member " + Number(row.member));
    }
    for (const design::CompressionRow& row : compression.rows) {
        if (!std::isfinite(row.actualStress))
            return NotRepresentable(row.actualStress,
                                    "the compression stress in member " + Number(row.member));
        if (!std::isfinite(row.allowableStress))
            return NotRepresentable(row.allowableStress,
                                    "the allowable stress of member " + Number(row.member));
        if (!std::isfinite(row.slenderness))
            return NotRepresentable(row.slenderness, "the slenderness of member " + Number(row.member));
    }
    for (const design::WeldRow& row : welds.rows)
        if (!std::isfinite(row.length))
            return NotRepresentable(row.length, "the weld length of member " + Number(row.member));
    return {};
}

} // namespace varlen::cli
