// The last guard before results are printed or written: every value shown as a number must be one.
// The core refuses overflows itself; an infinity or NaN that still got through stops the command here,
// named, rather than appearing as "inf", "nan", null or a rendering of 0.
#pragma once

#include <cmath>
#include <string>

#include "analysis/results.h"
#include "commands.h"
#include "design/bs449.h"

namespace varlen::cli {

// "the reaction at joint 3 along X is too large to be represented" for the first value of the tables,
// the results file or the JSON that is not finite; empty when all are. A template over anything with
// the accessors of analysis::Results, so that the tests can hand it overflowed values the core would
// never let through. The words are only built for the value at fault: a million members take a blink.
template <typename ResultValues> std::string FirstNonFinite(const ResultValues& r) {
    const auto at = [](const char* what, int number, int axis) {
        return what + std::to_string(number) + (axis % 2 == 0 ? " along X" : " along Y");
    };
    for (int j = 1; j <= r.JointCount(); ++j) {
        const double d[] = {r.Dx(j), r.Dy(j)};
        for (int a = 0; a < 2; ++a)
            if (!std::isfinite(d[a])) return NotRepresentable(d[a], at("the displacement of joint ", j, a));
    }
    for (int m = 1; m <= r.MemberCount(); ++m) {
        const analysis::EndVector local = r.MemberLocalForce(m), global = r.MemberGlobalForce(m);
        for (double f : {local[0], local[2]})
            if (!std::isfinite(f))
                return NotRepresentable(f, "the axial force in member " + std::to_string(m));
        for (int k = 0; k < 4; ++k)
            if (!std::isfinite(global[k]))
                return NotRepresentable(
                    global[k],
                    at(k < 2 ? "the force at end i of member " : "the force at end j of member ", m, k));
    }
    for (int j = 1; j <= r.JointCount(); ++j) {
        if (!r.IsSupported(j)) continue;
        const analysis::Reaction reaction = r.SupportReaction(j);
        const double d[] = {reaction.rx, reaction.ry};
        for (int a = 0; a < 2; ++a)
            if (!std::isfinite(d[a])) return NotRepresentable(d[a], at("the reaction at joint ", j, a));
    }
    return {};
}
// The same for the rows of the three design tables.
[[nodiscard]] std::string FirstNonFinite(const design::TensionOutcome& tension,
                                         const design::CompressionOutcome& compression,
                                         const design::WeldOutcome& welds);

} // namespace varlen::cli
