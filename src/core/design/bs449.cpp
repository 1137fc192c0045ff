#include "design/bs449.h"

#include <cmath>
#include <string_view>

#include "project/number_text.h"
#include "project/references.h"
#include "sections/catalogue.h"

namespace varlen::design {
namespace {

std::string Num(double value) { return project::FormatGeneral(value); }

using project::IsRow;
using project::NotInTable;

std::string FailureText(const std::string& cause) {
    std::string text = kDesignErrorText;
    if (!cause.empty()) text += "\n" + cause;
    return text;
}

template <typename Row>
DesignOutcome<Row> Stopped(DesignOutcome<Row> outcome, const std::string& cause) {
    outcome.failure = FailureText(cause);
    return outcome;
}

// The refusal every check gives before looking at a member: no analysis, edits since it, or a member the
// analysis did not see. Empty when the results can be used.
template <typename Row>
std::optional<DesignOutcome<Row>> Refusal(const project::Project& project, const analysis::Results* results,
                                          bool stale) {
    DesignOutcome<Row> outcome;
    outcome.refused = true;
    if (results == nullptr || stale) {
        outcome.failure = FailureText({});
        return outcome;
    }
    if (project.members.EntryCount() > results->MemberCount()) {
        const std::string member = std::to_string(results->MemberCount() + 1);
        outcome.failure = FailureText("Member " + member +
                                      " has no result: it was added after the analysis. Analyse the structure again.");
        return outcome;
    }
    return std::nullopt;
}

// F, kN: the force at end i along the member axis (negative or zero in tension).
double EndIForce(const analysis::Results& results, int member) { return results.MemberLocalForce(member)[0]; }

struct SectionOfMember {
    int number = 0;
    double area = 0;                // mm²
    std::string_view description;
    std::string cause;              // why the member cannot be designed; empty when the section is sound
};

SectionOfMember MemberSection(const project::Project& project, int member) {
    SectionOfMember s;
    const std::string who = "Member " + std::to_string(member);
    const double number = project::ReadNumber(project.members.Cell(member, project::member_col::Section));
    const int rows = project.sections.EntryCount();
    if (!IsRow(number, static_cast<std::size_t>(rows))) {
        s.cause = NotInTable(who, "cross-section", number, "cross-sections", static_cast<std::size_t>(rows));
        return s;
    }
    s.number = static_cast<int>(number);
    s.area = project::ReadNumber(project.sections.Cell(s.number, project::section_col::Area));
    s.description = project.sections.Cell(s.number, project::section_col::Description);
    if (!(s.area > 0) || !std::isfinite(s.area))
        s.cause = who + " uses cross-section " + std::to_string(s.number) + ", whose area is " + Num(s.area) + ".";
    return s;
}

struct LengthOfMember {
    double metres = 0;
    std::string cause;   // empty when the length is usable
};

// The distance between the member's joints, from the joints table (metres).
LengthOfMember MemberLength(const project::Project& project, int member) {
    LengthOfMember out;
    const std::string who = "Member " + std::to_string(member);
    const int rows = project.joints.EntryCount();
    double joint[2] = {project::ReadNumber(project.members.Cell(member, project::member_col::JointI)),
                       project::ReadNumber(project.members.Cell(member, project::member_col::JointJ))};
    for (double j : joint) {
        if (!IsRow(j, static_cast<std::size_t>(rows))) {
            out.cause = NotInTable(who, "joint", j, "joints", static_cast<std::size_t>(rows));
            return out;
        }
    }
    const auto x = [&](double j) {
        return project::ReadNumber(project.joints.Cell(static_cast<int>(j), project::joint_col::X));
    };
    const auto y = [&](double j) {
        return project::ReadNumber(project.joints.Cell(static_cast<int>(j), project::joint_col::Y));
    };
    out.metres = std::hypot(x(joint[1]) - x(joint[0]), y(joint[1]) - y(joint[0]));
    if (out.metres == 0)
        out.cause = who + " has zero length: joints " + Num(joint[0]) + " and " + Num(joint[1]) +
                    " are at the same point.";
    else if (!std::isfinite(out.metres))
        out.cause = who + " cannot be measured: the co-ordinates of joints " + Num(joint[0]) + " and " +
                    Num(joint[1]) + " are too large.";
    return out;
}

// The cause line for a design parameter that is not a positive finite number; empty when it is one.
std::string BadParameter(int member, const std::string& what, double value, const char* unit) {
    if (value > 0 && std::isfinite(value)) return {};
    return "Member " + std::to_string(member) + ": " + what + " is " + Num(value) + " " + unit +
           "; it must be a number greater than 0.";
}

// A stress equal to the allowable one passes whatever the binary rounding: 1000 F / A for a force and
// an area typed so that the stress is exactly pt in decimal lands a unit or so in the last place either
// side of pt. The allowance is far below any difference the tables or the grids show.
constexpr double kStressTolerance = 1e-9;
bool WithinAllowable(double stress, double allowable) { return stress <= allowable * (1.0 + kStressTolerance); }

// The cause line for a quantity that overflowed (or came out undefined) while a member was checked;
// empty when it is a finite number. Such a value is never put in a row.
std::string Unrepresentable(int member, const char* quantity, double value) {
    if (std::isfinite(value)) return {};
    return "Member " + std::to_string(member) + ": the " + quantity +
           (std::isnan(value) ? " cannot be worked out from these values." : " is too large to be represented.");
}

} // namespace

TensionOutcome Design(const project::Project& project, const analysis::Results* results, bool stale, double pt) {
    if (auto refusal = Refusal<TensionRow>(project, results, stale)) return std::move(*refusal);
    TensionOutcome outcome;
    for (int m = 1; m <= project.members.EntryCount(); ++m) {
        const double f = EndIForce(*results, m);
        if (!(f <= 0)) continue;   // compression: the strut check's business
        const SectionOfMember section = MemberSection(project, m);
        if (!section.cause.empty()) return Stopped(std::move(outcome), section.cause);
        if (std::string cause = BadParameter(m, "the allowable tension stress pt", pt, "N/mm2"); !cause.empty())
            return Stopped(std::move(outcome), cause);
        TensionRow row;
        row.member = m;
        row.force = f;
        row.actualStress = std::abs(1000.0 * f / section.area);
        row.requiredArea = std::abs(1000.0 * f / pt);
        for (const std::string& cause : {Unrepresentable(m, "axial force", f),
                                         Unrepresentable(m, "actual stress", row.actualStress),
                                         Unrepresentable(m, "required area", row.requiredArea)})
            if (!cause.empty()) return Stopped(std::move(outcome), cause);
        row.ok = WithinAllowable(row.actualStress, pt);
        outcome.rows.push_back(row);
    }
    return outcome;
}

CompressionOutcome CompressionDesign(const project::Project& project, const analysis::Results* results, bool stale,
                                     double ys) {
    if (auto refusal = Refusal<CompressionRow>(project, results, stale)) return std::move(*refusal);
    CompressionOutcome outcome;
    for (int m = 1; m <= project.members.EntryCount(); ++m) {
        const double f = EndIForce(*results, m);
        if (!(f > 0)) continue;
        const std::string who = "Member " + std::to_string(m);
        const SectionOfMember section = MemberSection(project, m);
        if (!section.cause.empty()) return Stopped(std::move(outcome), section.cause);
        if (std::string cause = BadParameter(m, "the yield stress Ys", ys, "N/mm2"); !cause.empty())
            return Stopped(std::move(outcome), cause);
        const std::string sectionName =
            "cross-section " + std::to_string(section.number) + " (\"" + std::string(section.description) + "\")";
        const std::optional<double> r = sections::RadiusOfGyration(section.description);
        if (!r)
            return Stopped(std::move(outcome),
                           who + " uses " + sectionName +
                               ", whose description gives no radius of gyration in braces, such as {9.957}: pick "
                               "the section from the catalogue or add its radius of gyration.");
        if (!(*r > 0) || !std::isfinite(*r))
            return Stopped(std::move(outcome), who + " uses " + sectionName +
                                                   ", whose radius of gyration in braces is " + Num(*r) +
                                                   "; it must be a number greater than 0.");
        const LengthOfMember length = MemberLength(project, m);
        if (!length.cause.empty()) return Stopped(std::move(outcome), length.cause);

        CompressionRow row;
        row.member = m;
        row.force = f;
        row.actualStress = std::abs(1000.0 * f / section.area);
        row.slenderness = 1000.0 * length.metres / *r;
        row.allowableStress = AllowableCompressiveStress(row.slenderness, ys);
        for (const std::string& cause : {Unrepresentable(m, "axial force", f),
                                         Unrepresentable(m, "actual stress", row.actualStress),
                                         Unrepresentable(m, "slenderness", row.slenderness),
                                         Unrepresentable(m, "allowable compressive stress", row.allowableStress)})
            if (!cause.empty()) return Stopped(std::move(outcome), cause);
        row.ok = WithinAllowable(row.actualStress, row.allowableStress);
        outcome.rows.push_back(row);
    }
    return outcome;
}

WeldOutcome WeldDesign(const project::Project& project, const analysis::Results* results, bool stale, double legMm,
                       double pwNmm2) {
    if (auto refusal = Refusal<WeldRow>(project, results, stale)) return std::move(*refusal);
    WeldOutcome outcome;
    const double throat = legMm * kThroatPerLeg;   // mm
    const double q = throat * pwNmm2;              // N per mm of weld
    for (int m = 1; m <= project.members.EntryCount(); ++m) {
        if (std::string cause = BadParameter(m, "the weld leg", legMm, "mm"); !cause.empty())
            return Stopped(std::move(outcome), cause);
        if (std::string cause = BadParameter(m, "the weld design strength pw", pwNmm2, "N/mm2"); !cause.empty())
            return Stopped(std::move(outcome), cause);
        // Leg and strength each fine can still multiply out of range; a q of 0 would make 0 / 0 of a
        // member without force.
        if (!(q > 0))
            return Stopped(std::move(outcome), "Member " + std::to_string(m) +
                                                   ": the weld strength per millimetre (throat x pw) is too small "
                                                   "to be represented.");
        if (std::string cause = Unrepresentable(m, "weld strength per millimetre (throat x pw)", q); !cause.empty())
            return Stopped(std::move(outcome), cause);
        WeldRow row;
        row.member = m;
        row.force = EndIForce(*results, m);
        row.length = std::abs(row.force) / q;   // kN over N/mm: metres
        for (const std::string& cause :
             {Unrepresentable(m, "axial force", row.force), Unrepresentable(m, "weld length", row.length)})
            if (!cause.empty()) return Stopped(std::move(outcome), cause);
        outcome.rows.push_back(row);
    }
    return outcome;
}

double AllowableCompressiveStress(double slenderness, double ys) {
    const double lambda = slenderness;
    const double eta = 0.3 * (lambda / 100.0) * (lambda / 100.0);
    const double co = kDesignPi * kDesignPi * kDesignYoungsModulus / (lambda * lambda);
    // pc = (h - sqrt(h² - ys Co)) / 1.7 with h = (ys + (eta + 1) Co) / 2, worked as the equal
    // ys Co / (h + sqrt(...)) / 1.7 divided through by Co, and with h² - ys Co written as
    // ((ys - (eta + 1) Co) / 2)² + ys eta Co: no cancellation for stocky struts, no overflow, and the
    // limits ys / 1.7 at slenderness 0 and 0 at very great slenderness come out of the same arithmetic.
    const double u = ys / co;
    const double hOverCo = (u + eta + 1.0) / 2.0;
    const double rootOverCo = std::hypot((u - (eta + 1.0)) / 2.0, std::sqrt(u * eta));
    return ys / (hOverCo + rootOverCo) / 1.7;
}

const char* Table19Text() {
    return "Table 19. Allowable Stress pt  In Axial Tension\r\n"
           "\r\n"
           "Form\tGrade\tThickness(mm)\tpt\r\n"
           "------------------------------------------------------------------------\r\n"
           "Rolled I-beams and channels\t43\tAll\t155\r\n"
           "Universal Beams and Columns\t43\tUp to 40\t155\r\n"
           "\t\tOver 40\t140\r\n"
           "Plates, Bars and Sections other than above\t43\tUp to 40\t155\r\n"
           "\t\tOver 40\t140\r\n"
           "\"        \"\t50\tUp to 65\t215\r\n"
           "\t\tOver 65\tYs / 1.63\r\n"
           "\"        \"\t55\tUp to 40\t265\r\n"
           "\t\tOver 40\t245\r\n"
           "Hot Roled Hollow Sections\t43\tAll\t155\r\n"
           "\"        \"\t50\tAll\t215\r\n"
           "\"        \"\t55\tAll\t265\r\n"
           "Ys = Yield Stress Agreed With Manufacturer with Maximum value of 350 N/mm2";
}

} // namespace varlen::design
