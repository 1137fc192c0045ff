#include "printable_values.h"

#include <cmath>

#include "commands.h"

namespace varlen::cli {
namespace {

const char* Axis(int index) { return index % 2 == 0 ? "X" : "Y"; }
std::string Number(int n) { return std::to_string(n); }

} // namespace

// The words are only built for the value at fault: a million-member truss is checked in a blink.
std::string FirstNonFinite(const analysis::Results& r) {
    for (int j = 1; j <= r.JointCount(); ++j) {
        const double d[] = {r.Dx(j), r.Dy(j)};
        for (int a = 0; a < 2; ++a)
            if (!std::isfinite(d[a]))
                return NotRepresentable(d[a], "the displacement of joint " + Number(j) + " along " + Axis(a));
    }
    for (int m = 1; m <= r.MemberCount(); ++m) {
        const analysis::EndVector local = r.MemberLocalForce(m), global = r.MemberGlobalForce(m);
        for (double f : {local[0], local[2]})
            if (!std::isfinite(f)) return NotRepresentable(f, "the axial force in member " + Number(m));
        for (int k = 0; k < 4; ++k)
            if (!std::isfinite(global[k]))
                return NotRepresentable(global[k], std::string("the force at end ") + (k < 2 ? "i" : "j") +
                                                       " of member " + Number(m) + " along " + Axis(k));
    }
    for (int j = 1; j <= r.JointCount(); ++j) {
        if (!r.IsSupported(j)) continue;
        const analysis::Reaction reaction = r.SupportReaction(j);
        const double d[] = {reaction.rx, reaction.ry};
        for (int a = 0; a < 2; ++a)
            if (!std::isfinite(d[a]))
                return NotRepresentable(d[a], "the reaction at joint " + Number(j) + " along " + Axis(a));
    }
    return {};
}

std::string FirstNonFinite(const design::TensionOutcome& tension, const design::CompressionOutcome& compression,
                           const design::WeldOutcome& welds) {
    for (const design::TensionRow& row : tension.rows) {
        if (!std::isfinite(row.actualStress))
            return NotRepresentable(row.actualStress, "the tension stress in member " + Number(row.member));
        if (!std::isfinite(row.requiredArea))
            return NotRepresentable(row.requiredArea, "the area required by member " + Number(row.member));
    }
    for (const design::CompressionRow& row : compression.rows) {
        if (!std::isfinite(row.actualStress))
            return NotRepresentable(row.actualStress, "the compression stress in member " + Number(row.member));
        if (!std::isfinite(row.allowableStress))
            return NotRepresentable(row.allowableStress, "the allowable stress of member " + Number(row.member));
        if (!std::isfinite(row.slenderness))
            return NotRepresentable(row.slenderness, "the slenderness of member " + Number(row.member));
    }
    for (const design::WeldRow& row : welds.rows)
        if (!std::isfinite(row.length))
            return NotRepresentable(row.length, "the weld length of member " + Number(row.member));
    return {};
}

} // namespace varlen::cli
