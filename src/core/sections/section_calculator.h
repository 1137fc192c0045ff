// The area calculator: pick a shape, answer its prompts with dimensions, get the area text for the
// area box and a description of the section. Dimensions and area share whatever length unit the
// user typed in.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlen::sections {

struct SectionShape {
    const char* title;
    std::vector<const char*> prompts; // asked in this order; EvaluateSection takes answers in it
};

// 0 Circular Hollow Section, 1 Circular Section, 2 I Section, 3 Rectangular Section,
// 4 Rectangular Hollow Section.
[[nodiscard]] const std::array<SectionShape, 5>& SectionShapes();

struct SectionResult {
    std::string areaText;    // general format, at most 15 significant digits
    std::string description; // e.g. "CHS Section with r and t of 100, 5"
};

// True when an answer is one complete number (blanks at either end aside): "abc" or "1OO" with a
// letter O is not, and neither is a blank answer, which is the user cancelling the prompt.
[[nodiscard]] bool IsDimensionAnswer(std::string_view answer);

// Each answer is read as a number. An area of 0 or less, or one that is not a finite number, becomes
// 1. nullopt when the shape is unknown, the answer count is not the prompt count, or any answer fails
// IsDimensionAnswer: a text such as "abc" would otherwise be taken as 0.
[[nodiscard]] std::optional<SectionResult> EvaluateSection(int shape,
                                                           const std::vector<std::string>& answers);

// The shape picture after stepping from `current` by `step`, wrapping round 0..4.
[[nodiscard]] int NextPicture(int current, int step);

// FormatGeneral of the value first rounded to 15 significant digits: 100 x 3.141592654 gives
// "314.1592654", not the 17 digits of the nearest double.
[[nodiscard]] std::string FormatFifteenDigits(double value);

} // namespace varlen::sections
