// Member design to BS 449-2 (structural steel in building): axial tension, axial compression (struts
// by the Perry-Robertson formula) and the fillet welds at the member ends. The checks work on the
// full-precision forces of the results store, never on the rounded texts of the results grids, and
// read sections, members and joints from the project's Model (model::BuildModel), built once per check.
//
// Every check walks members 1 .. project.members.EntryCount() and takes F (kN) as the force at end i
// along the member axis, results.MemberLocalForce(m)[0]: negative or zero in tension, positive in
// compression.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/load_cases.h"
#include "analysis/results.h"
#include "project/project.h"

namespace varlen::design {

// What the user is shown when a check is refused or stops: this title and this text, then (when one
// member is at fault) a line naming it and the reason; see DesignMessage.
inline constexpr const char* kDesignErrorTitle = "Please Review Your Structure";
inline constexpr const char* kDesignErrorText = "Changes Occured or Structure has not been analysed or Cross "
                                                "Sectional Properties Has Been Wrongly Defined! "
                                                "Structure Cannot Be Designed.";

// Young's modulus of the strut formula, N/mm², and the value of pi it is worked with.
inline constexpr double kDesignYoungsModulus = 210000.0;
inline constexpr double kDesignPi = 3.141592654;
// Weld throat over leg for an equal-leg fillet at 90 degrees.
inline constexpr double kThroatPerLeg = 0.707106781;

// Why a check was refused or stopped. A refusal checks nothing; a stop keeps the rows of the members
// before the one at fault.
enum class DesignStatus {
    Complete,             // every member was checked
    NoResults,            // refused: no analysis yet
    StaleResults,         // refused: the project was edited since the analysis
    MemberWithoutResult,  // refused: `member` was added after the analysis
    SectionNotInTable,    // `value` names no row of the cross-sections table (`tableRows` rows)
    SectionWithoutArea,   // `section`'s area, `value`, is not a positive finite number
    NoRadiusOfGyration,   // `section`'s description gives no radius of gyration in braces
    RadiusNotPositive,    // `section`'s radius of gyration in braces, `value`, is not above 0
    JointNotInTable,      // `value` names no row of the joints table (`tableRows` rows)
    ZeroLength,           // joints `jointI` and `jointJ` are at the same point
    LengthUnmeasurable,   // the distance between `jointI` and `jointJ` overflows
    ParameterNotPositive, // `parameter`, `value`, is not a positive finite number
    QuantityTooLarge,     // `quantity` overflowed
    QuantityTooSmall,     // `quantity` underflowed to 0 (a divisor)
    QuantityUndefined,    // `quantity` came out as no number at all
};

// A value worked out while a member is checked; never put in a row unless finite.
enum class Quantity {
    AxialForce,
    ActualStress,
    RequiredArea,
    Slenderness,
    AllowableCompressiveStress,
    WeldStrengthPerMm, // throat x pw, N/mm
    WeldLength,
};

// The inputs of the checks that the user chooses.
enum class Parameter { AllowableTensionStress, YieldStress, WeldLeg, WeldDesignStrength };

// What refused or stopped a check and the objects at fault; only the fields the status names are set.
struct DesignFault {
    DesignStatus status = DesignStatus::Complete;
    int member = 0;                 // every status but Complete, NoResults and StaleResults
    int section = 0;                // the cross-section the member uses, for the section statuses
    std::string sectionDescription; // NoRadiusOfGyration, RadiusNotPositive
    double value = 0;               // the number at fault (a reference, an area, a radius, a parameter)
    int tableRows = 0;              // SectionNotInTable, JointNotInTable
    int jointI = 0, jointJ = 0;     // ZeroLength, LengthUnmeasurable
    Quantity quantity = Quantity::AxialForce;                // the Quantity* statuses
    Parameter parameter = Parameter::AllowableTensionStress; // ParameterNotPositive

    bool operator==(const DesignFault&) const = default;
};

// True for the statuses under which nothing was checked.
[[nodiscard]] bool IsRefusal(DesignStatus status);

// The message the user is shown under kDesignErrorTitle for the faults of one or more checks:
// kDesignErrorText once, then for each fault that names an object a line saying which and why ("Member 3: the
// required area is too large to be represented."). Faults with status Complete are skipped.
[[nodiscard]] std::string DesignMessage(const std::vector<DesignFault>& faults);

// The outcome of one check. `rows` holds the members checked before any fault, in member order.
// Every number in a row is finite: a stress, area, slenderness or weld length that overflows stops
// the check with a fault naming the member and the quantity.
//
// A stress passes when it is at most the allowable one plus a relative 1e-9, so that a stress equal to
// the allowable one in decimal reads "OK" whatever the binary rounding of 1000 F / A.
template <typename Row> struct DesignOutcome {
    std::vector<Row> rows;
    DesignFault fault;

    [[nodiscard]] bool Complete() const { return fault.status == DesignStatus::Complete; }
    [[nodiscard]] bool Refused() const { return IsRefusal(fault.status); }
};

struct TensionRow {
    int member = 0;
    double force = 0;        // F, kN (<= 0)
    double actualStress = 0; // fa = |1000 F / A|, N/mm²
    double requiredArea = 0; // |1000 F / pt|, mm²
    bool ok = false;         // fa <= pt (within 1e-9 relative)
    std::string by;          // the combination that gives the force, when designing for an envelope
};

struct CompressionRow {
    int member = 0;
    double force = 0;           // F, kN (> 0)
    double actualStress = 0;    // fa = |1000 F / A|, N/mm²
    double allowableStress = 0; // pc, N/mm²
    double slenderness = 0;     // lambda = L / r: L the joint-to-joint length, r the radius of gyration, mm
    bool ok = false;            // fa <= pc (within 1e-9 relative)
    std::string by;             // the combination that gives the force, when designing for an envelope
};

struct WeldRow {
    int member = 0;
    double force = 0; // F, kN
    // |F| / q with F in kN and q = throat x pw in N/mm: the length of weld needed at each end, in METRES.
    double length = 0;
    std::string by; // the combination that gives the force, when designing for an envelope
};

using TensionOutcome = DesignOutcome<TensionRow>;
using CompressionOutcome = DesignOutcome<CompressionRow>;
using WeldOutcome = DesignOutcome<WeldRow>;

// Members in tension (F <= 0; a member with no force counts as one) against the allowable tension
// stress pt (N/mm², from Table 19). Members in compression get no row. `results` may be null (no
// analysis yet); `stale` says the project was edited since the analysis.
//
// With `envelope` (of the same analysis as `results`, which then serves the refusals alone) each member is
// checked for its greatest tension over the combinations, and gets no row when none puts it in tension
// (a member without force in every one gets one, with F = 0).
[[nodiscard]] TensionOutcome TensionDesign(const project::Project& project, const analysis::Results* results,
                                           bool stale, double pt,
                                           const analysis::LoadCaseResults* envelope = nullptr);

// Members in compression (F > 0) against the allowable compressive stress pc of their slenderness,
// for steel of yield stress ys (N/mm²). The radius of gyration (mm) is the number in braces in the
// cross-section's description, as the catalogue rows carry it: "... (96.129){9.957}".
// With `envelope`, each member's greatest compression over the combinations.
[[nodiscard]] CompressionOutcome CompressionDesign(const project::Project& project,
                                                   const analysis::Results* results, bool stale, double ys,
                                                   const analysis::LoadCaseResults* envelope = nullptr);

// The length of equal-leg fillet weld (leg in mm, design strength pw in N/mm²) each member needs at each
// end to carry its force. Every member gets a row.
// With `envelope`, each member's force of greatest magnitude over the combinations.
[[nodiscard]] WeldOutcome WeldDesign(const project::Project& project, const analysis::Results* results,
                                     bool stale, double legMm, double pwNmm2,
                                     const analysis::LoadCaseResults* envelope = nullptr);

// pc (N/mm²) of a strut of the given slenderness (> 0) and yield stress ys (N/mm²), by the
// Perry-Robertson formula: eta = 0.3 (lambda / 100)², Co = pi² E / lambda²,
// h = (ys + (eta + 1) Co) / 2, pc = (h - sqrt(h² - ys Co)) / 1.7. A slenderness of 0 or less gives
// the limit ys / 1.7.
[[nodiscard]] double AllowableCompressiveStress(double slenderness, double ys);

// The extract of Table 19 (allowable stress pt in axial tension) shown beside the tension check: lines
// separated by "\r\n", columns by tabs.
[[nodiscard]] const char* Table19Text();

} // namespace varlen::design
