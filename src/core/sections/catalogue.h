// The cold-formed steel hollow sections offered for a member's area, one text a row as the picker
// shows them: breadth x depth x wall x self-weight, the area in parentheses and the radius of
// gyration in braces, all in millimetres and kN/m.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlen::sections {

// Rows of the form "BBB x DDD x T.T x W.WWW kN/m (A.AAA){R.RRR}": B and D whole millimetres
// right-aligned in three characters, T the wall in mm, W the self-weight in kN/m, A the area in mm²,
// R the radius of gyration in mm. Sorted by B, then D, then T; a designation may appear twice when
// the maker lists two weights for it.
[[nodiscard]] const std::vector<std::string>& SquareHollowSections(); // 85 rows
// As above with B the larger side; R is the minimum radius of gyration, about the axis parallel to
// the longer side, on which a strut buckles.
[[nodiscard]] const std::vector<std::string>& RectangularHollowSections(); // 98 rows

// Properties of a rectangular hollow section with rounded corners, worked out from its dimensions
// (mm): outer corner radius 2t for t <= 6 mm and 2.5t above, inner radius that less t.
struct HollowSectionProperties {
    double area = 0;              // mm²
    double secondMomentMajor = 0; // mm⁴, about the axis parallel to the shorter side
    double secondMomentMinor = 0; // mm⁴, about the axis parallel to the longer side
};
[[nodiscard]] HollowSectionProperties RoundedHollowSection(double breadth, double depth, double thickness);

// The text between the first "(" and the first ")" of a row: what picking the row puts in the area
// box. Empty when either is missing or ")" comes first.
[[nodiscard]] std::string_view AreaTextOfRow(std::string_view row);

// The number after the first "{" of a description, read as a typed number (reading stops at "}").
// No "}" at all gives nullopt; a "}" without "{" is read from the first character. A 0 comes back as
// 0: the caller refuses it.
[[nodiscard]] std::optional<double> RadiusOfGyration(std::string_view description);

} // namespace varlen::sections
