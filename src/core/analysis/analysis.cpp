#include "analysis/analysis.h"

#include <chrono>
#include <cmath>

#include "analysis/assembly.h"
#include "project/number_text.h"
#include "project/references.h"

namespace varlen::analysis {
namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A message with a thousand faulty members is no use; the first few say what kind of fault it is.
constexpr std::size_t kMaxCauses = 20;
// Relative to |K| |x| + |f|: a backward-stable solve leaves residuals near 1e-16 of that.
constexpr double kResidualTolerance = 1e-8;

class Causes {
public:
    void Add(std::string line) {
        if (m_lines.size() < kMaxCauses) m_lines.push_back(std::move(line));
        else ++m_more;
    }
    [[nodiscard]] bool Empty() const { return m_lines.empty(); }
    std::vector<std::string> Take() {
        if (m_more > 0)
            m_lines.push_back("... and " + std::to_string(m_more) + " more problem" + (m_more == 1 ? "" : "s") +
                              " of these kinds.");
        return std::move(m_lines);
    }

private:
    std::vector<std::string> m_lines;
    long long m_more = 0;
};

std::string Num(double value) { return project::FormatGeneral(value); }

using project::IsRow;
using project::NotInTable;

std::vector<Results::MemberState> CheckMembers(const AnalysisInput& in, Causes& causes) {
    std::vector<Results::MemberState> states;
    states.reserve(in.members.size());
    const std::size_t joints = in.jointX.size();
    for (std::size_t index = 0; index < in.members.size(); ++index) {
        const AnalysisInput::Member& m = in.members[index];
        const std::string who = "Member " + std::to_string(index + 1);
        const bool jointsOk = IsRow(m.jointI, joints) && IsRow(m.jointJ, joints);
        for (double joint : {m.jointI, m.jointJ})
            if (!IsRow(joint, joints)) causes.Add(NotInTable(who, "joint", joint, "joints", joints));
        const bool materialOk = IsRow(m.material, in.youngsModulus.size());
        if (!materialOk) causes.Add(NotInTable(who, "material", m.material, "materials", in.youngsModulus.size()));
        const bool sectionOk = IsRow(m.section, in.sectionArea.size());
        if (!sectionOk)
            causes.Add(NotInTable(who, "cross-section", m.section, "cross-sections", in.sectionArea.size()));

        double e = 0, a = 0;
        if (materialOk) {
            e = in.youngsModulus[static_cast<std::size_t>(m.material) - 1];
            if (!(e > 0) || !std::isfinite(e))
                causes.Add(who + " uses material " + Num(m.material) + ", whose Young's modulus is " + Num(e) +
                           ": it must be a number greater than 0.");
        }
        if (sectionOk) {
            a = in.sectionArea[static_cast<std::size_t>(m.section) - 1];
            if (!(a > 0) || !std::isfinite(a))
                causes.Add(who + " uses cross-section " + Num(m.section) + ", whose area is " + Num(a) +
                           ": it must be a number greater than 0.");
        }
        if (!jointsOk) continue;
        const auto i = static_cast<std::size_t>(m.jointI) - 1, j = static_cast<std::size_t>(m.jointJ) - 1;
        const double dx = in.jointX[j] - in.jointX[i];
        const double dy = in.jointY[j] - in.jointY[i];
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
            causes.Add(who + ": its stiffness E A / L cannot be worked out (E " + Num(e) + " kN/mm2, A " + Num(a) +
                       " mm2, L " + Num(length) + " mm).");
            continue;
        }
        states.push_back({static_cast<std::int32_t>(m.jointI), static_cast<std::int32_t>(m.jointJ),
                          Transformation(dx, dy, length), k});
    }
    return states;
}

// Loads on one joint add up; the sums stay whole (loads on restrained DOF included) for the reactions.
std::vector<double> JointLoad(const AnalysisInput& in, Causes& causes) {
    std::vector<double> load(2 * in.jointX.size(), 0.0);
    for (std::size_t index = 0; index < in.loads.size(); ++index) {
        const AnalysisInput::Load& l = in.loads[index];
        const std::string who = "Load " + std::to_string(index + 1);
        if (!IsRow(l.joint, in.jointX.size())) {
            causes.Add(NotInTable(who, "joint", l.joint, "joints", in.jointX.size()));
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

// Restraint bits per joint; a later line for the same joint replaces an earlier one.
std::vector<std::uint8_t> InputSupports(const AnalysisInput& in, Causes& causes) {
    std::vector<std::uint8_t> restraint(in.jointX.size(), 0);
    for (std::size_t index = 0; index < in.supports.size(); ++index) {
        const AnalysisInput::Support& s = in.supports[index];
        if (!IsRow(s.joint, in.jointX.size())) {
            causes.Add(NotInTable("Support line " + std::to_string(index + 1), "joint", s.joint, "joints",
                                  in.jointX.size()));
            continue;
        }
        restraint[static_cast<std::size_t>(s.joint) - 1] =
            static_cast<std::uint8_t>((s.x == 1 ? 1u : 0u) | (s.y == 1 ? 2u : 0u));
    }
    return restraint;
}

bool ResidualTooLarge(const SparseMatrix& k, const Eigen::VectorXd& x, const Eigen::VectorXd& f, Eigen::Index& worst) {
    const Eigen::VectorXd residual = k.selfadjointView<Eigen::Upper>() * x - f;
    const double scale = k.coeffs().cwiseAbs().maxCoeff() * x.lpNorm<Eigen::Infinity>() + f.lpNorm<Eigen::Infinity>();
    return residual.cwiseAbs().maxCoeff(&worst) > kResidualTolerance * scale;
}

std::string Unstable(int dof) {
    return "Joint " + std::to_string(dof / 2 + 1) + " cannot resist load along " + (dof % 2 == 0 ? "X" : "Y") +
           ": the truss is unstable there.";
}

} // namespace

std::string AnalysisOutcome::Message() const {
    std::string text = kAnalysisErrorText;
    for (const std::string& line : causes) text += "\n" + line;
    return text;
}

namespace {

struct CheckedInput {
    int jointCount = 0;
    std::vector<Results::MemberState> members;
    std::vector<double> load;
    std::vector<std::uint8_t> restraint;
};

AnalysisOutcome AnalyseChecked(CheckedInput checked, const AnalysisOptions& options, AnalysisOutcome outcome);

CheckedInput Check(const AnalysisInput& input, AnalysisOutcome& outcome) {
    const auto start = Clock::now();
    Causes causes;
    CheckedInput checked;
    checked.jointCount = input.JointCount();
    checked.members = CheckMembers(input, causes);
    checked.load = JointLoad(input, causes);
    checked.restraint = InputSupports(input, causes);
    outcome.times.check = Since(start);
    if (!causes.Empty()) outcome.causes = causes.Take();
    return checked;
}

} // namespace

AnalysisOutcome Analyse(const AnalysisInput& input, const AnalysisOptions& options) {
    AnalysisOutcome outcome;
    CheckedInput checked = Check(input, outcome);
    if (!outcome.causes.empty()) return outcome;
    return AnalyseChecked(std::move(checked), options, std::move(outcome));
}

AnalysisOutcome Analyse(AnalysisInput&& input, const AnalysisOptions& options) {
    AnalysisOutcome outcome;
    CheckedInput checked = Check(input, outcome);
    input = AnalysisInput{};
    if (!outcome.causes.empty()) return outcome;
    return AnalyseChecked(std::move(checked), options, std::move(outcome));
}

namespace {

AnalysisOutcome AnalyseChecked(CheckedInput checked, const AnalysisOptions& options, AnalysisOutcome outcome) {
    std::vector<Results::MemberState>& members = checked.members;
    std::vector<double>& load = checked.load;
    std::vector<std::uint8_t>& restraint = checked.restraint;
    auto start = Clock::now();

    const DofMap dofs = BoundaryConditions(restraint);
    const SparseMatrix k = StructuralStiffness(checked.jointCount, members, dofs);
    const auto n = static_cast<Eigen::Index>(dofs.dofOfFree.size());
    outcome.freeDofs = static_cast<int>(n);
    outcome.nonZeros = k.nonZeros();
    Eigen::VectorXd f(n);
    for (Eigen::Index q = 0; q < n; ++q) f[q] = load[static_cast<std::size_t>(dofs.dofOfFree[static_cast<std::size_t>(q)])];
    outcome.times.assemble = Since(start);

    // A free direction no member stiffens (a joint without members, or one where only members along
    // the other axis meet) is found before the factorisation, in joint order.
    for (Eigen::Index q = 0; q < n; ++q) {
        if (k.valuePtr()[k.outerIndexPtr()[q + 1] - 1] == 0.0) {
            outcome.causes.push_back(Unstable(dofs.dofOfFree[static_cast<std::size_t>(q)]));
            return outcome;
        }
    }

    std::vector<int> jointOfColumn(dofs.dofOfFree.size());
    for (std::size_t q = 0; q < jointOfColumn.size(); ++q) jointOfColumn[q] = dofs.dofOfFree[q] / 2;
    Eigen::VectorXd x;
    const SolveOutcome solved = SolveSparseCholesky(k, f, x, jointOfColumn, options.ordering, options.pivotTolerance);
    outcome.times.order = solved.analyseSeconds;
    outcome.times.factor = solved.factorSeconds;
    outcome.times.solve = solved.solveSeconds;
    outcome.smallestRelativePivot = solved.smallestRelativePivot;
    outcome.factorFlops = solved.factorFlops;
    outcome.factorNonZeros = solved.factorNonZeros;
    if (!solved.solved) {
        if (solved.singularColumn >= 0)
            outcome.causes.push_back(Unstable(dofs.dofOfFree[static_cast<std::size_t>(solved.singularColumn)]));
        else
            outcome.causes.push_back("The structure equations could not be solved (not enough memory?).");
        return outcome;
    }

    // The pivots passed; an equilibrium residual far above rounding would still mean the solution is not
    // one (it never has been seen to, but a wrong displacement must not be shown as a result).
    Eigen::Index worst = 0;
    if (n > 0 && ResidualTooLarge(k, x, f, worst)) {
        outcome.causes.push_back(Unstable(dofs.dofOfFree[static_cast<std::size_t>(worst)]));
        return outcome;
    }

    start = Clock::now();
    std::vector<double> displacement(2 * static_cast<std::size_t>(checked.jointCount), 0.0);
    for (Eigen::Index q = 0; q < n; ++q) displacement[static_cast<std::size_t>(dofs.dofOfFree[static_cast<std::size_t>(q)])] = x[q];
    outcome.results.emplace(std::move(displacement), std::move(members), std::move(load), std::move(restraint));
    outcome.times.forces = Since(start);
    return outcome;
}

} // namespace

} // namespace varlen::analysis
