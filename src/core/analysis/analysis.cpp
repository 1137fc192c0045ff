#include "analysis/analysis.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>

#include "analysis/assembly.h"
#include "analysis/solver_library.h"
#include "project/number_text.h"
#include "project/references.h"

namespace varlen::analysis {
namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A message with a thousand faulty members is no use; the first few say what kind of fault it is.
constexpr std::size_t kMaxCauses = 20;

class Causes {
public:
    void Add(std::string line) {
        if (m_lines.size() < kMaxCauses)
            m_lines.push_back(std::move(line));
        else
            ++m_more;
    }
    [[nodiscard]] bool Empty() const { return m_lines.empty(); }
    std::vector<std::string> Take() {
        if (m_more > 0)
            m_lines.push_back("... and " + std::to_string(m_more) + " more problem" +
                              (m_more == 1 ? "" : "s") + " of these kinds.");
        return std::move(m_lines);
    }

private:
    std::vector<std::string> m_lines;
    long long m_more = 0;
};

std::string Num(double value) {
    return project::FormatGeneral(value);
}

using project::IsRow;
using project::NotInTable;

std::vector<MemberState> CheckMembers(const model::Model& in, Causes& causes) {
    std::vector<MemberState> states;
    states.reserve(in.members.size());
    const std::size_t joints = in.joints.size();
    for (std::size_t index = 0; index < in.members.size(); ++index) {
        const model::Member& m = in.members[index];
        const std::string who = "Member " + std::to_string(index + 1);
        const bool jointsOk = IsRow(m.jointI, joints) && IsRow(m.jointJ, joints);
        if (!IsRow(m.jointI, joints))
            causes.Add(NotInTable(who + " at end i", "joint", m.jointI, "joints", joints));
        if (!IsRow(m.jointJ, joints))
            causes.Add(NotInTable(who + " at end j", "joint", m.jointJ, "joints", joints));
        const bool materialOk = IsRow(m.material, in.materials.size());
        if (!materialOk)
            causes.Add(NotInTable(who, "material", m.material, "materials", in.materials.size()));
        const bool sectionOk = IsRow(m.section, in.sections.size());
        if (!sectionOk)
            causes.Add(NotInTable(who, "cross-section", m.section, "cross-sections", in.sections.size()));

        double e = 0, a = 0;
        if (materialOk) {
            e = in.MaterialAt(static_cast<int>(m.material)).youngsModulus;
            if (!(e > 0) || !std::isfinite(e))
                causes.Add(who + " uses material " + Num(m.material) + ", whose Young's modulus is " +
                           Num(e) + ": it must be a number greater than 0.");
        }
        if (sectionOk) {
            a = in.SectionAt(static_cast<int>(m.section)).area;
            if (!(a > 0) || !std::isfinite(a))
                causes.Add(who + " uses cross-section " + Num(m.section) + ", whose area is " + Num(a) +
                           ": it must be a number greater than 0.");
        }
        if (!jointsOk) continue;
        const auto i = static_cast<std::size_t>(m.jointI) - 1, j = static_cast<std::size_t>(m.jointJ) - 1;
        const double dx = in.joints[j].x - in.joints[i].x;
        const double dy = in.joints[j].y - in.joints[i].y;
        const double length = std::sqrt(dx * dx + dy * dy);
        if (length == 0) {
            causes.Add(who + " has zero length: joints " + Num(m.jointI) + " and " + Num(m.jointJ) +
                       " are at the same point.");
            continue;
        }
        if (!std::isfinite(length)) {
            causes.Add(who + " cannot be measured: the co-ordinates of joints " + Num(m.jointI) + " and " +
                       Num(m.jointJ) + " are too large.");
            continue;
        }
        if (!(e > 0) || !(a > 0) || !std::isfinite(e) || !std::isfinite(a)) continue;
        const double k = LocalStiffness(e, a, length);
        if (!std::isfinite(k) || k <= 0) {
            causes.Add(who + ": its stiffness E A / L cannot be worked out (E " + Num(e) + " kN/mm2, A " +
                       Num(a) + " mm2, L " + Num(length) + " mm).");
            continue;
        }
        states.push_back({static_cast<std::int32_t>(m.jointI), static_cast<std::int32_t>(m.jointJ),
                          Transformation(dx, dy, length), k});
    }
    return states;
}

// Loads on one joint add up; the sums stay whole (loads on restrained DOF included) for the reactions.
// `ofCase` follows "Load 3" in a message about a case after the first (" of case 2 (Wind)").
std::vector<double> JointLoad(const std::vector<model::Load>& loads, std::size_t joints, Causes& causes,
                              const std::string& ofCase = {}) {
    std::vector<double> load(2 * joints, 0.0);
    for (std::size_t index = 0; index < loads.size(); ++index) {
        const model::Load& l = loads[index];
        const std::string who = "Load " + std::to_string(index + 1) + ofCase;
        if (!IsRow(l.joint, joints)) {
            causes.Add(NotInTable(who, "joint", l.joint, "joints", joints));
            continue;
        }
        if (!std::isfinite(l.fx) || !std::isfinite(l.fy)) {
            causes.Add(who + " on joint " + Num(l.joint) + " is not a finite force.");
            continue;
        }
        const auto d = 2 * (static_cast<std::size_t>(l.joint) - 1);
        load[d] += l.fx;
        load[d + 1] += l.fy;
    }
    return load;
}

std::string Capitalised(std::string words) {
    if (!words.empty()) words[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(words[0])));
    return words;
}

std::string CaseWords(const model::Model& in, int loadCase) {
    return "load case " + std::to_string(loadCase) + " (\"" + in.CaseName(loadCase) + "\")";
}

} // namespace

std::vector<std::string> LoadCaseProblems(const model::Model& in) {
    Causes causes;
    std::vector<std::pair<std::string, std::string>> names; // name, whose
    auto named = [&](const std::string& name, std::string who) {
        if (name.empty()) {
            causes.Add(Capitalised(who) + " has no name.");
            return;
        }
        for (const auto& [earlier, whose] : names)
            if (earlier == name) {
                causes.Add(Capitalised(who) + " has the name of " + whose + ".");
                return;
            }
        names.emplace_back(name, std::move(who));
    };
    const bool several = in.CaseCount() > 1 || !in.combinations.empty();
    for (int c = 1; c <= in.CaseCount(); ++c) {
        std::string who = CaseWords(in, c);
        if (several && in.CaseLoads(c).empty()) causes.Add(Capitalised(who) + " has no loads.");
        named(in.CaseName(c), who);
    }
    for (std::size_t k = 0; k < in.combinations.size(); ++k) {
        const model::Combination& combination = in.combinations[k];
        const std::string who = "combination " + std::to_string(k + 1) + " (\"" + combination.name + "\")";
        if (combination.factors.empty()) causes.Add(Capitalised(who) + " has no factors.");
        for (std::size_t f = 0; f < combination.factors.size(); ++f) {
            const model::CaseFactor& factor = combination.factors[f];
            const std::string which = "Factor " + std::to_string(f + 1) + " of " + who;
            if (!IsRow(factor.loadCase, static_cast<std::size_t>(in.CaseCount())))
                causes.Add(which + " names load case " + Num(factor.loadCase) +
                           ", which is not a load case from 1 to " + std::to_string(in.CaseCount()) + ".");
            if (!std::isfinite(factor.factor)) causes.Add(which + " is not a finite number.");
        }
        named(combination.name, who);
    }
    return causes.Take();
}

namespace {

// Restraint bits per joint: bit 0 X, bit 1 Y.
std::vector<std::uint8_t> InputSupports(const model::Model& in) {
    std::vector<std::uint8_t> restraint(in.joints.size(), 0);
    for (std::size_t j = 0; j < in.joints.size(); ++j)
        restraint[j] =
            static_cast<std::uint8_t>((in.joints[j].fixedX ? 1u : 0u) | (in.joints[j].fixedY ? 2u : 0u));
    return restraint;
}

std::string Unstable(int dof) {
    return "Joint " + std::to_string(dof / 2 + 1) + " cannot resist load along " +
           (dof % 2 == 0 ? "X" : "Y") + ": the truss is unstable there.";
}

void StopAtJoint(AnalysisOutcome& outcome, StopReason reason, int dof) {
    outcome.reason = reason;
    outcome.joint = dof / 2 + 1;
    outcome.axis = dof % 2 == 0 ? 'X' : 'Y';
}

} // namespace

const char* PhaseName(AnalysisPhase phase) {
    switch (phase) {
    case AnalysisPhase::Assembling:
        return "assembling";
    case AnalysisPhase::Ordering:
        return "ordering";
    case AnalysisPhase::Factorising:
        return "factorising";
    case AnalysisPhase::Solving:
        return "solving";
    }
    return "";
}

std::string AnalysisOutcome::Message() const {
    std::string text = kAnalysisErrorText;
    for (const std::string& line : causes)
        text += "\n" + line;
    return text;
}

namespace {

struct CheckedInput {
    std::vector<double> x, y; // mm, per joint
    std::vector<MemberState> members;
    std::vector<double> load;                   // the first load case
    std::vector<std::vector<double>> moreLoads; // cases 2, 3, ... when all cases are analysed
    std::vector<std::string> caseNames;         // every case's, when all cases are analysed
    std::vector<model::Combination> combinations;
    std::vector<std::uint8_t> restraint;
};

AnalysisOutcome AnalyseChecked(CheckedInput checked, const AnalysisOptions& options, AnalysisOutcome outcome);

// The supports alone must stop the truss moving as a rigid body: something must restrain it along X,
// something along Y, and the lines along which the restraints act must not all pass through one point,
// about which the whole truss could turn. The members cannot make up for any of these, so the user is
// told about the supports first, in those words, before a joint that moves is named.
bool SupportsHoldTheTruss(const model::Model& in, const std::vector<std::uint8_t>& restraint,
                          AnalysisOutcome& outcome) {
    const std::size_t joints = restraint.size();
    bool anyFree = false, anyX = false, anyY = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (std::size_t j = 0; j < joints; ++j) {
        anyFree = anyFree || restraint[j] != 3;
        anyX = anyX || (restraint[j] & 1u) != 0;
        anyY = anyY || (restraint[j] & 2u) != 0;
        const model::Joint& p = in.joints[j];
        minX = j == 0 ? p.x : std::min(minX, p.x);
        maxX = j == 0 ? p.x : std::max(maxX, p.x);
        minY = j == 0 ? p.y : std::min(minY, p.y);
        maxY = j == 0 ? p.y : std::max(maxY, p.y);
    }
    if (!anyFree) return true;
    // A joint that a member reaches moves with the truss; a loose one is found later anyway.
    std::vector<bool> used(joints, false);
    for (const model::Member& m : in.members) {
        used[static_cast<std::size_t>(m.jointI) - 1] = true;
        used[static_cast<std::size_t>(m.jointJ) - 1] = true;
    }
    auto firstUsed = [&] {
        for (std::size_t j = 0; j < joints; ++j)
            if (used[j]) return static_cast<int>(j);
        return 0;
    };
    const std::string sentence = "The supports as a whole cannot stop the truss moving: ";
    for (int axis = 0; axis < 2; ++axis) {
        if (axis == 0 ? anyX : anyY) continue;
        const int dof = 2 * firstUsed() + axis;
        outcome.causes = {sentence + "nothing restrains it along " + (axis == 0 ? "X." : "Y."),
                          Unstable(dof)};
        StopAtJoint(outcome, StopReason::Supports, dof);
        return false;
    }
    // X restraints act along horizontal lines (their joints' Y), Y restraints along vertical ones (X):
    // they all meet in one point when every X restraint shares one Y and every Y restraint one X. Equal
    // means within a billionth of the truss's size, the noise of co-ordinates drawn in CAD.
    const double tolerance = 1e-9 * std::max(maxX - minX, maxY - minY);
    double pointX = 0, pointY = 0;
    bool firstX = true, firstY = true;
    for (std::size_t j = 0; j < joints; ++j) {
        if (restraint[j] & 1u) {
            if (!firstX && std::abs(in.joints[j].y - pointY) > tolerance) return true;
            pointY = in.joints[j].y, firstX = false;
        }
        if (restraint[j] & 2u) {
            if (!firstY && std::abs(in.joints[j].x - pointX) > tolerance) return true;
            pointX = in.joints[j].x, firstY = false;
        }
    }
    // The joint farthest from the point moves most; it moves across the line joining them.
    std::size_t farthest = 0, atPoint = joints;
    double distance = -1;
    for (std::size_t j = 0; j < joints; ++j) {
        const double dx = in.joints[j].x - pointX, dy = in.joints[j].y - pointY;
        const double d = std::hypot(dx, dy);
        if (used[j] && d > distance) distance = d, farthest = j;
        if (d <= tolerance && atPoint == joints) atPoint = j;
    }
    const double dx = in.joints[farthest].x - pointX, dy = in.joints[farthest].y - pointY;
    const int dof = 2 * static_cast<int>(farthest) + (std::abs(dy) >= std::abs(dx) ? 0 : 1);
    const std::string where = atPoint < joints
                                  ? "joint " + std::to_string(atPoint + 1)
                                  : "the point (" + Num(project::ScaleByPowerOfTen(pointX, -3)) + " m, " +
                                        Num(project::ScaleByPowerOfTen(pointY, -3)) + " m)";
    outcome.causes = {sentence + "every support acts along a line through " + where +
                          ", so the truss can turn about it.",
                      Unstable(dof)};
    StopAtJoint(outcome, StopReason::Supports, dof);
    return false;
}

CheckedInput Check(const model::Model& input, const AnalysisOptions& options, AnalysisOutcome& outcome) {
    const auto start = Clock::now();
    Causes causes;
    CheckedInput checked;
    checked.members = CheckMembers(input, causes);
    checked.load = JointLoad(input.loads, input.joints.size(), causes);
    if (options.loadCases) {
        for (std::string& line : LoadCaseProblems(input))
            causes.Add(std::move(line));
        for (int c = 2; c <= input.CaseCount(); ++c)
            checked.moreLoads.push_back(
                JointLoad(input.CaseLoads(c), input.joints.size(), causes, " of " + CaseWords(input, c)));
        for (int c = 1; c <= input.CaseCount(); ++c)
            checked.caseNames.push_back(input.CaseName(c));
        checked.combinations = input.combinations;
    }
    checked.restraint = InputSupports(input);
    if (!causes.Empty()) {
        outcome.causes = causes.Take();
        outcome.reason = StopReason::Input;
    } else {
        (void)SupportsHoldTheTruss(input, checked.restraint, outcome);
    }
    outcome.times.check = Since(start);
    return checked;
}

// The results keep where the joints are, for a drawing of the deflected truss.
void TakeCoordinates(const model::Model& input, CheckedInput& checked) {
    checked.x.reserve(input.joints.size());
    checked.y.reserve(input.joints.size());
    for (const model::Joint& j : input.joints) {
        checked.x.push_back(j.x);
        checked.y.push_back(j.y);
    }
}
} // namespace

AnalysisOutcome Analyse(const model::Model& input, const AnalysisOptions& options) {
    AnalysisOutcome outcome;
    CheckedInput checked = Check(input, options, outcome);
    if (!outcome.causes.empty()) return outcome;
    TakeCoordinates(input, checked);
    return AnalyseChecked(std::move(checked), options, std::move(outcome));
}

AnalysisOutcome Analyse(model::Model&& input, const AnalysisOptions& options) {
    AnalysisOutcome outcome;
    CheckedInput checked = Check(input, options, outcome);
    if (outcome.causes.empty()) TakeCoordinates(input, checked);
    input = model::Model{};
    if (!outcome.causes.empty()) return outcome;
    return AnalyseChecked(std::move(checked), options, std::move(outcome));
}

namespace {

// The mechanism test. A pivot threshold alone is at the mercy of rounding: a mechanism's zero pivot can
// come out at 1e-11 of its diagonal (more in a linkage near a dead point, where earlier pivots are small),
// while a stable truss whose members differ in stiffness by 1e8 has honest pivots far smaller than that.
// So the decision is taken on the truss's geometry alone: the same pattern with every member given unit
// stiffness, because a mechanism is a matter of shape and connections, not of moduli. The geometry is
// a mechanism when
//  - its factorisation breaks down;
//  - a joint's stiffness in its weakest direction, when its two equations are eliminated, is below
//    kGeometryPivot of the unit stiffness of a member (the smaller eigenvalue of the joint's 2 x 2 block,
//    so the test does not depend on how the bars lie against the axes): a joint a hair off the straight
//    line of its two bars, 0.0001 mm on 1 m, has 1e-14 whichever way the bars are drawn, while stable
//    trusses keep theirs far above it (measured: 0.17 to 0.25 in braced lattices of 10^4 to 10^5
//    joints, 1.7e-4 in a 9,070-panel girder of span to depth 9,070);
//  - or it fails the physical check below for a probe load on every free direction: the motion of a
//    mechanism strains no member, so the work of any load that moves it dwarfs the strain energy, however
//    rounding disturbed the pivots.
// The geometry is factorised only when the structure's own factor gives cause: a joint stiffness below
// kSuspectPivot of the stiffest member, a breakdown, or an answer that fails the physical check.
constexpr double kGeometryPivot = 1e-11;
constexpr double kSuspectPivot = 1e-9;
// After every solve the answer is checked against physics rather than against K: each free joint in
// equilibrium with its member forces and loads, to kEquilibriumTolerance of the largest load or member
// force, and the loads' work equal to the strain energy stored in the members (f.x = sum N^2 L / E A), to
// kEnergyTolerance of the two. A mechanism disguised by rounding fails the energy check by orders of
// magnitude (its work is all in a motion that strains nothing: the error is near 1); a stable truss
// passes both with errors near 1e-16 times its stiffness ratio and its slenderness (a stiff member's force
// is a small difference of its ends' large displacements), a few 1e-6 when E A / L differ by 1e9 and
// the lengths by 1e4: a hundred-thousandth of the largest force still lies far below any figure shown.
constexpr double kEquilibriumTolerance = 1e-5;
constexpr double kEnergyTolerance = 1e-4;
constexpr int kRefinements = 3;
// Below this the answer is already far better than any output shows, and a refinement would cost a
// solve for nothing.
constexpr double kRefinedEquilibrium = 1e-10;

struct PhysicsCheck {
    double equilibrium = 0; // worst free-joint imbalance over the scale
    double energy = 0;
    int worstDof = -1;
    int memberNotFinite = 0; // 1-based
    [[nodiscard]] bool Passed() const {
        return memberNotFinite == 0 && equilibrium <= kEquilibriumTolerance && energy <= kEnergyTolerance;
    }
};

// `residual` receives load - sum of member end forces at every DOF (restrained ones included). It is
// summed in extended precision: the refinement it feeds then brings the displacements to full double
// accuracy even where the stiffnesses are 1e10 apart, which a residual in double cannot (its own
// rounding is as large as the error it is meant to find). `kind` Geometry: every member with unit stiffness.
PhysicsCheck CheckPhysics(const std::vector<MemberState>& members, const std::vector<double>& load,
                          const DofMap& dofs, const std::vector<double>& x, std::vector<double>& residual,
                          StiffnessKind kind = StiffnessKind::Members) {
    using Wide = long double;
    PhysicsCheck check;
    std::vector<Wide> sum(load.begin(), load.end());
    Wide largest = 0, strainEnergy = 0;
    for (std::size_t m = 0; m < members.size(); ++m) {
        const MemberState& s = members[m];
        const Wide k = kind == StiffnessKind::Geometry ? 1.0L : Wide{s.k};
        const auto i = 2 * static_cast<std::size_t>(s.jointI - 1),
                   j = 2 * static_cast<std::size_t>(s.jointJ - 1);
        const Wide c = s.rotation.c, sn = s.rotation.s;
        const Wide stretch = c * (Wide{x[j]} - x[i]) + sn * (Wide{x[j + 1]} - x[i + 1]);
        const Wide tension = k * stretch;
        if (!std::isfinite(static_cast<double>(tension))) {
            if (check.memberNotFinite == 0) check.memberNotFinite = static_cast<int>(m) + 1;
            continue;
        }
        largest = std::max(largest, std::abs(tension));
        strainEnergy += tension * stretch;
        // The member pulls its ends towards each other when in tension.
        sum[i] += c * tension;
        sum[i + 1] += sn * tension;
        sum[j] -= c * tension;
        sum[j + 1] -= sn * tension;
    }
    Wide work = 0, workScale = 0;
    for (std::size_t d = 0; d < load.size(); ++d) {
        largest = std::max(largest, Wide{std::abs(load[d])});
        work += Wide{load[d]} * x[d];
        workScale += std::abs(Wide{load[d]} * x[d]);
    }
    residual.assign(load.size(), 0.0);
    Wide worst = 0;
    for (int dof : dofs.dofOfFree) {
        const auto d = static_cast<std::size_t>(dof);
        residual[d] = static_cast<double>(sum[d]);
        const Wide r = std::abs(sum[d]);
        if (!(r <= worst)) worst = r, check.worstDof = dof;
    }
    check.equilibrium = static_cast<double>(largest > 0 ? worst / largest : worst);
    const Wide energyScale = workScale + strainEnergy;
    check.energy = static_cast<double>(energyScale > 0 ? std::abs(work - strainEnergy) / energyScale : 0.0L);
    if (!std::isfinite(check.equilibrium) || !std::isfinite(check.energy))
        check.equilibrium = check.energy = std::numeric_limits<double>::infinity();
    return check;
}

struct StiffnessRange {
    int softest = 0, stiffest = 0; // 1-based
    double low = 0, high = 0;      // kN/mm
};

StiffnessRange Extremes(const std::vector<MemberState>& members) {
    StiffnessRange range;
    for (std::size_t m = 0; m < members.size(); ++m) {
        const double k = members[m].k;
        if (range.softest == 0 || k < range.low) range.low = k, range.softest = static_cast<int>(m) + 1;
        if (range.stiffest == 0 || k > range.high) range.high = k, range.stiffest = static_cast<int>(m) + 1;
    }
    return range;
}

void StopUnreliable(AnalysisOutcome& outcome, const std::vector<MemberState>& members) {
    const StiffnessRange range = Extremes(members);
    outcome.reason = StopReason::Unreliable;
    outcome.members = {range.softest, range.stiffest};
    outcome.causes.push_back("The structure equations cannot be solved reliably, though the truss is stable: "
                             "its members' stiffnesses "
                             "E A / L are too far apart, from " +
                             Num(range.low) + " kN/mm (member " + std::to_string(range.softest) + ") to " +
                             Num(range.high) + " kN/mm (member " + std::to_string(range.stiffest) +
                             "). Check the moduli, areas and lengths of these members.");
}

void StopFactor(AnalysisOutcome& outcome, FactorStatus status, const CholeskyFactor& factor,
                Eigen::Index equations) {
    if (status == FactorStatus::OutOfMemory) {
        outcome.reason = StopReason::OutOfMemory;
        outcome.causes.push_back("There is not enough memory to solve the structure equations (" +
                                 std::to_string(equations) + " equations).");
        return;
    }
    outcome.reason = StopReason::SolverFailed;
    outcome.cholmodStatus = factor.CholmodStatus();
    outcome.causes.push_back("The sparse solver could not solve the structure equations (CHOLMOD status " +
                             std::to_string(factor.CholmodStatus()) + ").");
}

AnalysisOutcome AnalyseChecked(CheckedInput checked, const AnalysisOptions& options,
                               AnalysisOutcome outcome) {
    std::vector<MemberState>& members = checked.members;
    std::vector<double>& load = checked.load;
    std::vector<std::uint8_t>& restraint = checked.restraint;
    const int jointCount = static_cast<int>(restraint.size());
    auto start = Clock::now();
    auto phase = [&options](AnalysisPhase p) {
        if (options.onPhase) options.onPhase(p);
    };
    phase(AnalysisPhase::Assembling);

    const DofMap dofs = BoundaryConditions(restraint);
    // Scaled exactly, by a power of two, so that the stiffest member's E A / L lies in [1, 2): tiny or huge
    // moduli neither underflow nor overflow inside the factorisation, and kSuspectPivot is a fraction of
    // the stiffest member.
    const StiffnessRange range = Extremes(members);
    const int exponent = range.high > 0 ? -std::ilogb(range.high) : 0;
    SparseMatrix k = StructuralStiffness(jointCount, members, dofs, StiffnessKind::Members, exponent);
    const auto n = static_cast<Eigen::Index>(dofs.dofOfFree.size());
    outcome.freeDofs = static_cast<int>(n);
    outcome.nonZeros = k.nonZeros();
    outcome.times.assemble = Since(start);

    // A free direction no member stiffens (a joint without members, or one where only members along
    // the other axis meet) is found before the factorisation, in joint order.
    for (Eigen::Index q = 0; q < n; ++q) {
        if (k.valuePtr()[k.outerIndexPtr()[q + 1] - 1] == 0.0) {
            const int dof = dofs.dofOfFree[static_cast<std::size_t>(q)];
            outcome.causes.push_back(Unstable(dof));
            StopAtJoint(outcome, StopReason::Mechanism, dof);
            return outcome;
        }
    }

    std::vector<int> jointOfColumn(dofs.dofOfFree.size());
    for (std::size_t q = 0; q < jointOfColumn.size(); ++q)
        jointOfColumn[q] = dofs.dofOfFree[q] / 2;
    if (const std::string& problem = SolverProblem(); !problem.empty()) {
        outcome.reason = StopReason::SolverFailed;
        outcome.causes.push_back("The sparse solver is not available: " + problem + ".");
        return outcome;
    }
    CholeskyFactor factor;
    auto report = [&] {
        outcome.times.order = factor.analyseSeconds;
        outcome.times.factor = factor.factorSeconds;
        outcome.times.solve = factor.solveSeconds;
        outcome.factorFlops = factor.factorFlops;
        outcome.factorNonZeros = factor.factorNonZeros;
    };
    phase(AnalysisPhase::Ordering);
    FactorStatus status = factor.Analyse(k, jointOfColumn, options.ordering);
    phase(AnalysisPhase::Factorising);
    // The factor takes the matrix over: at a million joints its room is wanted while the factor fills.
    if (status == FactorStatus::Factored) status = factor.Factor(std::move(k));
    report();
    if (status == FactorStatus::OutOfMemory || status == FactorStatus::Failed) {
        StopFactor(outcome, status, factor, n);
        return outcome;
    }
    PivotReport pivots;
    if (status == FactorStatus::Factored) {
        pivots = factor.Pivots(jointOfColumn);
        outcome.smallestRelativePivot = pivots.smallestRelative;
    }

    // True when the geometry shows a mechanism (the outcome then says where); the structure's own factor
    // is restored otherwise.
    bool geometryChecked = false;
    auto isMechanism = [&]() -> bool {
        geometryChecked = true;
        auto mechanismAt = [&](int column) {
            const int dof = dofs.dofOfFree[static_cast<std::size_t>(column)];
            outcome.causes.push_back(Unstable(dof));
            StopAtJoint(outcome, StopReason::Mechanism, dof);
            return true;
        };
        {
            const FactorStatus geometry =
                factor.Factor(StructuralStiffness(jointCount, members, dofs, StiffnessKind::Geometry));
            report();
            if (geometry == FactorStatus::NotPositiveDefinite) return mechanismAt(factor.FailedColumn());
            if (geometry != FactorStatus::Factored) {
                StopFactor(outcome, geometry, factor, n);
                return true;
            }
            const PivotReport pivots = factor.Pivots(jointOfColumn);
            outcome.smallestGeometryPivot = pivots.smallest;
            if (!(pivots.smallest >= kGeometryPivot)) return mechanismAt(pivots.column);
            // A probe load on every free direction, the same every run, moves any mechanism.
            Eigen::VectorXd probe(n), moved;
            std::uint64_t state = 0x9E3779B97F4A7C15u;
            for (Eigen::Index q = 0; q < n; ++q) {
                state = state * 6364136223846793005u + 1442695040888963407u;
                probe[q] = static_cast<double>(state >> 11) / 9007199254740992.0 * 2 - 1;
            }
            if (!factor.Solve(probe, moved)) return mechanismAt(static_cast<int>(n - 1));
            std::vector<double> probeLoad(load.size(), 0.0), probeX(load.size(), 0.0), unused;
            Eigen::Index largest = 0;
            moved.cwiseAbs().maxCoeff(&largest);
            for (Eigen::Index q = 0; q < n; ++q) {
                const auto dof = static_cast<std::size_t>(dofs.dofOfFree[static_cast<std::size_t>(q)]);
                probeLoad[dof] = probe[q];
                probeX[dof] = moved[q];
            }
            const PhysicsCheck probed =
                CheckPhysics(members, probeLoad, dofs, probeX, unused, StiffnessKind::Geometry);
            if (!probed.Passed()) return mechanismAt(static_cast<int>(largest));
        }
        status =
            factor.Factor(StructuralStiffness(jointCount, members, dofs, StiffnessKind::Members, exponent));
        report();
        if (status == FactorStatus::Factored) return false;
        if (status == FactorStatus::NotPositiveDefinite)
            StopUnreliable(outcome, members);
        else
            StopFactor(outcome, status, factor, n);
        return true;
    };

    if (status == FactorStatus::NotPositiveDefinite || !(pivots.smallest >= kSuspectPivot)) {
        if (isMechanism()) return outcome;
    }

    // Every case's loads as a column of one block: a single pass over the factor solves them all.
    const std::size_t caseCount = 1 + checked.moreLoads.size();
    auto caseLoad = [&](std::size_t c) -> const std::vector<double>& {
        return c == 0 ? load : checked.moreLoads[c - 1];
    };
    // Which case a message is about, when there are several.
    auto inCase = [&](std::size_t c) {
        return caseCount > 1
                   ? " in load case " + std::to_string(c + 1) + " (\"" + checked.caseNames[c] + "\")"
                   : std::string();
    };
    Eigen::MatrixXd rhs(n, static_cast<Eigen::Index>(caseCount)), solved;
    for (std::size_t c = 0; c < caseCount; ++c) {
        const std::vector<double>& l = caseLoad(c);
        for (Eigen::Index q = 0; q < n; ++q)
            rhs(q, static_cast<Eigen::Index>(c)) =
                l[static_cast<std::size_t>(dofs.dofOfFree[static_cast<std::size_t>(q)])];
    }
    phase(AnalysisPhase::Solving);
    if (!factor.Solve(rhs, solved)) {
        if (!geometryChecked && isMechanism()) return outcome;
        if (!factor.Solve(rhs, solved)) {
            StopUnreliable(outcome, members);
            return outcome;
        }
    }
    std::vector<std::vector<double>> displacements(caseCount, std::vector<double>(load.size(), 0.0));
    for (std::size_t c = 0; c < caseCount; ++c)
        for (Eigen::Index q = 0; q < n; ++q)
            displacements[c][static_cast<std::size_t>(dofs.dofOfFree[static_cast<std::size_t>(q)])] =
                std::ldexp(solved(q, static_cast<Eigen::Index>(c)), exponent);
    solved.resize(0, 0);
    rhs.resize(0, 0);

    // The physical check and the forces are timed together as the forces phase (refinement solves count
    // as solving).
    start = Clock::now();
    const double solverBefore = factor.solveSeconds + factor.factorSeconds;
    Eigen::VectorXd xs;
    std::vector<double> residual;
    for (std::size_t c = 0; c < caseCount; ++c) {
        const std::vector<double>& caseLoads = caseLoad(c);
        std::vector<double>& x = displacements[c];
        // A displacement beyond the largest number: the members are too soft for the loads.
        for (std::size_t d = 0; d < x.size(); ++d) {
            if (std::isfinite(x[d])) continue;
            StopAtJoint(outcome, StopReason::Overflow, static_cast<int>(d));
            outcome.members = {range.softest};
            outcome.causes.push_back(
                "The displacement of joint " + std::to_string(d / 2 + 1) + " along " +
                (d % 2 == 0 ? "X" : "Y") + inCase(c) +
                " is too large to be represented: the members are too soft for the loads "
                "(member " +
                std::to_string(range.softest) + " has E A / L = " + Num(range.low) + " kN/mm).");
            return outcome;
        }
        auto solveInto = [&](const Eigen::VectorXd& r) -> bool {
            if (!factor.Solve(r, xs)) return false;
            for (Eigen::Index q = 0; q < n; ++q)
                x[static_cast<std::size_t>(dofs.dofOfFree[static_cast<std::size_t>(q)])] +=
                    std::ldexp(xs[q], exponent);
            return true;
        };
        PhysicsCheck physics = CheckPhysics(members, caseLoads, dofs, x, residual);
        // Refinement, from the residual in extended precision, while it still improves the answer. The
        // residual of even the best double answer is not zero where stiffnesses are far apart (a stiff
        // member's force is a small difference of large displacements), so progress is judged by the
        // correction, which shrinks by the factor cond(K) x 1e-16 each time: stop when it is at rounding
        // level or grows.
        double lastCorrection = std::numeric_limits<double>::infinity();
        for (int refinement = 0; physics.memberNotFinite == 0 && refinement < kRefinements; ++refinement) {
            if (physics.equilibrium <= kRefinedEquilibrium && physics.energy <= kRefinedEquilibrium) break;
            if (!physics.Passed() && !geometryChecked && isMechanism()) return outcome;
            Eigen::VectorXd r(n);
            for (Eigen::Index q = 0; q < n; ++q)
                r[q] = residual[static_cast<std::size_t>(dofs.dofOfFree[static_cast<std::size_t>(q)])];
            const std::vector<double> before = x;
            if (!solveInto(r)) {
                x = before;
                break;
            }
            double correction = 0, size = 0;
            for (std::size_t d = 0; d < x.size(); ++d) {
                correction = std::max(correction, std::abs(x[d] - before[d]));
                size = std::max(size, std::abs(x[d]));
            }
            if (!(correction < lastCorrection)) { // diverging: cond(K) x 1e-16 is not below 1
                x = before;
                physics = CheckPhysics(members, caseLoads, dofs, x, residual);
                break;
            }
            lastCorrection = correction;
            physics = CheckPhysics(members, caseLoads, dofs, x, residual);
            if (correction <= 1e-15 * size) break;
        }
        if (!physics.Passed() && physics.memberNotFinite == 0 && !geometryChecked && isMechanism())
            return outcome;
        report();
        outcome.equilibriumError = std::max(outcome.equilibriumError, physics.equilibrium);
        outcome.energyError = std::max(outcome.energyError, physics.energy);
        if (physics.memberNotFinite != 0) {
            outcome.reason = StopReason::Overflow;
            outcome.members = {physics.memberNotFinite};
            outcome.causes.push_back("The axial force in member " + std::to_string(physics.memberNotFinite) +
                                     inCase(c) + " is too large to be represented.");
            return outcome;
        }
        if (!physics.Passed()) {
            StopUnreliable(outcome, members);
            return outcome;
        }
    }

    auto structure = std::make_shared<const Structure>(std::move(checked.x), std::move(checked.y),
                                                       std::move(members), std::move(restraint));
    std::vector<NamedResults> cases;
    for (std::size_t c = 0; c < caseCount; ++c) {
        Results results(structure, std::move(displacements[c]),
                        c == 0 ? std::move(load) : std::move(checked.moreLoads[c - 1]));
        char axis = 0;
        if (const int joint = results.FirstReactionNotFinite(axis); joint != 0) {
            outcome.reason = StopReason::Overflow;
            outcome.joint = joint;
            outcome.axis = axis;
            outcome.causes.push_back("The reaction at joint " + std::to_string(joint) + " along " +
                                     std::string(1, axis) + inCase(c) + " is too large to be represented.");
            return outcome;
        }
        cases.push_back(
            {c < checked.caseNames.size() ? checked.caseNames[c] : std::string(), std::move(results)});
    }
    if (options.loadCases) {
        LoadCaseResults all;
        for (const model::Combination& combination : checked.combinations) {
            std::vector<std::pair<const Results*, double>> terms;
            for (const model::CaseFactor& f : combination.factors)
                terms.emplace_back(&cases[static_cast<std::size_t>(f.loadCase) - 1].results, f.factor);
            Results combined = Superpose(terms);
            char axis = 0;
            const int joint = combined.FirstReactionNotFinite(axis);
            if (const int member = combined.FirstMemberNotFinite(); member != 0 || joint != 0) {
                outcome.reason = StopReason::Overflow;
                outcome.causes.push_back("A force in combination \"" + combination.name +
                                         "\" is too large to be represented.");
                return outcome;
            }
            all.combinations.push_back({combination.name, std::move(combined)});
        }
        outcome.results.emplace(cases.front().results);
        all.cases = std::move(cases);
        FormEnvelope(all);
        outcome.loadCases.emplace(std::move(all));
    } else {
        outcome.results.emplace(std::move(cases.front().results));
    }
    outcome.times.forces = Since(start) - (factor.solveSeconds + factor.factorSeconds - solverBefore);
    return outcome;
}

} // namespace

} // namespace varlen::analysis
