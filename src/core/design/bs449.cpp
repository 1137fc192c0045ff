#include "design/bs449.h"

#include <cmath>
#include <string_view>

#include "io/message_text.h"
#include "model/model.h"
#include "project/number_text.h"
#include "project/references.h"

namespace varlen::design {
namespace {

std::string Num(double value) {
    return project::FormatGeneral(value);
}

using project::IsRow;

const char* QuantityName(Quantity quantity) {
    switch (quantity) {
    case Quantity::AxialForce:
        return "axial force";
    case Quantity::ActualStress:
        return "actual stress";
    case Quantity::RequiredArea:
        return "required area";
    case Quantity::Slenderness:
        return "slenderness";
    case Quantity::AllowableCompressiveStress:
        return "allowable compressive stress";
    case Quantity::WeldStrengthPerMm:
        return "weld strength per millimetre (throat x pw)";
    case Quantity::WeldLength:
        return "weld length";
    }
    return "";
}

struct ParameterName {
    const char* what;
    const char* unit;
};

ParameterName NameOf(Parameter parameter) {
    switch (parameter) {
    case Parameter::AllowableTensionStress:
        return {"the allowable tension stress pt", "N/mm2"};
    case Parameter::YieldStress:
        return {"the yield stress Ys", "N/mm2"};
    case Parameter::WeldLeg:
        return {"the weld leg", "mm"};
    case Parameter::WeldDesignStrength:
        return {"the weld design strength pw", "N/mm2"};
    }
    return {"", ""};
}

// The line under the standard text naming the object at fault; empty when the fault names none.
std::string CauseLine(const DesignFault& f) {
    const std::string who = "Member " + std::to_string(f.member);
    const auto rows = static_cast<std::size_t>(f.tableRows);
    const auto section = [&] {
        // The description is the user's or a file's text: control characters are shown, not obeyed.
        return "cross-section " + std::to_string(f.section) + " (\"" +
               io::EscapeForMessage(f.sectionDescription) + "\")";
    };
    const auto joints = [&] {
        return "joints " + std::to_string(f.jointI) + " and " + std::to_string(f.jointJ);
    };
    switch (f.status) {
    case DesignStatus::Complete:
    case DesignStatus::NoResults:
    case DesignStatus::StaleResults:
        return {};
    case DesignStatus::MemberWithoutResult:
        return who + " has no result: it was added after the analysis. Analyse the structure again.";
    case DesignStatus::SectionNotInTable:
        return project::NotInTable(who, "cross-section", f.value, "cross-sections", rows);
    case DesignStatus::SectionWithoutArea:
        return who + " uses cross-section " + std::to_string(f.section) + ", whose area is " + Num(f.value) +
               ".";
    case DesignStatus::NoRadiusOfGyration:
        return who + " uses " + section() +
               ", whose description gives no radius of gyration in braces, such as {9.957}: pick the section "
               "from "
               "the catalogue or add its radius of gyration.";
    case DesignStatus::RadiusNotPositive:
        return who + " uses " + section() + ", whose radius of gyration in braces is " + Num(f.value) +
               "; it must be a number greater than 0.";
    case DesignStatus::JointNotInTable:
        return project::NotInTable(who, "joint", f.value, "joints", rows);
    case DesignStatus::ZeroLength:
        return who + " has zero length: " + joints() + " are at the same point.";
    case DesignStatus::LengthUnmeasurable:
        return who + " cannot be measured: the co-ordinates of " + joints() + " are too large.";
    case DesignStatus::ParameterNotPositive: {
        const ParameterName name = NameOf(f.parameter);
        return who + ": " + name.what + " is " + Num(f.value) + " " + name.unit +
               "; it must be a number greater than 0.";
    }
    case DesignStatus::QuantityTooLarge:
        return who + ": the " + QuantityName(f.quantity) + " is too large to be represented.";
    case DesignStatus::QuantityTooSmall:
        return who + ": the " + QuantityName(f.quantity) + " is too small to be represented.";
    case DesignStatus::QuantityUndefined:
        return who + ": the " + QuantityName(f.quantity) + " cannot be worked out from these values.";
    }
    return {};
}

DesignFault Fault(DesignStatus status, int member) {
    DesignFault f;
    f.status = status;
    f.member = member;
    return f;
}

template <typename Row> DesignOutcome<Row> Stopped(DesignOutcome<Row> outcome, DesignFault fault) {
    outcome.fault = std::move(fault);
    return outcome;
}

// The refusal every check gives before looking at a member: no analysis, edits since it, or a member the
// analysis did not see. Empty when the results can be used.
std::optional<DesignFault> Refusal(const project::Project& project, const analysis::Results* results,
                                   bool stale) {
    if (results == nullptr) return Fault(DesignStatus::NoResults, 0);
    if (stale) return Fault(DesignStatus::StaleResults, 0);
    if (project.members.EntryCount() > results->MemberCount())
        return Fault(DesignStatus::MemberWithoutResult, results->MemberCount() + 1);
    return std::nullopt;
}

// F, kN: the force at end i along the member axis (negative or zero in tension).
double EndIForce(const analysis::Results& results, int member) {
    return results.MemberLocalForce(member)[0];
}

// The force a check works to, and the combination it comes from; no force when the envelope puts the
// member no such way.
struct CheckedForce {
    std::optional<double> f; // kN at end i, as EndIForce
    std::string by;
};

enum class Extremity { Tension, Compression, Absolute };

CheckedForce ForceFor(const analysis::Results& results, const analysis::LoadCaseResults* envelope, int member,
                      Extremity extremity) {
    if (envelope == nullptr) return {EndIForce(results, member), {}};
    const analysis::MemberEnvelope& e = envelope->members[static_cast<std::size_t>(member) - 1];
    // Axial forces are positive in tension; the force at end i is their negative.
    auto from = [&](const analysis::Extreme& x) { return CheckedForce{-x.value, envelope->NameOf(x)}; };
    switch (extremity) {
    case Extremity::Tension:
        if (e.tension.by != 0) return from(e.tension);
        if (e.compression.by == 0) return {0.0, {}}; // no force in any combination
        return {};
    case Extremity::Compression:
        if (e.compression.by != 0) return from(e.compression);
        return {};
    case Extremity::Absolute:
        return from(e.absolute);
    }
    return {};
}

struct SectionOfMember {
    int number = 0;
    const model::Section* section = nullptr;
    std::optional<DesignFault> fault; // set when the member cannot be designed
};

SectionOfMember MemberSection(const model::Model& model, int member) {
    SectionOfMember s;
    const double number = model.MemberAt(member).section;
    const int rows = static_cast<int>(model.sections.size());
    if (!IsRow(number, static_cast<std::size_t>(rows))) {
        s.fault = Fault(DesignStatus::SectionNotInTable, member);
        s.fault->value = number;
        s.fault->tableRows = rows;
        return s;
    }
    s.number = static_cast<int>(number);
    s.section = &model.SectionAt(s.number);
    if (!(s.section->area > 0) || !std::isfinite(s.section->area)) {
        s.fault = Fault(DesignStatus::SectionWithoutArea, member);
        s.fault->section = s.number;
        s.fault->value = s.section->area;
    }
    return s;
}

struct LengthOfMember {
    double mm = 0;
    std::optional<DesignFault> fault; // set when the length is unusable
};

// The distance between the member's joints.
LengthOfMember MemberLength(const model::Model& model, int member) {
    LengthOfMember out;
    const int rows = model.JointCount();
    const double joint[2] = {model.MemberAt(member).jointI, model.MemberAt(member).jointJ};
    for (double j : joint) {
        if (!IsRow(j, static_cast<std::size_t>(rows))) {
            out.fault = Fault(DesignStatus::JointNotInTable, member);
            out.fault->value = j;
            out.fault->tableRows = rows;
            return out;
        }
    }
    const model::Joint& i = model.JointAt(static_cast<int>(joint[0]));
    const model::Joint& j = model.JointAt(static_cast<int>(joint[1]));
    out.mm = std::hypot(j.x - i.x, j.y - i.y);
    if (out.mm == 0 || !std::isfinite(out.mm)) {
        out.fault = Fault(out.mm == 0 ? DesignStatus::ZeroLength : DesignStatus::LengthUnmeasurable, member);
        out.fault->jointI = static_cast<int>(joint[0]);
        out.fault->jointJ = static_cast<int>(joint[1]);
    }
    return out;
}

// The fault of a design parameter that is not a positive finite number; empty when it is one.
std::optional<DesignFault> BadParameter(int member, Parameter parameter, double value) {
    if (value > 0 && std::isfinite(value)) return std::nullopt;
    DesignFault f = Fault(DesignStatus::ParameterNotPositive, member);
    f.parameter = parameter;
    f.value = value;
    return f;
}

// A stress equal to the allowable one passes whatever the binary rounding: 1000 F / A for a force and
// an area typed so that the stress is exactly pt in decimal lands a unit or so in the last place either
// side of pt. The allowance is far below any difference the tables or the grids show.
constexpr double kStressTolerance = 1e-9;
bool WithinAllowable(double stress, double allowable) {
    return stress <= allowable * (1.0 + kStressTolerance);
}

// The fault of a quantity that overflowed (or came out undefined) while a member was checked; empty
// when it is a finite number. Such a value is never put in a row.
std::optional<DesignFault> Unrepresentable(int member, Quantity quantity, double value) {
    if (std::isfinite(value)) return std::nullopt;
    DesignFault f =
        Fault(std::isnan(value) ? DesignStatus::QuantityUndefined : DesignStatus::QuantityTooLarge, member);
    f.quantity = quantity;
    return f;
}

} // namespace

bool IsRefusal(DesignStatus status) {
    return status == DesignStatus::NoResults || status == DesignStatus::StaleResults ||
           status == DesignStatus::MemberWithoutResult;
}

std::string DesignMessage(const std::vector<DesignFault>& faults) {
    std::string text;
    for (const DesignFault& fault : faults) {
        if (fault.status == DesignStatus::Complete) continue;
        if (text.empty()) text = kDesignErrorText;
        if (std::string cause = CauseLine(fault); !cause.empty()) text += "\n" + cause;
    }
    return text;
}

TensionOutcome TensionDesign(const project::Project& project, const analysis::Results* results, bool stale,
                             double pt, const analysis::LoadCaseResults* envelope) {
    if (auto refusal = Refusal(project, results, stale))
        return Stopped(TensionOutcome{}, std::move(*refusal));
    TensionOutcome outcome;
    const model::Model model = model::BuildModel(project);
    for (int m = 1; m <= model.MemberCount(); ++m) {
        const CheckedForce checked = ForceFor(*results, envelope, m, Extremity::Tension);
        if (!checked.f || !(*checked.f <= 0)) continue; // compression: the strut check's business
        const double f = *checked.f;
        const SectionOfMember section = MemberSection(model, m);
        if (section.fault) return Stopped(std::move(outcome), *section.fault);
        if (auto fault = BadParameter(m, Parameter::AllowableTensionStress, pt))
            return Stopped(std::move(outcome), *fault);
        TensionRow row;
        row.member = m;
        row.by = checked.by;
        row.force = f;
        row.actualStress = std::abs(1000.0 * f / section.section->area);
        row.requiredArea = std::abs(1000.0 * f / pt);
        for (const auto& fault : {Unrepresentable(m, Quantity::AxialForce, f),
                                  Unrepresentable(m, Quantity::ActualStress, row.actualStress),
                                  Unrepresentable(m, Quantity::RequiredArea, row.requiredArea)})
            if (fault) return Stopped(std::move(outcome), *fault);
        row.ok = WithinAllowable(row.actualStress, pt);
        outcome.rows.push_back(row);
    }
    return outcome;
}

CompressionOutcome CompressionDesign(const project::Project& project, const analysis::Results* results,
                                     bool stale, double ys, const analysis::LoadCaseResults* envelope) {
    if (auto refusal = Refusal(project, results, stale))
        return Stopped(CompressionOutcome{}, std::move(*refusal));
    CompressionOutcome outcome;
    const model::Model model = model::BuildModel(project);
    for (int m = 1; m <= model.MemberCount(); ++m) {
        const CheckedForce checked = ForceFor(*results, envelope, m, Extremity::Compression);
        if (!checked.f || !(*checked.f > 0)) continue;
        const double f = *checked.f;
        const SectionOfMember section = MemberSection(model, m);
        if (section.fault) return Stopped(std::move(outcome), *section.fault);
        if (auto fault = BadParameter(m, Parameter::YieldStress, ys))
            return Stopped(std::move(outcome), *fault);
        const std::optional<double> r = section.section->radiusOfGyration;
        if (!r || !(*r > 0) || !std::isfinite(*r)) {
            DesignFault fault =
                Fault(r ? DesignStatus::RadiusNotPositive : DesignStatus::NoRadiusOfGyration, m);
            fault.section = section.number;
            // The description is quoted as the user typed it.
            fault.sectionDescription =
                std::string(project.sections.Cell(section.number, project::section_col::Description));
            if (r) fault.value = *r;
            return Stopped(std::move(outcome), std::move(fault));
        }
        const LengthOfMember length = MemberLength(model, m);
        if (length.fault) return Stopped(std::move(outcome), *length.fault);

        CompressionRow row;
        row.member = m;
        row.by = checked.by;
        row.force = f;
        row.actualStress = std::abs(1000.0 * f / section.section->area);
        row.slenderness = length.mm / *r;
        row.allowableStress = AllowableCompressiveStress(row.slenderness, ys);
        for (const auto& fault :
             {Unrepresentable(m, Quantity::AxialForce, f),
              Unrepresentable(m, Quantity::ActualStress, row.actualStress),
              Unrepresentable(m, Quantity::Slenderness, row.slenderness),
              Unrepresentable(m, Quantity::AllowableCompressiveStress, row.allowableStress)})
            if (fault) return Stopped(std::move(outcome), *fault);
        row.ok = WithinAllowable(row.actualStress, row.allowableStress);
        outcome.rows.push_back(row);
    }
    return outcome;
}

WeldOutcome WeldDesign(const project::Project& project, const analysis::Results* results, bool stale,
                       double legMm, double pwNmm2, const analysis::LoadCaseResults* envelope) {
    if (auto refusal = Refusal(project, results, stale)) return Stopped(WeldOutcome{}, std::move(*refusal));
    WeldOutcome outcome;
    const double throat = legMm * kThroatPerLeg; // mm
    const double q = throat * pwNmm2;            // N per mm of weld
    for (int m = 1; m <= project.members.EntryCount(); ++m) {
        if (auto fault = BadParameter(m, Parameter::WeldLeg, legMm))
            return Stopped(std::move(outcome), *fault);
        if (auto fault = BadParameter(m, Parameter::WeldDesignStrength, pwNmm2))
            return Stopped(std::move(outcome), *fault);
        // Leg and strength each fine can still multiply out of range; a q of 0 would make 0 / 0 of a
        // member without force.
        if (!(q > 0)) {
            DesignFault fault = Fault(DesignStatus::QuantityTooSmall, m);
            fault.quantity = Quantity::WeldStrengthPerMm;
            return Stopped(std::move(outcome), std::move(fault));
        }
        if (auto fault = Unrepresentable(m, Quantity::WeldStrengthPerMm, q))
            return Stopped(std::move(outcome), *fault);
        WeldRow row;
        row.member = m;
        const CheckedForce checked = ForceFor(*results, envelope, m, Extremity::Absolute);
        row.by = checked.by;
        row.force = checked.f.value_or(0.0);
        row.length = std::abs(row.force) / q; // kN over N/mm: metres
        for (const auto& fault : {Unrepresentable(m, Quantity::AxialForce, row.force),
                                  Unrepresentable(m, Quantity::WeldLength, row.length)})
            if (fault) return Stopped(std::move(outcome), *fault);
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
