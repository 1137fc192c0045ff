#include "sections/section_calculator.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "project/number_text.h"

namespace varlen::sections {
namespace {

// The constant the calculator has always used; std::numbers::pi would move the last digits shown.
constexpr double kPi = 3.141592654;

// A dimension as it stands in a description: a blank before it unless it is negative.
std::string Dimension(double value) {
    std::string text;
    if (!(value < 0)) text.push_back(' ');
    project::AppendGeneral(text, value);
    return text;
}

} // namespace

const std::array<SectionShape, 5>& SectionShapes() {
    static const std::array<SectionShape, 5> shapes = {{
        {"Circular Hollow Section", {"Please Enter Radius, r", "Please Enter Thickness, t"}},
        {"Circular Section", {"Please Enter Radius, r"}},
        {"I Section",
         {"Please Enter Breadth of Flange, bf", "Please Enter Thickness of Flange, tf",
          "Please Enter Thickness of Web, tw", "Please Enter Depth of Section, h"}},
        {"Rectangular Section", {"Please Enter Breadth of Section, b", "Please Enter Depth of Section, d"}},
        {"Rectangular Hollow Section",
         {"Please Enter Breadth of Section, b", "Please Enter Depth of Section, h",
          "Please Enter Thickness of Flange, Tf", "Please Enter Thickness of Web, Tw"}},
    }};
    return shapes;
}

std::string FormatFifteenDigits(double value) {
    if (!std::isfinite(value)) return project::FormatGeneral(value);
    char text[40];
    std::snprintf(text, sizeof text, "%.14e", value);
    return project::FormatGeneral(std::strtod(text, nullptr));
}

bool IsDimensionAnswer(std::string_view answer) {
    return answer.find_first_not_of(" \t\r\n") != std::string_view::npos && project::IsWholeNumber(answer);
}

std::optional<SectionResult> EvaluateSection(int shape, const std::vector<std::string>& answers) {
    if (shape < 0 || shape >= static_cast<int>(SectionShapes().size())) return std::nullopt;
    if (answers.size() != SectionShapes()[static_cast<std::size_t>(shape)].prompts.size())
        return std::nullopt;
    std::vector<double> v;
    for (const std::string& answer : answers) {
        if (!IsDimensionAnswer(answer)) return std::nullopt;
        v.push_back(project::ReadNumber(answer));
    }
    double area = 0;
    std::string description;
    switch (shape) {
    case 0: // r, t
        area = kPi * v[0] * v[0] - kPi * (v[0] - v[1]) * (v[0] - v[1]);
        description = "CHS Section with r and t of" + Dimension(v[0]) + "," + Dimension(v[1]);
        break;
    case 1: // r
        area = kPi * v[0] * v[0];
        description = "Circular Section with radius " + Dimension(v[0]);
        break;
    case 2: // bf, tf, tw, h; the description lists bf, h, tf, tw
        area = 2 * v[0] * v[1] + (v[3] - 2 * v[1]) * v[2];
        description = "I Section with bf, h, tf and tw of" + Dimension(v[0]) + "," + Dimension(v[3]) + "," +
                      Dimension(v[1]) + "," + Dimension(v[2]);
        break;
    case 3: // b, d
        area = v[0] * v[1];
        description = "Rectangular Section with b and h of" + Dimension(v[0]) + "," + Dimension(v[1]);
        break;
    default: // 4: b, h, Tf, Tw
        area = v[0] * v[1] - (v[0] - 2 * v[3]) * (v[1] - 2 * v[2]);
        description = "RHS Section with b, h, tf and tw of" + Dimension(v[0]) + "," + Dimension(v[1]) + "," +
                      Dimension(v[2]) + "," + Dimension(v[3]);
        break;
    }
    // A member needs a positive area; 1 keeps the box valid for the user to correct.
    if (!(area > 0) || !std::isfinite(area)) area = 1;
    return SectionResult{FormatFifteenDigits(area), std::move(description)};
}

int NextPicture(int current, int step) {
    const int count = static_cast<int>(SectionShapes().size());
    return ((current + step) % count + count) % count;
}

} // namespace varlen::sections
