// The results tables: the command line's joint displacements, member forces and support reactions, and
// the results windows' four end values of one member, each with its labels.
#pragma once

#include "analysis/results.h"
#include "report/table_rows.h"

namespace varlen::report {

// Displacements in mm: joint, dx, dy; one row per joint.
[[nodiscard]] TableRows JointDisplacementRows(const analysis::Results& results, int places);
// Axial forces in kN, tension positive: member, joint i, joint j, force, and "tension" or "compression"
// (empty for a member without force) under an empty heading.
[[nodiscard]] TableRows MemberForceRows(const analysis::Results& results, int places);
// The forces the supports exert, kN: joint, Rx, Ry; a row for each joint with a restrained direction.
[[nodiscard]] TableRows SupportReactionRows(const analysis::Results& results, int places);

// The four end values a results window shows for one member.
enum class MemberEnds {
    GlobalDisplacements, // mm, global axes
    LocalForces,         // kN on the member, member axes (primed)
    GlobalForces,        // kN on the member, global axes
};

// The window's caption, which is also the table's title: "Local Forces (kN)".
[[nodiscard]] const char* MemberEndsTitle(MemberEnds kind);
// Four rows in the order end i X, end i Y, end j X, end j Y, each a label ("Joint i - Fx'") and the
// value; the headings are empty, the labels name the rows.
[[nodiscard]] TableRows MemberEndRows(const analysis::Results& results, MemberEnds kind, int member,
                                      int places);

} // namespace varlen::report
